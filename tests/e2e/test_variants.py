"""Installing, removing and renumbering variants, appending text, as tables."""

from harness import CFG, DIR, E, OK, Case as C, PrefixTest, crlf
from test_commands import read_only

BASE = crlf("[fltsim.0]", "title=A", "texture=a", "", "[fltsim.1]", "title=B", "texture=b", "",
            "[General]", "atc_type=X")
SOURCE = (b"[fltsim.x]\r\ntitle=New One\r\n   texture = Blue Sky \r\n\r\nui_variation=one\r\n"
          b"ui_variation=one\r\n\r\n[fltsim.y] ; second\r\ntitle\t=\tB\r\ntexture=red\r\n")
NEW = ("[fltsim.2]", "title=New One", "texture = Blue Sky ", "ui_variation=one")
INSTALLED = BASE + crlf("", "", *NEW)
BOTH = INSTALLED + crlf("", "", "", "[fltsim.3]", "title\t=\tB", "texture=red")
R, SRC = "/Downloads/repaint/", "C:\\Downloads\\repaint\\fltsim.cfg"
SHIPPED, TRIMMED = R + "fltsim.cfg", SOURCE.replace(b"Blue Sky \r", b"Blue Sky\r")
TWO, ONE = b"NOERROR-2\n", b"NOERROR-1\n"
INSTALL = "INSTALL_VARIANT C172 %s /COPY_TEXTURE_FOLDERS " % SRC
LOCAL = "INSTALL_VARIANT C172 %s /SOURCEFILE_IN_AIRCRAFT_FOLDER "
DEEP = "\\".join(["d" * 199] * 4 + ["s" * 189])  # "<aircraft folder>\<DEEP>": 1023 characters
INSTALLING = ({CFG: BASE + b"\r\n\r\n", SHIPPED: SOURCE}, [
    C(INSTALL, TWO, after=INSTALLED), C(INSTALL + "/ALLOW_DUPLICATES_BY_TITLE", TWO, after=BOTH),
    C(INSTALL + "/PREVENT_DUPLICATES_BY_TEXTURE", ONE, {SHIPPED: b"[fltsim.0]\ntitle=Z\ntexture=A\n"
                                                        }, BASE),
    C(INSTALL, TWO, {SHIPPED: b"[fltsim.0]\ntitle=A\ntexture=q\n[fltsim.1]\nTitle=U\ntexture=r\n"},
      BASE + crlf("", "", "[fltsim.2]", "Title=U", "texture=r")),
    C('VERIFY_TEXTURE C172 "blue sky "', OK, INSTALLED),
    C(INSTALL + "/PREVENT_DUPLICATES_BY_TEXTURE", TWO, INSTALLED),
    # A header holding "=" is a line of its section; a final one without line end, none.
    C(INSTALL, ONE, {SHIPPED: b"[fltsim.0]\ntitle=P\ntexture=p\n[fltsim.1] ;x=y\ntitle=Q\ntexture=q"
                              b"\n[fltsim.2]"},
      BASE + crlf("", "", "[fltsim.2]", "title=P", "texture=p", "[fltsim.3]", "title=Q",
                  "texture=q")),
    C(INSTALL, ONE, {SHIPPED: b"[fltsim.0]\ntitle=L\nd=%s\ntexture=l\n" % (b"d" * 12000)},
      BASE + crlf("", "", "[fltsim.2]", "title=L", "d=" + "d" * 12000, "texture=l")),
    C("INSTALL_VARIANT c172 ..\\Downloads\\repaint\\FLTSIM.CFG", TWO, after=INSTALLED),
    C("INSTALL_VARIANT C172 C:/Downloads/repaint/fltsim.cfg", TWO, after=INSTALLED),
    C("INSTALL_VARIANT_BY_PATH C:\\FSX\\SimObjects\\Airplanes\\C172 %s /COPY_TEXTURE_FOLDERS" % SRC,
      OK, {SHIPPED: TRIMMED, R + "texture.Blue Sky/t": b"t"},
      BASE + crlf("", "", "", "", *NEW).replace(b"Sky ", b"Sky")),
    C(LOCAL % "r.cfg" + "/COPY_TEXTURE_FOLDERS /DELETE_SOURCEFILE_AFTER_INSTALL", TWO,
      {"C172/r.cfg": SOURCE, "C172/texture.red/r": b"r"}, {CFG: INSTALLED, "C172/r.cfg": None}),
    C(LOCAL % DEEP, TWO, {"C172/" + DEEP.replace("\\", "/"): SOURCE}, INSTALLED),
    C(LOCAL % (DEEP + "s"), E, {"C172/%ss" % DEEP.replace("\\", "/"): SOURCE}, why="too long"),
    C("INSTALL_VARIANT C172 C:\\nowhere.cfg", E, why=("cannot read", "nowhere.cfg")),
    C("INSTALL_VARIANT C172 " + SRC, E, {SHIPPED: b"[General]\nx=1\n"},
      why="fltsim.cfg has no [fltsim.N] section"),
    C("INSTALL_VARIANT Empty " + SRC, E, {"Empty/aircraft.cfg": b"[G]\r\n"}, why="has no [flt"),
    C("INSTALL_VARIANT_BY_PATH nowhere " + SRC, E, why="no folder nowhere"),
] + [C("INSTALL_VARIANT " + args, E) for args in (
    "B737 " + SRC, 'C172 ""', "C172 C:\\Downloads\\repaint")])

PARTIAL = "C172/texture.Blue Sky.fuselox-partial"
CFG_TRIMMED, BOTH_TRIMMED = INSTALLED.replace(b"Sky ", b"Sky"), BOTH.replace(b"Sky ", b"Sky")
TEXTURES = ({CFG: BASE, SHIPPED: TRIMMED}, [
    C(INSTALL + "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL /ALLOW_DUPLICATES_BY_TITLE", TWO,
      {R + "texture.blue sky/t.dds": b"dds", R + "texture.Red/a": b"a",
       R + "texture.Red/sub/x": b"x", R + "texture.green/g": b"g"},
      {CFG: BOTH_TRIMMED, "C172/texture.blue sky/t.dds": b"dds", "C172/texture.Red/a": b"a",
       R + "texture.blue sky": None, R + "texture.Red/a": None}),
    C(INSTALL, TWO, {R + "texture.Blue Sky/t": b"theirs", "C172/texture.Blue Sky/t": b"mine"},
      CFG_TRIMMED),
    C(INSTALL + "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", TWO,
      {R + "texture.Blue Sky/t": b"dds", PARTIAL + "/t": b"d"},
      {CFG: CFG_TRIMMED, "C172/texture.Blue Sky/t": b"dds", R + "texture.Blue Sky": None,
       PARTIAL: None}),
    C("INSTALL_VARIANT C172 C:\\FSX\\SimObjects\\Airplanes\\C172\\fltsim.cfg /COPY_TEXTURE_FOLDERS "
      "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL /ALLOW_DUPLICATES_BY_TITLE", TWO,
      {"C172/fltsim.cfg": SOURCE, "C172/texture.red/r": b"r"}, BOTH),
    C(INSTALL + "/ALLOW_DUPLICATES_BY_TITLE", TWO,
      {R + "TEXTURE.RED/c": b"upper", R + "texture.red/sub/x": b"x", R + "texture": DIR},
      {CFG: BOTH_TRIMMED, "C172/TEXTURE.RED/c": b"upper"})])

COMMENTED = crlf("[fltsim.0]", "title=A", "texture=a", "", "//[fltsim.1]", "//title=B",
                 "//texture=b", "//", "[General]", "atc_type=X")
TWICE = crlf("[fltsim.0]", "title=B", "texture=1", "[fltsim.1]", "title=B", "texture=2", "//x=1")
ONCE = crlf("[fltsim.0]", "title=B", "texture=1", "//[fltsim.1]", "//title=B", "//texture=2",
            "////x=1")
REMOVE = "REMOVE_VARIANT_BY_TITLE C172 %s /REMOVAL_DELETETEXTUREFOLDER"
KEEP = "texture=..\\..\\..\\..\\keep"
KEPT = crlf("[fltsim.0]", "title=E", "texture=", "[fltsim.1]", "title=F", KEEP)
REMOVING = ({CFG: BASE, "C172/texture.b/b": b"b"}, [
    C("REMOVE_VARIANT_BY_TITLE C172 B", OK, after=COMMENTED),
    C("REMOVE_VARIANT_BY_TITLE C172 B /REMOVAL_DESTRUCTIVE", OK,
      after=crlf("[fltsim.0]", "title=A", "texture=a", "", "[General]", "atc_type=X")),
    C("REMOVE_VARIANT_BY_TEXTURE C172 A", OK, after=crlf(
        "//[fltsim.0]", "//title=A", "//texture=a", "//", "[fltsim.0]", "title=B", "texture=b", "",
        "[General]", "atc_type=X")),
    C("REMOVE_VARIANT_BY_TITLE C172 b", OK, TWICE, ONCE),
    # A commented header ends no block: the first removal's lines are commented again.
    C("REMOVE_VARIANT_BY_TITLE C172 b", OK, ONCE, crlf(
        "//[fltsim.0]", "//title=B", "//texture=1", "////[fltsim.1]", "////title=B",
        "////texture=2", "//////x=1")),
    C(REMOVE % "second /REMOVAL_DESTRUCTIVE", OK, {CFG: crlf(
        "[fltsim.2]", "title=First", "texture=f", "[fltsim.2]", "title=Second", "texture=b"),
        "C172/texture.f/f": b"f"},
      {CFG: crlf("[fltsim.0]", "title=First", "texture=f"), "C172/texture.b": None}),
    C(REMOVE % "B /REMOVAL_NONDESTRUCTIVE", OK, after=COMMENTED),
    # A folder another variant still names stays, and so does one outside the aircraft.
    C(REMOVE % "B", OK, BASE.replace(b"texture=a", b"texture=B"),
      COMMENTED.replace(b"texture=a", b"texture=B")),
    C(REMOVE % "E", OK, {CFG: KEPT, "C172/texture/base": b"base", "/FSX/keep/k": b"k"},
      crlf("//[fltsim.0]", "//title=E", "//texture=", "[fltsim.0]", "title=F", KEEP)),
    C(REMOVE % "F", OK, {CFG: KEPT, "/FSX/keep/k": b"k"},
      crlf("[fltsim.0]", "title=E", "texture=", "//[fltsim.1]", "//title=F", "//" + KEEP)),
    C(REMOVE % "B", E, read_only(BASE), why="read-only"),
    C('REMOVE_VARIANT_BY_TITLE C172 ""', E, BASE.replace(b"=B", b"="), why="an argument is empty"),
    C("REMOVE_VARIANT_BY_TITLE C172 nope", E, why='title "nope"'),
    C("REMOVE_VARIANT_BY_TEXTURE C172 nope", E, why='texture "nope"')])

RENUMBERED = b"[fltsim.0]\r\n[fltsim.1]\r\n[fltsim.2]\r\n//[fltsim.3]\r\n[fltsim.3]\r\nv=1"
SANITIZING = ({CFG: b"[General]\r\nL=1", "/work/add.txt": b"a=1\nb=2\n", SHIPPED: SOURCE}, [
    C("SANITIZE_VARIANTS C172", OK, b"[fltsim.0]\n[fltsim.2]\n  [FLTSIM.7] // old\n//[fltsim.3]\n"
                                    b"[fltsim.3]\nv=1", RENUMBERED),
    C("SANITIZE_VARIANTS C172", OK, RENUMBERED),
    C("SANITIZE_VARIANTS C172", OK, crlf("[fltsim.5]", "title=A", "", "[FLTSIM.5]", "title=B",
                                         "[fltsim.x]", "title=C", "", "", final_line_end=True),
      crlf("[fltsim.0]", "title=A", "", "[fltsim.1]", "title=B", "[fltsim.2]", "title=C")),
    C("APPEND_TEXT C172 add.txt", b"NOERROR", after=b"[General]\r\nL=1\r\na=1\r\nb=2"),
    C("APPEND_TEXT C172 C:\\work\\add.txt", b"NOERROR",
      {CFG: b"[General]\r\nL=1\r\n", "/work/add.txt": b"[x]\r\na=1"},
      b"[General]\r\nL=1\r\n\r\n[x]\r\na=1"),
    C("APPEND_TEXT C172 missing.txt", E, why="cannot read missing.txt"),
    C("APPEND_TEXT C172 add.txt", E, {"/work/add.txt": b"a=1\r\n\x1ab=2\r\n"}, why="end-of-file"),
] + [C(cmd, E, read_only(BASE.replace(b"fltsim.1", b"fltsim.4")), why=("aircraft.cfg", "read-only"))
     for cmd in ("INSTALL_VARIANT C172 " + SRC, "REMOVE_VARIANT_BY_TEXTURE C172 a",
                 "SANITIZE_VARIANTS C172", "APPEND_TEXT C172 add.txt")])


class VariantTest(PrefixTest):
    TABLES = (INSTALLING, TEXTURES, REMOVING, SANITIZING)
