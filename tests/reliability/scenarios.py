"""What the reliability tests share (POSIX build only: strace cannot reach into Wine): runs under
strace, and the editing commands the fault sweep drives, on a prefix that has all they need."""

import os
import random
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import Prefix, crlf, read, split, write  # noqa: E402,F401

CFG, MODEL = "C172/aircraft.cfg", "C172/model/c172.mdl"
# A numbering gap and trailing line ends, as users' files have; long enough for several writes.
BASE_CFG = crlf("[fltsim.0]", "title=Alpha", "sim=C172", "texture=a", "atc_id=N1", "",
                "[fltsim.1]", "title=Bravo // blue", "sim=C172", "texture=b", "atc_id=N2", "",
                "[fltsim.3]", "title=Charlie", "texture=c", "", "[General]", "atc_type=CESSNA",
                "atc_model=C172", "", "[contact_points]", *["point.%d=1, -%d.00, 0.00, -3.90, "
                "1600, 0, 0.5, 30, 0.2, 2.5, 0.9, 4, 4, 0, 0, 0" % (i, i) for i in range(400)]
                ) + b"\r\n\r\n"
REPAINT = (b"[fltsim.x]\r\ntitle=Sunset\r\nsim=C172\r\ntexture=Sunset\r\natc_id=N42\r\n\r\n"
           b"[fltsim.y]\r\ntitle=Dawn\r\ntexture=Dawn\r\n")
SHIPPED = {"texture.Sunset/sunset.dds": random.Random(2).randbytes(200000),  # several writes
           "texture.Sunset/thumbnail.jpg": b"sunset", "texture.Dawn/dawn.dds": b"dawn" * 1250}
OLD, OTHER = random.Random(4).randbytes(600000), random.Random(6).randbytes(300000)


def strace(*options):
    """Prefix.run's arguments for a run under strace -f with `options`; a sanitizer build's leak
    check cannot run under a tracer."""
    return {"wrapper": ["strace", "-f", "-qq", "-o", os.devnull, *options],
            "env": {"ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0"}}


def working_files(root):
    return [os.path.join(d, n) for d, _, names in os.walk(os.path.join(root, "drive_c"))
            for n in names if n.endswith(".temp")]


def scratch():
    """A folder on tmpfs when there is one: a sweep runs thousands of commands, each with an
    fsync that a disk would make slow."""
    return tempfile.TemporaryDirectory(prefix="fuselox-rel-", dir="/dev/shm" if os.access(
        "/dev/shm", os.W_OK) else None)


def prefix(root):
    """A prefix with what every scenario needs, a patch made for its model among it."""
    p = Prefix(root, {CFG: BASE_CFG, "C172/texture.b/b.dds": OTHER[:3000], MODEL: OLD,
                      "C172/texture.b/thumbnail.jpg": b"jpg", "/R/fltsim.cfg": REPAINT,
                      "/R/extra.txt": b"[Extra]\r\nkey=value\r\n", "/W/old.mdl": OLD,
                      "/W/old.bin": OTHER, "/W/update.bdiff": b"an earlier patch\r\n" * 50,
                      # Several pieces changed and the file grown past one write buffer.
                      "/W/new.mdl": OLD[:1000] + b"x" + OLD[1000:300000] + OTHER[:40000] +
                      OLD[300000:] * 4, "/W/new.bin": OTHER[:5000] + OLD[:3000] + OTHER[:90000],
                      **{"/R/" + k: v for k, v in SHIPPED.items()}})
    made = p.run("BINPATCH_MAKE", "C:\\W\\old.mdl", "C:\\W\\new.mdl", "C:\\W\\u.bdiff")
    assert made[:2] == (b"NOERROR\n", 1), made
    return p


def textures_kept(p):
    """No shipped texture is lost: each is still shipped or copied whole."""
    for name, data in SHIPPED.items():
        copies = [p.path(folder + name) for folder in ("/R/", "C172/")]
        if not any(os.path.exists(f) and read(f) == data for f in copies):
            return name + " is lost"


# Command lines; the files each changes when not aircraft.cfg, and a check of others.
SCENARIOS = [
    "CHANGE_GLOBAL_PARAMETER C172 General atc_model C172SP",
    'CHANGE_VARIANT_PARAMETER_BY_TITLE C172 "Bravo // blue" damage 1 /ADD_MISSING_PARAMETER',
    "CHANGE_VARIANT_PARAMETER_BY_TEXTURE C172 c sim C172SP /ADD_MISSING_PARAMETER",
    "INSTALL_VARIANT C172 C:\\R\\fltsim.cfg /COPY_TEXTURE_FOLDERS",
    ("INSTALL_VARIANT C172 C:\\R\\fltsim.cfg /COPY_TEXTURE_FOLDERS "
     "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", (CFG,), textures_kept),
    "INSTALL_VARIANT_BY_PATH C:\\FSX\\SimObjects\\Airplanes\\C172 C:\\R\\fltsim.cfg",
    'REMOVE_VARIANT_BY_TITLE C172 "Bravo // blue"',
    'REMOVE_VARIANT_BY_TITLE C172 "Bravo // blue" /REMOVAL_DESTRUCTIVE '
    "/REMOVAL_DELETETEXTUREFOLDER",
    "REMOVE_VARIANT_BY_TEXTURE C172 a", "REMOVE_VARIANT_BY_TEXTURE C172 b /REMOVAL_DESTRUCTIVE",
    "SANITIZE_VARIANTS C172", "APPEND_TEXT C172 C:\\R\\extra.txt",
    ("BINPATCH_APPLY C172 model\\c172.mdl C:\\W\\u.bdiff", (MODEL,)),
    ("BINPATCH_APPLY_TO_FSX SimObjects\\Airplanes\\C172\\model\\c172.mdl C:\\W\\u.bdiff",
     (MODEL,)),
    ("BINPATCH_MAKE C:\\W\\old.bin C:\\W\\new.bin C:\\W\\update.bdiff",
     ("/W/update.bdiff",)),
]
