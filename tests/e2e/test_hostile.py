"""Odd and hostile files: what a user's strange aircraft.cfg or a hostile
repaint archive must not do. Success means the named section or file was
changed; ERROR means every file is byte for byte as it was; nothing outside
the aircraft folder and the named repaint folder is written or deleted."""

import os
import shutil
import subprocess
import unittest

from harness import PrefixTest, crlf, read, runs_under_wine, write

LONG = "x=" + "y" * 1021 + "[fltsim.99]"  # a header just past the line capacity is text
TABLE = [
    # (name, aircraft.cfg, title to change, section it must be)
    ("lone CR before a header",
     b"[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n\r[fltsim.1]\r\ntitle=B\r\ntexture=b\r\n"
     b"[fltsim.2]\r\ntitle=C\r\ntexture=c", "C", 2),
    ("header past byte 1023 of a long line",
     crlf("[fltsim.0]", "title=A", "texture=a", "[fltsim.1]", "title=B", LONG, "texture=b",
          "[fltsim.2]", "title=C", "texture=c"), "C", 2),
    ("variant without texture line",
     crlf("[fltsim.0]", "title=A", "", "[fltsim.1]", "title=B", "texture=b",
          "[fltsim.2]", "title=C", "texture=c"), "A", 0),
]


def sections(data):
    """The variant sections' lines, split at headers (CR LF text)."""
    out = []
    for line in data.replace(b"\r\n", b"\n").split(b"\n"):
        if line.strip().lower().startswith(b"[fltsim."):
            out.append([])
        if out:
            out[-1].append(line)
    return out


class LineModelTest(PrefixTest):
    def test_lookups_and_edits_agree_on_the_section(self):
        for name, cfg, title, index in TABLE:
            with self.subTest(name):
                folder = self.p.aircraft("A", cfg)
                path = os.path.join(folder, "aircraft.cfg")
                self.assertRun(["DUMP_ALL_TITLE", "A"], b"A\nB\nC\n", 1)
                self.assertRun(["CHANGE_VARIANT_PARAMETER_BY_TITLE", "A", title, "atc_id", "X",
                                "/ADD_MISSING_PARAMETER"], b"NOERROR\n", 1)
                changed = sections(read(path))
                self.assertIn(b"atc_id=X", changed[index])
                self.assertEqual(1, sum(b"atc_id=X" in s for s in changed))
                self.assertRun(["REMOVE_VARIANT_BY_TITLE", "A", title, "/REMOVAL_DESTRUCTIVE"],
                               b"NOERROR\n", 1)
                titles = [l for s in sections(read(path)) for l in s if l.startswith(b"title=")]
                self.assertEqual(sorted({b"title=A", b"title=B", b"title=C"} -
                                        {b"title=" + title.encode()}), sorted(titles))


class EncodingTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.repaint = os.path.join(self.p.drive_c, "Downloads", "r")
        self.source = "C:\\Downloads\\r\\fltsim.cfg"

    def test_utf16_files_are_refused_and_untouched(self):
        utf16 = "\ufeff[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n".encode("utf-16-le")
        for cfg in (utf16, b"\xfe\xff" + utf16[2:]):
            folder = self.p.aircraft("A", cfg)
            write(os.path.join(self.repaint, "fltsim.cfg"), crlf("[fltsim.0]", "title=N",
                                                                  "texture=n"))
            for args in (["SANITIZE_VARIANTS", "A"], ["APPEND_TEXT", "A", self.source],
                         ["CHANGE_GLOBAL_PARAMETER", "A", "fltsim.0", "title", "x"],
                         ["INSTALL_VARIANT", "A", self.source], ["DUMP_ALL_TITLE", "A"]):
                self.assertRun(args, b"ERROR\n", 0)
                self.assertEqual(cfg, read(os.path.join(folder, "aircraft.cfg")))
        # A UTF-16 repaint source is refused as well.
        folder = self.p.aircraft("B", crlf("[fltsim.0]", "title=A", "texture=a"))
        write(os.path.join(self.repaint, "fltsim.cfg"), utf16)
        self.assertRun(["INSTALL_VARIANT", "B", self.source], b"ERROR\n", 0)
        self.assertEqual(crlf("[fltsim.0]", "title=A", "texture=a"),
                         read(os.path.join(folder, "aircraft.cfg")))

    def test_utf8_byte_order_marks_hide_no_header(self):
        bom = b"\xef\xbb\xbf"
        folder = self.p.aircraft("A", bom + crlf("[fltsim.0]", "title=A", "texture=a"))
        write(os.path.join(self.repaint, "fltsim.cfg"), bom + crlf("[fltsim.5]", "title=N",
                                                                    "texture=n"))
        self.assertRun(["DUMP_ALL_TITLE", "A"], b"A\n", 1)
        self.assertRun(["INSTALL_VARIANT", "A", self.source], b"NOERROR-1\n", 1)
        self.assertEqual(bom + crlf("[fltsim.0]", "title=A", "texture=a", "", "[fltsim.1]",
                                    "title=N", "texture=n"),
                         read(os.path.join(folder, "aircraft.cfg")))


class InstallSafetyTest(PrefixTest):
    CFG = crlf("[fltsim.0]", "title=A", "texture=a")

    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("A", self.CFG)
        self.cfg = os.path.join(self.folder, "aircraft.cfg")
        self.repaint = os.path.join(self.p.drive_c, "Downloads", "r")
        write(os.path.join(self.repaint, "fltsim.cfg"), crlf("[fltsim.0]", "title=R",
                                                            "texture=Red"))
        write(os.path.join(self.repaint, "texture.Red", "t.dds"), b"dds")
        self.source = "C:\\Downloads\\r\\fltsim.cfg"

    def assertUntouched(self):
        self.assertEqual(self.CFG, read(self.cfg))
        self.assertTrue(os.path.exists(os.path.join(self.repaint, "fltsim.cfg")))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "texture.Red")))

    def test_aircraft_cfg_is_never_its_own_source(self):
        for name in ("aircraft.cfg", ".\\AIRCRAFT.CFG"):
            self.assertRun(["INSTALL_VARIANT", "A", name, "/SOURCEFILE_IN_AIRCRAFT_FOLDER",
                            "/DELETE_SOURCEFILE_AFTER_INSTALL", "/ALLOW_DUPLICATES_BY_TITLE"],
                           b"ERROR\n", 0)
            self.assertEqual(self.CFG, read(self.cfg))

    def test_a_texture_folder_that_cannot_be_copied_whole_changes_nothing(self):
        outside = os.path.join(self.tmp, "secret")
        write(outside, b"secret")
        for planted in ("link", "fifo"):
            path = os.path.join(self.repaint, "texture.Red", "z.dds")
            os.symlink(outside, path) if planted == "link" else os.mkfifo(path)
            self.assertRun(["INSTALL_VARIANT", "A", self.source, "/COPY_TEXTURE_FOLDERS",
                            "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL",
                            "/DELETE_SOURCEFILE_AFTER_INSTALL"], b"ERROR\n", 0)
            self.assertUntouched()
            self.assertEqual(b"dds", read(os.path.join(self.repaint, "texture.Red", "t.dds")))
            os.remove(path)

    def test_names_outside_latin1_travel_whole(self):
        name = "SP-\u0141OT_t.dds"
        write(os.path.join(self.repaint, "texture.Red", name), b"lot")
        self.assertRun(["INSTALL_VARIANT", "A", self.source, "/COPY_TEXTURE_FOLDERS",
                        "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL"], b"NOERROR-1\n", 1)
        self.assertEqual(sorted(["t.dds", name]),
                         sorted(os.listdir(os.path.join(self.folder, "texture.Red"))))
        self.assertEqual(b"lot", read(os.path.join(self.folder, "texture.Red", name)))
        self.assertFalse(os.path.exists(os.path.join(self.repaint, "texture.Red")))

    def test_a_source_path_outside_latin1_and_a_bare_name(self):
        polish = os.path.join(self.p.drive_c, "\u0141\u00f3d\u017a")
        shutil.copytree(self.repaint, polish)
        self.assertRun(["INSTALL_VARIANT", "A", "C:\\\u0141\u00f3d\u017a\\fltsim.cfg"],
                       b"NOERROR-1\n", 1)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "A", "R", "/REMOVAL_DESTRUCTIVE"],
                       b"NOERROR\n", 1)
        # A bare name lies in the current folder, and so do its texture folders.
        self.assertRun(["INSTALL_VARIANT", "A", "fltsim.cfg", "/COPY_TEXTURE_FOLDERS"],
                       b"NOERROR-1\n", 1, cwd=self.repaint)
        self.assertEqual(b"dds", read(os.path.join(self.folder, "texture.Red", "t.dds")))

    def test_a_folder_another_variant_uses_stays(self):
        write(self.cfg, crlf("[fltsim.0]", "title=A", "texture=Red", "[fltsim.1]", "title=B",
                             "texture=red"))
        write(os.path.join(self.folder, "texture.Red", "t.dds"), b"dds")
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "A", "B", "/REMOVAL_DELETETEXTUREFOLDER"],
                       b"NOERROR\n", 1)
        self.assertTrue(os.path.exists(os.path.join(self.folder, "texture.Red", "t.dds")))
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "A", "A", "/REMOVAL_DELETETEXTUREFOLDER"],
                       b"NOERROR\n", 1)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "texture.Red")))


# Where the builds must differ: Wine cannot remove a host link by itself, so
# the Windows program there leaves a linked texture folder in place and
# refuses (ERROR) to replace a planted working-file link. A link's target
# stays untouched on both.
LINKS_REMOVABLE = not runs_under_wine()


class LinkTest(PrefixTest):
    """No link is followed to delete or overwrite."""

    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("A", crlf("[fltsim.0]", "title=A", "texture=Red",
                                                 "[General]", "k=1"))
        self.cfg = os.path.join(self.folder, "aircraft.cfg")
        self.outside = os.path.join(self.tmp, "shared")
        write(os.path.join(self.outside, "t.dds"), b"shared")
        self.victim = os.path.join(self.tmp, "victim")
        write(self.victim, b"victim")

    def assertOutsideIntact(self):
        self.assertEqual(b"shared", read(os.path.join(self.outside, "t.dds")))
        self.assertEqual(b"victim", read(self.victim))

    def test_a_linked_texture_folder_goes_as_a_link(self):
        link = os.path.join(self.folder, "texture.Red")
        os.symlink(self.outside, link)
        self.assertRun(["REMOVE_VARIANT_BY_TEXTURE", "A", "Red", "/REMOVAL_DELETETEXTUREFOLDER"],
                       b"NOERROR\n", 1)
        self.assertEqual(not LINKS_REMOVABLE, os.path.lexists(link))
        self.assertOutsideIntact()

    def test_a_linked_shipped_folder_is_neither_copied_nor_emptied(self):
        repaint = os.path.join(self.p.drive_c, "r")
        write(os.path.join(repaint, "fltsim.cfg"), crlf("[fltsim.0]", "title=N", "texture=N"))
        os.symlink(self.outside, os.path.join(repaint, "texture.N"))
        self.assertRun(["INSTALL_VARIANT", "A", "C:\\r\\fltsim.cfg", "/COPY_TEXTURE_FOLDERS",
                        "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL"], b"ERROR\n", 0)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "texture.N")))
        self.assertOutsideIntact()

    def test_planted_working_files_are_not_followed(self):
        write(os.path.join(self.folder, "m.bin"), b"old contents")
        write(os.path.join(self.tmp, "new.bin"), b"new contents!")
        self.assertRun(["BINPATCH_MAKE", "C:\\FSX\\SIMOBJECTS\\AIRPLANES\\A\\m.bin",
                        os.path.join(self.tmp, "new.bin"), os.path.join(self.tmp, "p.bdiff")],
                       b"NOERROR\n", 1)
        repaint = os.path.join(self.p.drive_c, "r")
        write(os.path.join(repaint, "fltsim.cfg"), crlf("[fltsim.0]", "title=N", "texture=N"))
        write(os.path.join(repaint, "texture.N", "n.dds"), b"n")
        cases = [
            ("fuselox.temp", ["CHANGE_GLOBAL_PARAMETER", "A", "General", "k", "2"]),
            ("texture.N.fuselox-partial", ["INSTALL_VARIANT", "A", "C:\\r\\fltsim.cfg",
                                           "/COPY_TEXTURE_FOLDERS"]),
            ("liverymend.temp", ["REMOVE_VARIANT_BY_TITLE", "A", "N"]),
            ("m.bin.temp", ["BINPATCH_APPLY", "A", "m.bin", os.path.join(self.tmp, "p.bdiff")]),
        ]
        for name, args in cases:
            with self.subTest(name):
                target = self.outside if name.endswith("partial") else self.victim
                planted = os.path.join(self.folder, name)
                os.symlink(target, planted)
                cfg = read(self.cfg)
                if LINKS_REMOVABLE:
                    self.assertRun(args, b"NOERROR-1\n" if "INSTALL" in args[0] else b"NOERROR\n",
                                   1)
                    self.assertFalse(os.path.lexists(planted))
                else:
                    self.assertRun(args, b"ERROR\n", 0)
                    self.assertEqual(cfg, read(self.cfg))
                    os.remove(planted)
                    self.assertRun(args, b"NOERROR-1\n" if "INSTALL" in args[0] else b"NOERROR\n",
                                   1)
                self.assertFalse(os.path.islink(self.cfg))
                self.assertOutsideIntact()
        self.assertEqual(b"new contents!", read(os.path.join(self.folder, "m.bin")))
        # The patch maker's own working file.
        os.symlink(self.victim, os.path.join(self.tmp, "q.bdiff.temp"))
        self.assertRun(["BINPATCH_MAKE", os.path.join(self.tmp, "new.bin"),
                        os.path.join(self.folder, "m.bin"), os.path.join(self.tmp, "q.bdiff")],
                       b"NOERROR\n" if LINKS_REMOVABLE else b"ERROR\n", int(LINKS_REMOVABLE))
        self.assertOutsideIntact()

    def test_a_link_to_another_file_system_stays_a_link(self):
        other = "/dev/shm"
        if not os.path.isdir(other) or os.stat(other).st_dev == os.stat(self.tmp).st_dev:
            self.skipTest("no second file system")
        real = os.path.join(other, "fuselox-%d.cfg" % os.getpid())
        shutil.move(self.cfg, real)
        try:
            os.symlink(real, self.cfg)
            self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "General", "k", "2"], b"NOERROR\n", 1)
            self.assertTrue(os.path.islink(self.cfg))
            self.assertIn(b"k=2", read(real))
        finally:
            os.remove(real)

    @unittest.skipUnless(os.geteuid() == 0 and LINKS_REMOVABLE,
                         "needs root; Wine gives a file it replaces its own owner and mode")
    def test_a_replaced_file_keeps_owner_group_and_mode(self):
        write(self.cfg, crlf("[fltsim.4]", "title=A", "texture=a"))
        os.chown(self.cfg, 1000, 1000)
        os.chmod(self.cfg, 0o664)
        self.assertRun(["SANITIZE_VARIANTS", "A"], b"NOERROR\n", 1)
        st = os.stat(self.cfg)
        self.assertEqual((1000, 1000, 0o664), (st.st_uid, st.st_gid, st.st_mode & 0o7777))

    def test_fifos_and_devices_are_refused_at_once(self):
        os.remove(self.cfg)
        os.mkfifo(self.cfg)
        other = self.p.aircraft("B", crlf("[fltsim.0]", "title=A", "texture=a"))
        os.remove(os.path.join(other, "aircraft.cfg"))
        os.symlink("/dev/zero", os.path.join(other, "aircraft.cfg"))
        for args, out in ((["DUMP_ALL_AIRCRAFT"], b""), (["VERIFY_AIRCRAFT", "A"], b"ERROR\n"),
                          (["VERIFY_AIRCRAFT", "B"], b"ERROR\n")):
            self.assertRun(args, out, 1 if args[0] == "DUMP_ALL_AIRCRAFT" else 0, timeout=20)


@unittest.skipIf(runs_under_wine() or not shutil.which("strace"), "needs strace on POSIX")
class LockTest(PrefixTest):
    def test_an_editor_that_cannot_lock_changes_nothing(self):
        cfg = crlf("[fltsim.3]", "title=A", "texture=a", "[General]", "k=1")
        folder = self.p.aircraft("A", cfg)
        for args in (["SANITIZE_VARIANTS", "A"], ["CHANGE_GLOBAL_PARAMETER", "A", "General", "k", "2"],
                     ["REMOVE_VARIANT_BY_TITLE", "A", "A"]):
            # LeakSanitizer cannot run under a tracer.
            asan = os.environ.get("ASAN_OPTIONS", "")
            out, rc, _ = self.p.run(*args, wrapper=("strace", "-f", "-o", "/dev/null", "-e",
                                                    "inject=flock:error=ENOLCK"),
                                    env={"ASAN_OPTIONS": asan + ":detect_leaks=0"})
            self.assertEqual((b"ERROR\n", 0), (out, rc), args)
            self.assertEqual(cfg, read(os.path.join(folder, "aircraft.cfg")))


class SimulatorLocationTest(PrefixTest):
    def test_dot_dot_never_climbs_above_the_drive_root(self):
        write(os.path.join(self.tmp, "evil", "aircraft.cfg"), crlf("[fltsim.0]", "title=E",
                                                                    "texture=e"))
        escape = "..\\" * 12 + os.path.relpath(os.path.join(self.tmp, "evil"), "/").replace("/", "\\")
        self.assertRun(["VERIFY_AIRCRAFT", escape], b"ERROR\n", 0)
        # Windows stops ".." at C:\, so the same path finds C:\<tmp>\evil.
        write(self.p.host("C:\\" + escape.replace("..\\", "")) + "/aircraft.cfg",
              crlf("[fltsim.0]", "title=C", "texture=c"))
        self.assertRun(["DUMP_ALL_TITLE", escape], b"C\n", 1)

    @unittest.skipIf(runs_under_wine(), "Wine maps UNC paths itself")
    def test_unc_paths_go_through_the_prefix(self):
        self.p.write_user_reg("\\\\server\\share\\FSX\\")
        self.p.aircraft("A", crlf("[fltsim.0]", "title=A", "texture=a"))
        decoy = os.path.join(self.p.root, "server", "share", "FSX", "SimObjects", "Airplanes", "D")
        write(os.path.join(decoy, "aircraft.cfg"), crlf("[fltsim.0]", "title=D", "texture=d"))
        self.assertRun(["VERIFY_AIRCRAFT", "D"], b"ERROR\n", 0)
        os.makedirs(os.path.join(self.p.root, "dosdevices", "unc", "server"))
        os.symlink("../../../drive_c", os.path.join(self.p.root, "dosdevices", "unc", "server",
                                                    "share"))
        self.assertRun(["VERIFY_AIRCRAFT", "A"], b"NOERROR\n", 1)

    def test_hex_registry_strings_and_a_profile_outside_latin1(self):
        profile = "C:\\users\\\u0141ukasz\\AppData\\Roaming"
        data = ("WINE REGISTRY Version 2\n\n"
                "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1\n"
                '"AppPath"=hex(2):43,00,3a,00,5c,00,46,00,53,00,\\\n  58,00,5c,00\n\n'
                "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
                '"AppData"="C:\\\\users\\\\\\x141ukasz\\\\AppData\\\\Roaming"\n')
        with open(os.path.join(self.p.root, "user.reg"), "wb") as f:
            f.write(data.encode("ascii"))
        fsx_cfg = read(self.p.fsx_cfg_path())
        write(self.p.host(profile + "\\Microsoft\\FSX\\fsx.cfg"), fsx_cfg)
        self.p.aircraft("A", crlf("[fltsim.0]", "title=A", "texture=a"))
        self.assertRun(["PRINT_PATH_FSX"], b"C:\\FSX\\\n", 1)
        self.assertRun(["DUMP_ALL_TITLE", "A"], b"A\n", 1)
