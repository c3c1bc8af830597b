"""Odd and hostile files: what a user's strange aircraft.cfg or a hostile repaint archive must
not do. Success changes the named section or file only; ERROR leaves every file as it was;
nothing outside the aircraft folder and the named repaint folder is written or deleted."""

import os
import shutil
import unittest

from harness import CFG, DIR, E, OK, SETTINGS, UNDER_WINE, Case as C, PrefixTest, as_files, \
    crlf, read, user_reg, write
from test_commands import NEW, OLD, PATCH_XX, SIMPLE, copy, literal, patch

# Where the builds must differ: Wine cannot remove a host link by itself, so the Windows program
# there leaves a linked texture folder in place and refuses (ERROR) to replace a planted
# working-file link. A link's target stays untouched on both.
LINKS_REMOVABLE = not UNDER_WINE
SRC, R = "C:\\Downloads\\r\\fltsim.cfg", "/Downloads/r/"
WITH_R = SIMPLE + crlf("", "", "[fltsim.1]", "title=R", "texture=Red")

LONE_CR = (b"[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n\r[fltsim.1]\r\ntitle=B\r\ntexture=b\r\n"
           b"[fltsim.2]\r\ntitle=C\r\ntexture=c")
# A header just past byte 1023 of a line is text.
LONG = crlf("[fltsim.0]", "title=A", "texture=a", "[fltsim.1]", "title=B", "x=" + "y" * 1021 +
            "[fltsim.99]", "texture=b", "[fltsim.2]", "title=C", "texture=c")
NO_TEXTURE = crlf("[fltsim.0]", "title=A", "", "[fltsim.1]", "title=B", "texture=b", "[fltsim.2]",
                  "title=C", "texture=c")
CHANGE = "CHANGE_VARIANT_PARAMETER_BY_TITLE C172 %s atc_id X /ADD_MISSING_PARAMETER"
REMOVE = "REMOVE_VARIANT_BY_TITLE C172 %s /REMOVAL_DESTRUCTIVE"
# Lookups and edits agree on where a section ends.
SECTIONS = ((), [C("DUMP_ALL_TITLE C172", b"A\nB\nC\n", c) for c in (LONE_CR, LONG, NO_TEXTURE)] + [
    C(CHANGE % "C", OK, LONE_CR, LONE_CR + b"\r\natc_id=X"),
    C(CHANGE % "C", OK, LONG, LONG + b"\r\natc_id=X"),
    C(CHANGE % "A", OK, NO_TEXTURE, NO_TEXTURE.replace(b"\r\n\r\n", b"\r\n\r\natc_id=X\r\n")),
    C(REMOVE % "C", OK, LONE_CR, LONE_CR[:LONE_CR.index(b"\r\n[fltsim.2]")].replace(b"\r[", b"[")),
    C(REMOVE % "C", OK, LONG, LONG[:LONG.index(b"\r\n[fltsim.2]")]),
    C(REMOVE % "A", OK, NO_TEXTURE, crlf("[fltsim.0]", "title=B", "texture=b", "[fltsim.1]",
                                         "title=C", "texture=c"))])

# "C:\FSX\SIMOBJECTS\AIRPLANES\<NAME>\aircraft.cfg" and "<patch target>.temp" fit in 1023
# characters, or the command is refused.
NAME = "\\".join(["d" * 199] * 4 + ["d" * 182])
KEY, CFG_X, TARGET = NAME.replace("\\", "/") + "/aircraft.cfg", crlf("[G]", "k=X"), "/".join(
    c * 200 for c in "mnop") + "/q"
AT_THE_BUFFER = ({KEY: CFG_X, KEY.replace("/a", "d/a"): CFG_X, "C/aircraft.cfg": b"",
                  "/work/p": patch(literal(b"new"), 3, b"old")}, [
    C("CHANGE_GLOBAL_PARAMETER %s G k Y" % NAME, OK, after={KEY: crlf("[G]", "k=Y")}),
    C("BINPATCH_APPLY C %s C:\\work\\p" % (TARGET + "q" * 182).replace("/", "\\"), OK,
      {"C/" + TARGET + "q" * 182: b"old"}, {"C/" + TARGET + "q" * 182: b"new"}),
] + [C(cmd % (NAME + "d"), E) for cmd in (
    "CHANGE_GLOBAL_PARAMETER %s G k Y", "REMOVE_VARIANT_BY_TITLE %s A", "SANITIZE_VARIANTS %s",
    "INSTALL_VARIANT %s f.cfg /SOURCEFILE_IN_AIRCRAFT_FOLDER", "BINPATCH_APPLY %s a x")] + [
    C("BINPATCH_APPLY C %s C:\\work\\p" % (TARGET + "q" * 183).replace("/", "\\"), E,
      {"C/" + TARGET + "q" * 183: b"old"})])

# A line of 1 MB, in aircraft.cfg and in a source; 100,000 variants (400,000 lines).
V = b"v" * (1 << 20)
LONG_LINE = crlf("[fltsim.0]", "title=L", "texture=l", "d=") + V + crlf(
    "", "", "[fltsim.1]", "title=S", "texture=s", "", "[G]", "k=X", "// ") + V
VARIANT = b"[fltsim.%d]\r\ntitle=P%d\r\ntexture=t%d\r\n\r\n"
MANY = b"".join(VARIANT % (i, i, i) for i in range(100000))
HUGE = ({"/work/r.cfg": crlf("[fltsim.0]", "title=T", "l=") + V}, [
    C("READ_VARIANT_PARAMETER_BY_TITLE C172 L d", V + b"\n", LONG_LINE),
    C("CHANGE_GLOBAL_PARAMETER C172 G k Y", OK, LONG_LINE, LONG_LINE.replace(b"k=X", b"k=Y")),
    C("REMOVE_VARIANT_BY_TITLE C172 L", OK, LONG_LINE, crlf(
        "//[fltsim.0]", "//title=L", "//texture=l", "//d=") + V + crlf(
        "", "//", "[fltsim.0]", "title=S", "texture=s", "", "[G]", "k=X", "// ") + V),
    C("INSTALL_VARIANT C172 C:\\work\\r.cfg", b"NOERROR-1\n", LONG_LINE,
      LONG_LINE + crlf("", "", "[fltsim.2]", "title=T", "l=") + V),
    C("DUMP_ALL_TITLE C172", b"".join(b"P%d\n" % i for i in range(100000)), MANY),
    C("VERIFY_TITLE C172 p99999", OK, MANY),
    C("REMOVE_VARIANT_BY_TITLE C172 P0 /REMOVAL_DESTRUCTIVE", OK, MANY,
      b"".join(VARIANT % (i - 1, i, i) for i in range(1, 100000))[:-4])])

UTF16, BOM = "\ufeff[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n".encode("utf-16-le"), b"\xef\xbb\xbf"
ENCODINGS = ({R + "fltsim.cfg": crlf("[fltsim.5]", "title=R", "texture=Red")}, [
    C(cmd, E, cfg) for cfg in (UTF16, b"\xfe\xff" + UTF16[2:]) for cmd in (
        "SANITIZE_VARIANTS C172", "APPEND_TEXT C172 " + SRC, "DUMP_ALL_TITLE C172",
        "CHANGE_GLOBAL_PARAMETER C172 fltsim.0 title x", "INSTALL_VARIANT C172 " + SRC)
] + [C("INSTALL_VARIANT C172 " + SRC, E, {CFG: SIMPLE, R + "fltsim.cfg": UTF16}),
     C("DUMP_ALL_TITLE C172", b"A\n", BOM + SIMPLE),
     C("INSTALL_VARIANT C172 " + SRC, b"NOERROR-1\n", {CFG: BOM + SIMPLE, R + "fltsim.cfg":
                                                      BOM + crlf("[fltsim.5]", "title=R")},
       BOM + SIMPLE + crlf("", "", "[fltsim.1]", "title=R"))])

COPY = "INSTALL_VARIANT C172 %s /COPY_TEXTURE_FOLDERS /DELETE_TEXTURE_FOLDERS_AFTER_INSTALL" % SRC
SOURCE, POLISH = crlf("[fltsim.0]", "title=R", "texture=Red"), "SP-\u0141OT_t.dds"
RED = {"C172/texture.Red/t.dds": b"dds", CFG: WITH_R}
INSTALLS = ({CFG: SIMPLE, R + "fltsim.cfg": SOURCE, R + "texture.Red/t.dds": b"dds",
             "/secret": b"secret"}, [
    C("INSTALL_VARIANT C172 %s /SOURCEFILE_IN_AIRCRAFT_FOLDER /ALLOW_DUPLICATES_BY_TITLE "
      "/DELETE_SOURCEFILE_AFTER_INSTALL" % name, E) for name in ("aircraft.cfg", ".\\AIRCRAFT.CFG")
] + [C(COPY + " /DELETE_SOURCEFILE_AFTER_INSTALL", E, {R + "texture.Red/z.dds": planted})
     for planted in ("-> /secret", os.mkfifo)] + [
    C(COPY, b"NOERROR-1\n", {R + "texture.Red/" + POLISH: b"lot"},
      dict(RED, **{"C172/texture.Red/" + POLISH: b"lot", R + "texture.Red": None})),
    C("INSTALL_VARIANT C172 C:\\\u0141\u00f3d\u017a\\fltsim.cfg", b"NOERROR-1\n",
      {"/\u0141\u00f3d\u017a/fltsim.cfg": SOURCE}, WITH_R),
    # A bare name lies in the working folder, and so do its texture folders.
    C("INSTALL_VARIANT C172 fltsim.cfg /COPY_TEXTURE_FOLDERS", b"NOERROR-1\n",
      {"/work/fltsim.cfg": SOURCE, "/work/texture.Red/t.dds": b"dds"}, RED)])

LINKED, OUT = crlf("[fltsim.0]", "title=A", "texture=Red", "[General]", "k=1"), LINKS_REMOVABLE
REMOVED, DEEP = b"//" + LINKED.replace(b"\n", b"\n//", 2), "/".join(["d" * 146] * 2)
GONE = {"C172/texture.Red": None, DEEP + "/texture.Red": None} if OUT else {}  # linked folders
INSTALL_N = "INSTALL_VARIANT C172 C:\\r\\fltsim.cfg /COPY_TEXTURE_FOLDERS"


def planted(name, cmd, out, after, files=()):
    """A run with a link to /victim planted as its working file `name`."""
    key = name if "/" in name else "C172/" + name
    return C(cmd, out if OUT else E, dict(files, **{key: "-> /victim"}),
             dict(as_files(after), **{key: None}) if OUT else {})


LINKS = ({CFG: LINKED, "/r/fltsim.cfg": crlf("[fltsim.0]", "title=N", "texture=N"),
          "/shared/t.dds": b"shared", "/victim": b"victim", "C172/m.bin": OLD, "/work/new": NEW,
          "/work/p.bdiff": PATCH_XX, DEEP + "/aircraft.cfg": LINKED}, [
    C("REMOVE_VARIANT_BY_TEXTURE C172 Red /REMOVAL_DELETETEXTUREFOLDER", OK,
      {"C172/texture.Red": "-> /shared"}, dict(GONE, **{CFG: REMOVED})),
    C(INSTALL_N + " /DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", E, {"/r/texture.N": "-> /shared"}),
    planted("texture.N.fuselox-partial", INSTALL_N, b"NOERROR-1\n", {"C172/texture.N/n": b"n",
            CFG: LINKED + crlf("", "", "[fltsim.1]", "title=N", "texture=N")},
            {"/r/texture.N/n": b"n"}),
    planted("liverymend.temp", "REMOVE_VARIANT_BY_TITLE C172 A", OK, REMOVED),
    # DEEP: an aircraft folder of 321 characters, where Wine gives no final path.
    *[planted(a + "/fuselox.temp", "CHANGE_GLOBAL_PARAMETER %s General k 2" % a, OK,
              {a + "/aircraft.cfg": LINKED.replace(b"k=1", b"k=2")}) for a in ("C172", DEEP)],
    C("REMOVE_VARIANT_BY_TITLE %s A /REMOVAL_DELETETEXTUREFOLDER" % DEEP, OK,
      {DEEP + "/texture.Red/t.dds": "-> /victim"}, dict(GONE, **{DEEP + "/aircraft.cfg": REMOVED})),
    planted("m.bin.temp", "BINPATCH_APPLY C172 m.bin p.bdiff", OK, {"C172/m.bin": NEW}),
    planted("/work/q.bdiff.temp", "BINPATCH_MAKE new C:\\FSX\\SimObjects\\Airplanes\\C172\\m.bin "
            "q.bdiff", OK, {"/work/q.bdiff": patch(copy(2, 30, 0x95554887), 30, NEW)}),
    # Only regular files are read: a FIFO or a device is refused at once.
    C("DUMP_ALL_AIRCRAFT", b"", {CFG: os.mkfifo, "B/aircraft.cfg": lambda p: os.symlink(
        "/dev/zero", p)}),
    C("VERIFY_AIRCRAFT C172", E, os.mkfifo),
    C("VERIFY_AIRCRAFT C172", E, lambda p: os.symlink("/dev/zero", p))])

# A hostile archive or patch never reaches outside its folder. A name from a listing is one name
# (on POSIX it may hold "\\"); a relative path stays inside the folder it is relative to; a shipped
# name Windows cannot hold is refused before anything is written.
# Wine shows a host name that Windows cannot hold as some other name, which is then not found.
HOST_NAMES = not UNDER_WINE
CLIMB = "..\\" * 5 + SETTINGS[1:].replace("/", "\\") + "\\fsx.cfg"
RED_ONLY = crlf("[fltsim.0]", "title=A", "texture=Red")


def ship(texture, folder=None, title="N"):
    """A repaint of one section and its texture folder ("texture.<texture>" unless named)."""
    return {R + "fltsim.cfg": crlf("[fltsim.0]", "title=" + title, "texture=" + texture),
            R + (folder or "texture." + texture) + "/t.dds": b"dds"}


def added(title, texture):
    return SIMPLE + crlf("", "", "[fltsim.1]", "title=" + title, "texture=" + texture)


BAD_NAMES = ["a:b", "a*b", "a?b", 'a"b', "a<b", "a>b", "a|b", "a\x01b", "t.dds.", "t.dds ", "CON",
             "com\u00b9.dds", "LPT\u00b3", "a\\b"]
ESCAPES = ({CFG: SIMPLE, "C172/m.bin": OLD, "C172/COM\u00b9": OLD, "DC3/m.bin": OLD,
            "/FSX/m.bin": OLD, "/work/p.bdiff": PATCH_XX}, [
    # Listed names: deleted by their literal name inside the folder; never copied.
    C(REMOVE % "R /REMOVAL_DELETETEXTUREFOLDER", OK, {CFG: WITH_R, "C172/texture.Red/" + CLIMB: b"x"},
      dict({CFG: SIMPLE}, **{"C172/texture.Red": None} if HOST_NAMES else {})),
    C(COPY, E, dict(ship("Red"), **{R + "texture.Red/" + CLIMB: b"evil"})),
] + [C(COPY, E if HOST_NAMES else b"NOERROR-1\n", ship(value), {} if HOST_NAMES else
       {CFG: added("N", value)}) for value in ("R:d", "q\\..\\..\\victim")] + [
    C(COPY, b"NOERROR-1\n", dict(ship("\\victim", "texture.q\\..\\..\\victim"),
                                 **{"/Downloads/victim/v": b"v"}), {CFG: added("N", "\\victim")}),
] + [C(COPY, E, {R + "fltsim.cfg": SOURCE, R + "texture.Red/" + name: b"x"}) for name in BAD_NAMES] + [
    # A folder is "texture." and the whole value; only installed sections get theirs.
    C(COPY, b"NOERROR-1\n", ship("N123.AB"), {CFG: added("N", "N123.AB"), R + "texture.N123.AB":
                                               None, "C172/texture.N123.AB/t.dds": b"dds"}),
    C(COPY, b"NOERROR-1\n", dict(ship("AB", "texture.N123.AB"), **ship("AB", "texture.Sunset.AB")),
      {CFG: added("N", "AB")}),
    C(COPY, b"NOERROR-1\n", ship("Dup", title="A")),
    # Windows takes "texture.Red." for "texture.Red".
    C(REMOVE % "B /REMOVAL_DELETETEXTUREFOLDER", OK, {CFG: RED_ONLY + crlf(
        "", "[fltsim.1]", "title=B", "texture=Red."), "C172/texture.Red/t": b"t"}, RED_ONLY),
    C(REMOVE % "A /REMOVAL_DELETETEXTUREFOLDER", OK, {CFG: RED_ONLY.replace(b"Red", b"Red."),
                                                     "C172/texture.Red/t": b"t"},
      {CFG: b"", "C172/texture.Red": None}),
    # Relative patch targets stay inside their folder.
    C("BINPATCH_APPLY C172 sub\\..\\.\\m.bin p.bdiff", OK, after={"C172/m.bin": NEW}),
    C("BINPATCH_APPLY_TO_FSX m.bin p.bdiff", OK, after={"/FSX/m.bin": NEW}),
    C("BINPATCH_APPLY C172 m=\u0141.bin p.bdiff", OK, {"C172/m=\u0141.bin": OLD},
      {"C172/m=\u0141.bin": NEW}),
    # A listed folder name is one name, never a path to another aircraft.
    C("DUMP_ALL_AIRCRAFT", b"C172\n", {"..\\..\\W/aircraft.cfg": SIMPLE, "/FSX/W/aircraft.cfg": SIMPLE}),
    # An aircraft name is spelled as Windows takes it: "C172." is C172, and "COM\u00b9" a device.
    C("VERIFY_AIRCRAFT C172.", OK), C("VERIFY_AIRCRAFT COM\u00b9", E, {"COM\u00b9/aircraft.cfg": SIMPLE}),
    C("BINPATCH_APPLY C172 COM\u00b9 p.bdiff", E),
] + [C("BINPATCH_APPLY C172 %s p.bdiff" % target, E, why="is no path inside") for target in (
    "..\\DC3\\m.bin", "sub\\..\\..\\DC3\\m.bin", "C:\\FSX\\m.bin", "\\FSX\\m.bin", "C:m.bin",
    "m.bin:s", "...\\m.bin", '".. \\DC3\\m.bin"', ".")] + [
    C("BINPATCH_APPLY_TO_FSX %s p.bdiff" % target, E, why="is no path inside") for target in (
        "..\\FSX\\m.bin", CLIMB, "/FSX/m.bin")] + [
    # Text arguments are one-byte text of one line; keys hold no "=", sections no "]".
    C("CHANGE_GLOBAL_PARAMETER C172 fltsim.0 title \u00ff", OK, WITH_R,
      {CFG: WITH_R.replace(b"title=A", b"title=\xff")}),  # the last one-byte character fits
] + [C(cmd, E, WITH_R, why="the " + why) for cmd, why in (
        (REMOVE % "\u0152", "title holds a character that aircraft.cfg cannot hold"),
        ("CHANGE_GLOBAL_PARAMETER C172 fltsim.0 title \u0141\u00f3d\u017a", "value holds a char"),
        ('CHANGE_GLOBAL_PARAMETER C172 fltsim.0 title "A\n[fltsim.7]\ntitle=Injected"',
         "value holds a line break or NUL"),
        ("CHANGE_GLOBAL_PARAMETER C172 fltsim.0 x=y 5 /ADD_MISSING_PARAMETER",
         'parameter name holds "="'),
        ('READ_GLOBAL_PARAMETER C172 "fltsim.0]" title', 'section name holds "]"'),
        ("READ_GLOBAL_PARAMETER C172 G\u0141 k", "section name holds a char"),
        ("READ_GLOBAL_PARAMETER C172 G k\u0141", "parameter name holds a char"),
        ("VERIFY_TEXTURE C172 \u0141", "texture holds a char"),
        ("VERIFY_TITLE C172 \u0141", "title holds a char"))])


class HostileTest(PrefixTest):
    TABLES = (SECTIONS, AT_THE_BUFFER, HUGE, ENCODINGS, INSTALLS, LINKS, ESCAPES)

    def test_an_aircraft_folder_path_of_300_characters(self):
        # Past Windows' old 260-character limit, which the manifest lifts on Windows; Wine has
        # no such limit, so this finds fixed-size buffers in the program's Windows layer.
        addons = "/Addons/" + "/".join(c * 55 for c in "vwxyz")
        win = "C:" + addons.replace("/", "\\")
        self.p.reset({addons + "/Long/aircraft.cfg": SIMPLE, "/r/fltsim.cfg": crlf(
            "[fltsim.0]", "title=N", "texture=Blue Sky"), "/r/texture.Blue Sky/t.dds": b"dds",
            "FSX.CFG": b"[Main]\r\nSimObjectPaths.0=" + win.encode() + b"\r\n"})
        self.assertEqual(win.upper().encode() + b"\\Long\\\n",
                         self.p.run("PRINT_PATH_AIRCRAFT", "Long")[0])
        self.assertEqual(b"NOERROR-1\n", self.p.run("INSTALL_VARIANT", "Long", "C:\\r\\fltsim.cfg",
                                                    "/COPY_TEXTURE_FOLDERS")[0])
        self.assertEqual(b"dds", read(self.p.path(addons + "/Long/texture.Blue Sky/t.dds")))
        self.assertEqual(OK, self.p.run("REMOVE_VARIANT_BY_TITLE", "Long", "N",
                                        "/REMOVAL_DESTRUCTIVE", "/REMOVAL_DELETETEXTUREFOLDER")[0])
        folder = self.p.path(addons + "/Long")
        self.assertEqual((SIMPLE, ["aircraft.cfg"]),
                         (read(folder + "/aircraft.cfg"), os.listdir(folder)))

    def test_a_link_to_another_file_system_stays_a_link(self):
        real = "/dev/shm/fuselox-%d.cfg" % os.getpid()
        if not os.path.isdir("/dev/shm") or os.stat("/dev/shm").st_dev == os.stat(self.tmp).st_dev:
            self.skipTest("no second file system")
        write(real, crlf("[G]", "k=1"))
        try:
            self.p.reset(lambda p: os.symlink(real, p))
            self.assertEqual((OK, 1), self.p.run("CHANGE_GLOBAL_PARAMETER", "C172", "G", "k", "2")
                             [:2])
            self.assertEqual((True, crlf("[G]", "k=2")),
                             (os.path.islink(self.p.path(CFG)), read(real)))
        finally:
            os.remove(real)

    @unittest.skipUnless(os.geteuid() == 0 and LINKS_REMOVABLE,
                         "needs root; Wine gives a file it replaces its own owner and mode")
    def test_a_replaced_file_keeps_owner_group_and_mode(self):
        self.p.reset(lambda p: (write(p, SIMPLE.replace(b".0", b".4")), os.chown(
            p, 1000, 1000), os.chmod(p, 0o664)))
        self.assertEqual((OK, 1), self.p.run("SANITIZE_VARIANTS", "C172")[:2])
        st = os.stat(self.p.path(CFG))
        self.assertEqual((1000, 1000, 0o664), (st.st_uid, st.st_gid, st.st_mode & 0o7777))

    @unittest.skipIf(UNDER_WINE or not shutil.which("strace"), "needs strace on POSIX")
    def test_an_editor_that_cannot_lock_changes_nothing(self):
        self.table(crlf("[fltsim.3]", "title=A", "texture=a", "[General]", "k=1"), [
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
        out, rc, err = self.p.run("VERIFY_AIRCRAFT", "D", env={"FUSELOX_VERBOSE": "1"})
        self.assertEqual((E, 0, True), (out, rc, b" \\\\server\\share\\FSX\\SIMOBJECTS" in err))
        os.makedirs(self.p.root + "/dosdevices/unc/server")
        os.symlink("../../../drive_c", self.p.root + "/dosdevices/unc/server/share")
        self.assertEqual((OK, 1), self.p.run("VERIFY_AIRCRAFT", "C172")[:2])
