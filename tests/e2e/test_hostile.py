"""Odd and hostile files: what a user's strange aircraft.cfg or a hostile repaint archive must
not do. Success changes the named section or file only; ERROR leaves every file as it was;
nothing outside the aircraft folder and the named repaint folder is written or deleted."""

import os
import shutil
import unittest

from harness import E, OK, UNDER_WINE, Case as C, PrefixTest, crlf, read, user_reg, write
from test_commands import CFG, SIMPLE
from test_patch import NEW, OLD, PATCH_XX, copy, patch

# Where the builds must differ: Wine cannot remove a host link by itself, so the Windows program
# there leaves a linked texture folder in place and refuses (ERROR) to replace a planted
# working-file link. A link's target stays untouched on both.
LINKS_REMOVABLE = not UNDER_WINE
SRC, R = "C:\\Downloads\\r\\fltsim.cfg", "/Downloads/r/"
WITH_R = SIMPLE + crlf("", "", "[fltsim.1]", "title=R", "texture=Red")


class HostileTest(PrefixTest):
    def test_lookups_and_edits_agree_on_the_section(self):
        lone_cr = (b"[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n\r[fltsim.1]\r\ntitle=B\r\ntexture=b\r\n"
                   b"[fltsim.2]\r\ntitle=C\r\ntexture=c")
        # A header just past byte 1023 of a line is text.
        long = crlf("[fltsim.0]", "title=A", "texture=a", "[fltsim.1]", "title=B", "x=" +
                    "y" * 1021 + "[fltsim.99]", "texture=b", "[fltsim.2]", "title=C", "texture=c")
        no_texture = crlf("[fltsim.0]", "title=A", "", "[fltsim.1]", "title=B", "texture=b",
                          "[fltsim.2]", "title=C", "texture=c")
        change = "CHANGE_VARIANT_PARAMETER_BY_TITLE C172 %s atc_id X /ADD_MISSING_PARAMETER"
        remove = "REMOVE_VARIANT_BY_TITLE C172 %s /REMOVAL_DESTRUCTIVE"
        self.table({}, [C("DUMP_ALL_TITLE C172", b"A\nB\nC\n", {CFG: cfg})
                        for cfg in (lone_cr, long, no_texture)] + [
            C(change % "C", OK, {CFG: lone_cr}, {CFG: lone_cr + b"\r\natc_id=X"}),
            C(change % "C", OK, {CFG: long}, {CFG: long + b"\r\natc_id=X"}),
            C(change % "A", OK, {CFG: no_texture},
              {CFG: no_texture.replace(b"\r\n\r\n", b"\r\n\r\natc_id=X\r\n")}),
            C(remove % "C", OK, {CFG: lone_cr},
              {CFG: lone_cr[:lone_cr.index(b"\r\n[fltsim.2]")].replace(b"\r[", b"[")}),
            C(remove % "C", OK, {CFG: long}, {CFG: long[:long.index(b"\r\n[fltsim.2]")]}),
            C(remove % "A", OK, {CFG: no_texture}, {CFG: crlf(
                "[fltsim.0]", "title=B", "texture=b", "[fltsim.1]", "title=C", "texture=c")})])

    def test_encodings(self):
        utf16 = "\ufeff[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n".encode("utf-16-le")
        bom = b"\xef\xbb\xbf"
        self.table({R + "fltsim.cfg": crlf("[fltsim.5]", "title=R", "texture=Red")}, [
            C(cmd, E, {CFG: cfg}) for cfg in (utf16, b"\xfe\xff" + utf16[2:])
            for cmd in ("SANITIZE_VARIANTS C172", "APPEND_TEXT C172 " + SRC, "DUMP_ALL_TITLE C172",
                        "CHANGE_GLOBAL_PARAMETER C172 fltsim.0 title x",
                        "INSTALL_VARIANT C172 " + SRC)
        ] + [C("INSTALL_VARIANT C172 " + SRC, E, {CFG: SIMPLE, R + "fltsim.cfg": utf16}),
             C("DUMP_ALL_TITLE C172", b"A\n", {CFG: bom + SIMPLE}),
             C("INSTALL_VARIANT C172 " + SRC, b"NOERROR-1\n", {CFG: bom + SIMPLE, R + "fltsim.cfg":
               bom + crlf("[fltsim.5]", "title=R", "texture=Red")}, {CFG: bom + WITH_R})])

    def test_installs(self):
        copy_ = "INSTALL_VARIANT C172 %s /COPY_TEXTURE_FOLDERS " \
            "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL"
        source = crlf("[fltsim.0]", "title=R", "texture=Red")
        polish, red = "SP-\u0141OT_t.dds", {"C172/texture.Red/t.dds": b"dds"}
        self.table({CFG: SIMPLE, R + "fltsim.cfg": source, R + "texture.Red/t.dds": b"dds",
                    "/secret": b"secret"}, [
            C("INSTALL_VARIANT C172 %s /SOURCEFILE_IN_AIRCRAFT_FOLDER /ALLOW_DUPLICATES_BY_TITLE "
              "/DELETE_SOURCEFILE_AFTER_INSTALL" % name, E)
            for name in ("aircraft.cfg", ".\\AIRCRAFT.CFG")] + [
            C(copy_ % SRC + " /DELETE_SOURCEFILE_AFTER_INSTALL", E,
              {R + "texture.Red/z.dds": planted}) for planted in ("-> /secret", os.mkfifo)] + [
            C(copy_ % SRC, b"NOERROR-1\n", {R + "texture.Red/" + polish: b"lot"},
              dict(red, **{CFG: WITH_R, "C172/texture.Red/" + polish: b"lot",
                           R + "texture.Red": None})),
            C("INSTALL_VARIANT C172 C:\\\u0141\u00f3d\u017a\\fltsim.cfg", b"NOERROR-1\n",
              {"/\u0141\u00f3d\u017a/fltsim.cfg": source}, {CFG: WITH_R}),
            # A bare name lies in the working folder, and so do its texture folders.
            C("INSTALL_VARIANT C172 fltsim.cfg /COPY_TEXTURE_FOLDERS", b"NOERROR-1\n",
              {"/work/fltsim.cfg": source, "/work/texture.Red/t.dds": b"dds"},
              dict(red, **{CFG: WITH_R}))])

    def test_links(self):
        cfg, ok = crlf("[fltsim.0]", "title=A", "texture=Red", "[General]", "k=1"), LINKS_REMOVABLE
        install = "INSTALL_VARIANT C172 C:\\r\\fltsim.cfg /COPY_TEXTURE_FOLDERS"

        def planted(name, cmd, out, after, files=()):
            key = "C172/" + name if "/" not in name else name
            return C(cmd, out if ok else E, dict(files, **{key: "-> /victim"}),
                     dict(after, **{key: None}) if ok else {})
        self.table({CFG: cfg, "/r/fltsim.cfg": crlf("[fltsim.0]", "title=N", "texture=N"),
                    "/shared/t.dds": b"shared", "/victim": b"victim", "C172/m.bin": OLD,
                    "/work/p.bdiff": PATCH_XX, "/work/new": NEW}, [
            C("REMOVE_VARIANT_BY_TEXTURE C172 Red /REMOVAL_DELETETEXTUREFOLDER", OK,
              {"C172/texture.Red": "-> /shared"}, dict({"C172/texture.Red": None} if ok else {}, **{
                  CFG: crlf("//[fltsim.0]", "//title=A", "//texture=Red", "[General]", "k=1")})),
            C(install + " /DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", E,
              {"/r/texture.N": "-> /shared"}),
            planted("fuselox.temp", "CHANGE_GLOBAL_PARAMETER C172 General k 2", OK,
                    {CFG: cfg.replace(b"k=1", b"k=2")}),
            planted("texture.N.fuselox-partial", install, b"NOERROR-1\n", {"C172/texture.N/n": b"n",
                    CFG: cfg + crlf("", "", "[fltsim.1]", "title=N", "texture=N")},
                    {"/r/texture.N/n": b"n"}),
            planted("liverymend.temp", "REMOVE_VARIANT_BY_TITLE C172 A", OK,
                    {CFG: crlf("//[fltsim.0]", "//title=A", "//texture=Red", "[General]", "k=1")}),
            planted("m.bin.temp", "BINPATCH_APPLY C172 m.bin p.bdiff", OK,
                    {"C172/m.bin": NEW}),
            planted("/work/q.bdiff.temp", "BINPATCH_MAKE new C:\\FSX\\SimObjects\\Airplanes\\"
                    "C172\\m.bin q.bdiff", OK, {"/work/q.bdiff": patch(copy(
                        2, 30, 0x95554887), 30, NEW)}),
            # Only regular files are read: a FIFO or a device is refused at once.
            C("DUMP_ALL_AIRCRAFT", b"", {CFG: os.mkfifo,
                                         "B/aircraft.cfg": lambda p: os.symlink("/dev/zero", p)}),
            C("VERIFY_AIRCRAFT C172", E, {CFG: os.mkfifo}),
            C("VERIFY_AIRCRAFT C172", E, {CFG: lambda p: os.symlink("/dev/zero", p)})])

    def test_a_link_to_another_file_system_stays_a_link(self):
        real = "/dev/shm/fuselox-%d.cfg" % os.getpid()
        if not os.path.isdir("/dev/shm") or os.stat("/dev/shm").st_dev == os.stat(self.tmp).st_dev:
            self.skipTest("no second file system")
        write(real, crlf("[General]", "k=1"))
        try:
            self.p.reset({CFG: lambda p: os.symlink(real, p)})
            self.assertRun(["CHANGE_GLOBAL_PARAMETER", "C172", "General", "k", "2"], OK, 1)
            self.assertEqual((True, crlf("[General]", "k=2")),
                             (os.path.islink(self.p.path(CFG)), read(real)))
        finally:
            os.remove(real)

    @unittest.skipUnless(os.geteuid() == 0 and LINKS_REMOVABLE,
                         "needs root; Wine gives a file it replaces its own owner and mode")
    def test_a_replaced_file_keeps_owner_group_and_mode(self):
        self.p.reset({CFG: lambda p: (write(p, SIMPLE.replace(b".0", b".4")), os.chown(
            p, 1000, 1000), os.chmod(p, 0o664))})
        self.assertRun(["SANITIZE_VARIANTS", "C172"], OK, 1)
        st = os.stat(self.p.path(CFG))
        self.assertEqual((1000, 1000, 0o664), (st.st_uid, st.st_gid, st.st_mode & 0o7777))

    @unittest.skipIf(UNDER_WINE or not shutil.which("strace"), "needs strace on POSIX")
    def test_an_editor_that_cannot_lock_changes_nothing(self):
        self.table({CFG: crlf("[fltsim.3]", "title=A", "texture=a", "[General]", "k=1")}, [
            C(cmd, E) for cmd in ("SANITIZE_VARIANTS C172", "REMOVE_VARIANT_BY_TITLE C172 A",
                                           "CHANGE_GLOBAL_PARAMETER C172 General k 2")],
                   wrapper=("strace", "-f", "-o", "/dev/null", "-e", "inject=flock:error=ENOLCK"))

    def test_paths_outside_the_drive(self):
        evil = os.path.relpath(self.tmp, "/") + "/evil"
        write(os.path.join("/", evil, "aircraft.cfg"), crlf("[fltsim.0]", "title=E"))
        escape = "..\\" * 12 + evil.replace("/", "\\")
        # Windows stops ".." at C:\, so the path is C:\<tmp>\evil.
        self.table({}, [C("VERIFY_AIRCRAFT " + escape, E), C(
            "DUMP_ALL_TITLE " + escape, b"A\n", {"/%s/aircraft.cfg" % evil: SIMPLE})])
        if UNDER_WINE:
            return  # Wine maps UNC paths itself.
        self.p.reset({"USER.REG": user_reg("\\\\server\\share\\FSX\\"), CFG: SIMPLE})
        write(self.p.root + "/server/share/FSX/SimObjects/Airplanes/D/aircraft.cfg", SIMPLE)
        self.assertRun(["VERIFY_AIRCRAFT", "D"], E, 0)
        os.makedirs(self.p.root + "/dosdevices/unc/server")
        os.symlink("../../../drive_c", self.p.root + "/dosdevices/unc/server/share")
        self.assertRun(["VERIFY_AIRCRAFT", "C172"], OK, 1)
