"""The editing commands the reliability tests drive, each with the prefix it
runs on: an aircraft with several variants and texture folders, a repaint
with its texture folders, a text to append, and files to patch."""

import os
import random

from common import AIRPLANES, crlf, read, run, write

CFG = os.path.join(AIRPLANES, "C172", "aircraft.cfg")
MODEL = os.path.join(AIRPLANES, "C172", "model", "c172.mdl")
PATCH = os.path.join("drive_c", "Work", "update.bdiff")

# A numbering gap (3 after 1) and trailing line breaks, as users' files have.
BASE_CFG = crlf(
    "[fltsim.0]", "title=Alpha", "sim=C172", "texture=a", "atc_id=N1", "",
    "[fltsim.1]", "title=Bravo // blue", "sim=C172", "texture=b", "atc_id=N2", "",
    "[fltsim.3]", "title=Charlie", "texture=c", "",
    "[General]", "atc_type=CESSNA", "atc_model=C172", "",
    "[WEIGHT_AND_BALANCE]", "max_gross_weight = 2550 // pounds", "",
    "[contact_points]",
    *["point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9, 4, 4, 0, 0, 0" % (i, i)
      for i in range(400)]) + b"\r\n\r\n"

REPAINT = (b"[fltsim.x]\r\ntitle=Sunset\r\nsim=C172\r\ntexture=Sunset\r\natc_id=N42\r\n\r\n"
           b"[fltsim.y]\r\ntitle=Dawn\r\ntexture=Dawn\r\n")

EXTRA_TEXT = b"[Extra]\r\nkey=value\r\n// appended\r\n"


def noise(seed, size):
    rng = random.Random(seed)
    return bytes(rng.getrandbits(8) for _ in range(size))


def build_aircraft(p):
    folder = p.aircraft("C172", BASE_CFG)
    write(os.path.join(folder, "texture.b", "b.dds"), noise(1, 3000))
    write(os.path.join(folder, "texture.b", "thumbnail.jpg"), b"jpg")
    return folder


def build_repaint(p):
    repaint = os.path.join(p.drive_c, "Downloads", "repaint")
    write(os.path.join(repaint, "fltsim.cfg"), REPAINT)
    # Big enough that a copy takes several writes.
    write(os.path.join(repaint, "texture.Sunset", "sunset.dds"), noise(2, 200000))
    write(os.path.join(repaint, "texture.Sunset", "thumbnail.jpg"), b"sunset")
    write(os.path.join(repaint, "texture.Dawn", "dawn.dds"), noise(3, 5000))
    return repaint


def shipped_textures_kept(root):
    """No texture file is lost: each shipped file is still shipped or has an
    identical copy in the aircraft folder."""
    repaint = os.path.join(root, "drive_c", "Downloads", "repaint")
    aircraft = os.path.join(root, AIRPLANES, "C172")
    for folder, size_seed in (("texture.Sunset", [("sunset.dds", 2, 200000)]),
                              ("texture.Dawn", [("dawn.dds", 3, 5000)])):
        for name, seed, size in size_seed:
            original = noise(seed, size)
            shipped = os.path.join(repaint, folder, name)
            copied = os.path.join(aircraft, folder, name)
            if os.path.exists(shipped) and read(shipped) == original:
                continue
            if os.path.exists(copied) and read(copied) == original:
                continue
            return "%s/%s is lost" % (folder, name)
    return None


def build_patch_target(p):
    folder = build_aircraft(p)
    old = noise(4, 600000)
    # Several pieces changed and the file grown past one write buffer.
    new = old[:1000] + b"changed" + old[1000:300000] + noise(5, 40000) + old[300000:] * 4
    write(os.path.join(folder, "model", "c172.mdl"), old)
    work = os.path.join(p.drive_c, "Work")
    write(os.path.join(work, "old.mdl"), old)
    write(os.path.join(work, "new.mdl"), new)
    out, rc, err = run(p.root, ["BINPATCH_MAKE", "C:\\Work\\old.mdl", "C:\\Work\\new.mdl",
                                "C:\\Work\\update.bdiff"])
    assert (out, rc) == (b"NOERROR\n", 1), (out, rc, err)


def build_patch_inputs(p):
    build_aircraft(p)
    work = os.path.join(p.drive_c, "Work")
    old = noise(6, 300000)
    write(os.path.join(work, "old.bin"), old)
    write(os.path.join(work, "new.bin"), old[:5000] + noise(7, 3000) + old[5000:] + old[:90000])
    write(os.path.join(work, "update.bdiff"), b"an earlier patch that must survive\r\n" * 50)


class Scenario:
    def __init__(self, name, args, build, watched=(CFG,), invariant=None):
        self.name = name
        self.args = args
        self.build = build
        self.watched = watched
        self.invariant = invariant


def aircraft_only(p):
    build_aircraft(p)


def aircraft_and_repaint(p):
    build_aircraft(p)
    build_repaint(p)


def aircraft_and_text(p):
    build_aircraft(p)
    write(os.path.join(p.drive_c, "Downloads", "extra.txt"), EXTRA_TEXT)


REPAINT_CFG = "C:\\Downloads\\repaint\\fltsim.cfg"
AIRCRAFT_PATH = "C:\\FSX\\SimObjects\\Airplanes\\C172"

SCENARIOS = [
    Scenario("change_global", ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_model", "C172SP"],
             aircraft_only),
    Scenario("change_by_title", ["CHANGE_VARIANT_PARAMETER_BY_TITLE", "C172", "Bravo // blue",
                                 "visual_damage", "1", "/ADD_MISSING_PARAMETER"], aircraft_only),
    Scenario("change_by_texture", ["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "c", "sim",
                                   "C172SP", "/ADD_MISSING_PARAMETER"], aircraft_only),
    Scenario("install_copy_textures", ["INSTALL_VARIANT", "C172", REPAINT_CFG,
                                       "/COPY_TEXTURE_FOLDERS"], aircraft_and_repaint),
    Scenario("install_copy_delete_textures",
             ["INSTALL_VARIANT", "C172", REPAINT_CFG, "/COPY_TEXTURE_FOLDERS",
              "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL"], aircraft_and_repaint,
             invariant=shipped_textures_kept),
    Scenario("install_by_path", ["INSTALL_VARIANT_BY_PATH", AIRCRAFT_PATH, REPAINT_CFG],
             aircraft_and_repaint),
    Scenario("remove_by_title", ["REMOVE_VARIANT_BY_TITLE", "C172", "Bravo // blue"],
             aircraft_only),
    Scenario("remove_by_title_destructive",
             ["REMOVE_VARIANT_BY_TITLE", "C172", "Bravo // blue", "/REMOVAL_DESTRUCTIVE",
              "/REMOVAL_DELETETEXTUREFOLDER"], aircraft_only),
    Scenario("remove_by_texture", ["REMOVE_VARIANT_BY_TEXTURE", "C172", "a"], aircraft_only),
    Scenario("remove_by_texture_destructive",
             ["REMOVE_VARIANT_BY_TEXTURE", "C172", "b", "/REMOVAL_DESTRUCTIVE"], aircraft_only),
    Scenario("sanitize", ["SANITIZE_VARIANTS", "C172"], aircraft_only),
    Scenario("append_text", ["APPEND_TEXT", "C172", "C:\\Downloads\\extra.txt"],
             aircraft_and_text),
    Scenario("binpatch_apply", ["BINPATCH_APPLY", "C172", "model\\c172.mdl",
                                "C:\\Work\\update.bdiff"], build_patch_target, watched=(MODEL,)),
    Scenario("binpatch_apply_to_fsx",
             ["BINPATCH_APPLY_TO_FSX", "SimObjects\\Airplanes\\C172\\model\\c172.mdl",
              "C:\\Work\\update.bdiff"], build_patch_target, watched=(MODEL,)),
    Scenario("binpatch_make_over_existing",
             ["BINPATCH_MAKE", "C:\\Work\\old.bin", "C:\\Work\\new.bin", "C:\\Work\\update.bdiff"],
             build_patch_inputs, watched=(PATCH,)),
]
