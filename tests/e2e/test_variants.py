"""Installing, removing and renumbering variants, appending text, as tables."""

from harness import DIR, E, OK, Case as C, PrefixTest, crlf
from test_commands import CFG, read_only

BASE = crlf("[fltsim.0]", "title=A", "texture=a", "", "[fltsim.1]", "title=B", "texture=b", "",
            "[General]", "atc_type=X")
SOURCE = (b"[fltsim.x]\r\ntitle=New One\r\n   texture = Blue Sky \r\n\r\nui_variation=one\r\n"
          b"ui_variation=one\r\n\r\n[fltsim.y] ; second\r\ntitle\t=\tB\r\ntexture=red\r\n")
INSTALLED = BASE + crlf("", "", "[fltsim.2]", "title=New One", "texture = Blue Sky ",
                        "ui_variation=one")
BOTH = INSTALLED + crlf("", "", "", "[fltsim.3]", "title\t=\tB", "texture=red")
R, SRC = "/Downloads/repaint/", "C:\\Downloads\\repaint\\fltsim.cfg"
SHIPPED, TRIMMED = R + "fltsim.cfg", SOURCE.replace(b"Blue Sky \r", b"Blue Sky\r")
TWO, ONE = b"NOERROR-2\n", b"NOERROR-1\n"


class VariantTest(PrefixTest):
    def test_install(self):
        install = "INSTALL_VARIANT C172 %s /COPY_TEXTURE_FOLDERS " % SRC
        local = "INSTALL_VARIANT C172 %s /SOURCEFILE_IN_AIRCRAFT_FOLDER "
        deep = "\\".join(["d" * 199] * 4 + ["s" * 189])  # "<aircraft folder>\<deep>": 1023
        self.table({CFG: BASE + b"\r\n\r\n", SHIPPED: SOURCE}, [
            C(install, TWO, after={CFG: INSTALLED}),
            C(install + "/ALLOW_DUPLICATES_BY_TITLE", TWO, after={CFG: BOTH}),
            C(install + "/PREVENT_DUPLICATES_BY_TEXTURE", ONE,
              {SHIPPED: b"[fltsim.0]\ntitle=Z\ntexture=A\n"}, {CFG: BASE}),
            C(install, TWO, {SHIPPED: b"[fltsim.0]\ntitle=A\ntexture=q\n[fltsim.1]\nTitle=Unseen\n"
                                      b"texture=r\n"},
              {CFG: BASE + crlf("", "", "[fltsim.2]", "Title=Unseen", "texture=r")}),
            C('VERIFY_TEXTURE C172 "blue sky "', OK, {CFG: INSTALLED}),
            C(install + "/PREVENT_DUPLICATES_BY_TEXTURE", TWO, {CFG: INSTALLED}),
            # A header holding "=" is a line of its section; a final one without line end, none.
            C(install, ONE, {SHIPPED: b"[fltsim.0]\ntitle=P\ntexture=p\n[fltsim.1] ;x=y\ntitle=Q"
                                      b"\ntexture=q\n[fltsim.2]"}, {CFG: BASE + crlf(
                "", "", "[fltsim.2]", "title=P", "texture=p", "[fltsim.3]", "title=Q",
                "texture=q")}),
            C(install, ONE, {SHIPPED: b"[fltsim.0]\ntitle=L\nd=%s\ntexture=l\n" % (b"d" * 12000)},
              {CFG: BASE + crlf("", "", "[fltsim.2]", "title=L", "d=" + "d" * 12000, "texture=l")}),
            C("INSTALL_VARIANT c172 ..\\Downloads\\repaint\\FLTSIM.CFG", TWO,
              after={CFG: INSTALLED}),
            C("INSTALL_VARIANT C172 C:/Downloads/repaint/fltsim.cfg", TWO, after={CFG: INSTALLED}),
            C("INSTALL_VARIANT_BY_PATH C:\\FSX\\SimObjects\\Airplanes\\C172 %s "
              "/COPY_TEXTURE_FOLDERS" % SRC, OK, {SHIPPED: TRIMMED, R + "texture.Blue Sky/t": b"t"},
              {CFG: BASE + b"\r\n\r\n" + INSTALLED[len(BASE):].replace(b"Sky ", b"Sky")}),
            C(local % "repaint.cfg" + "/COPY_TEXTURE_FOLDERS /DELETE_SOURCEFILE_AFTER_INSTALL", TWO,
              {"C172/repaint.cfg": SOURCE, "C172/texture.red/r": b"r"},
              {CFG: INSTALLED, "C172/repaint.cfg": None}),
            C(local % deep, TWO, {"C172/" + deep.replace("\\", "/"): SOURCE}, {CFG: INSTALLED}),
            C(local % (deep + "s"), E, {"C172/%ss" % deep.replace("\\", "/"): SOURCE},
              why="too long"),
            C("INSTALL_VARIANT C172 C:\\nowhere.cfg", E, why=("cannot read", "nowhere.cfg")),
            C("INSTALL_VARIANT C172 " + SRC, E, {SHIPPED: b"[General]\nx=1\n"},
              why="fltsim.cfg has no [fltsim.N] section"),
            C("INSTALL_VARIANT Empty " + SRC, E, {"Empty/aircraft.cfg": b"[General]\r\n"},
              why="has no [fltsim.N] section"),
            C("INSTALL_VARIANT_BY_PATH nowhere " + SRC, E, why="no folder nowhere"),
        ] + [C("INSTALL_VARIANT " + args, E) for args in (
            "B737 " + SRC, 'C172 ""', "C172 C:\\Downloads\\repaint")])

    def test_texture_folders(self):
        copy = "INSTALL_VARIANT C172 %s /COPY_TEXTURE_FOLDERS " % SRC
        cfg, both = INSTALLED.replace(b"Sky ", b"Sky"), BOTH.replace(b"Sky ", b"Sky")
        partial = "C172/texture.Blue Sky.fuselox-partial"
        self.table({CFG: BASE, SHIPPED: TRIMMED}, [
            C(copy + "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL /ALLOW_DUPLICATES_BY_TITLE", TWO,
              {R + "texture.blue sky/t.dds": b"dds", R + "texture.Red/a": b"a",
               R + "texture.Red/sub/x": b"x", R + "texture.green/g": b"g"},
              {CFG: both, "C172/texture.blue sky/t.dds": b"dds", "C172/texture.Red/a": b"a",
               R + "texture.blue sky": None, R + "texture.Red/a": None}),
            C(copy, TWO, {R + "texture.Blue Sky/t": b"theirs", "C172/texture.Blue Sky/t": b"mine"},
              {CFG: cfg}),
            C(copy + "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", TWO,
              {R + "texture.Blue Sky/t": b"dds", partial + "/t": b"d"},
              {CFG: cfg, "C172/texture.Blue Sky/t": b"dds", R + "texture.Blue Sky": None,
               partial: None}),
            C("INSTALL_VARIANT C172 C:\\FSX\\SimObjects\\Airplanes\\C172\\fltsim.cfg "
              "/COPY_TEXTURE_FOLDERS /DELETE_TEXTURE_FOLDERS_AFTER_INSTALL "
              "/ALLOW_DUPLICATES_BY_TITLE", TWO, {"C172/fltsim.cfg": SOURCE,
                                                  "C172/texture.red/r": b"r"}, {CFG: BOTH}),
            C(copy + "/ALLOW_DUPLICATES_BY_TITLE", TWO, {
                R + "TEXTURE.RED/c": b"upper", R + "texture.red/sub/x": b"x", R + "texture": DIR},
              {CFG: both, "C172/TEXTURE.RED/c": b"upper"})])

    def test_remove(self):
        commented = crlf("[fltsim.0]", "title=A", "texture=a", "", "//[fltsim.1]", "//title=B",
                         "//texture=b", "//", "[General]", "atc_type=X")
        twice = crlf("[fltsim.0]", "title=B", "texture=1", "[fltsim.1]", "title=B", "texture=2",
                     "//x=1")
        once = crlf("[fltsim.0]", "title=B", "texture=1", "//[fltsim.1]", "//title=B",
                    "//texture=2", "////x=1")
        remove, keep = "REMOVE_VARIANT_BY_TITLE C172 %s /REMOVAL_DELETETEXTUREFOLDER", "texture=" \
            "..\\..\\..\\..\\keep"
        kept = crlf("[fltsim.0]", "title=E", "texture=", "[fltsim.1]", "title=F", keep)
        self.table({CFG: BASE, "C172/texture.b/b": b"b"}, [
            C("REMOVE_VARIANT_BY_TITLE C172 B", OK, after={CFG: commented}),
            C("REMOVE_VARIANT_BY_TITLE C172 B /REMOVAL_DESTRUCTIVE", OK, after={
                CFG: crlf("[fltsim.0]", "title=A", "texture=a", "", "[General]", "atc_type=X")}),
            C("REMOVE_VARIANT_BY_TEXTURE C172 A", OK, after={CFG: crlf(
                "//[fltsim.0]", "//title=A", "//texture=a", "//", "[fltsim.0]", "title=B",
                "texture=b", "", "[General]", "atc_type=X")}),
            C("REMOVE_VARIANT_BY_TITLE C172 b", OK, {CFG: twice}, {CFG: once}),
            # A commented header ends no block: the first removal's lines are commented again.
            C("REMOVE_VARIANT_BY_TITLE C172 b", OK, {CFG: once}, {CFG: crlf(
                "//[fltsim.0]", "//title=B", "//texture=1", "////[fltsim.1]", "////title=B",
                "////texture=2", "//////x=1")}),
            C(remove % "second /REMOVAL_DESTRUCTIVE", OK, {
                CFG: crlf("[fltsim.2]", "title=First", "texture=f", "[fltsim.2]", "title=Second",
                          "texture=b"), "C172/texture.f/f": b"f"},
              {CFG: crlf("[fltsim.0]", "title=First", "texture=f"), "C172/texture.b": None}),
            C(remove % "B /REMOVAL_NONDESTRUCTIVE", OK, after={CFG: commented}),
            # A folder another variant still names stays, and so does one outside the aircraft.
            C(remove % "B", OK, {CFG: BASE.replace(b"texture=a", b"texture=B")},
              {CFG: commented.replace(b"texture=a", b"texture=B")}),
            C(remove % "E", OK, {CFG: kept, "C172/texture/base": b"base", "/FSX/keep/k": b"k"},
              {CFG: crlf("//[fltsim.0]", "//title=E", "//texture=", "[fltsim.0]", "title=F",
                         keep)}),
            C(remove % "F", OK, {CFG: kept, "/FSX/keep/k": b"k"}, {CFG: crlf(
                "[fltsim.0]", "title=E", "texture=", "//[fltsim.1]", "//title=F", "//" + keep)}),
            C(remove % "B", E, {CFG: read_only(BASE)}, why="read-only"),
            C('REMOVE_VARIANT_BY_TITLE C172 ""', E, {CFG: BASE.replace(b"=B", b"=")},
              why="an argument is empty"),
            C("REMOVE_VARIANT_BY_TITLE C172 nope", E, why='title "nope"'),
            C("REMOVE_VARIANT_BY_TEXTURE C172 nope", E, why='texture "nope"')])

    def test_sanitize_and_append(self):
        renumbered = b"[fltsim.0]\r\n[fltsim.1]\r\n[fltsim.2]\r\n//[fltsim.3]\r\n[fltsim.3]\r\nv=1"
        self.table({CFG: b"[General]\r\nL=1", "/work/add.txt": b"a=1\nb=2\n", SHIPPED: SOURCE}, [
            C("SANITIZE_VARIANTS C172", OK, {CFG: b"[fltsim.0]\n[fltsim.2]\n  [FLTSIM.7] // old\n"
                                                  b"//[fltsim.3]\n[fltsim.3]\nv=1"},
              {CFG: renumbered}),
            C("SANITIZE_VARIANTS C172", OK, {CFG: renumbered}),
            C("SANITIZE_VARIANTS C172", OK, {CFG: crlf(
                "[fltsim.5]", "title=A", "", "[FLTSIM.5]", "title=B", "[fltsim.x]", "title=C", "",
                "", final_line_end=True)}, {CFG: crlf("[fltsim.0]", "title=A", "", "[fltsim.1]",
                                                      "title=B", "[fltsim.2]", "title=C")}),
            C("APPEND_TEXT C172 add.txt", b"NOERROR",
              after={CFG: b"[General]\r\nL=1\r\na=1\r\nb=2"}),
            C("APPEND_TEXT C172 C:\\work\\add.txt", b"NOERROR",
              {CFG: b"[General]\r\nL=1\r\n", "/work/add.txt": b"[x]\r\na=1"},
              {CFG: b"[General]\r\nL=1\r\n\r\n[x]\r\na=1"}),
            C("APPEND_TEXT C172 missing.txt", E, why="cannot read missing.txt"),
            C("APPEND_TEXT C172 add.txt", E, {"/work/add.txt": b"a=1\r\n\x1ab=2\r\n"},
              why="end-of-file mark"),
        ] + [C(cmd, E, {CFG: read_only(BASE.replace(b"fltsim.1", b"fltsim.4"))},
               why=("aircraft.cfg", "read-only")) for cmd in (
            "INSTALL_VARIANT C172 " + SRC, "REMOVE_VARIANT_BY_TEXTURE C172 a",
            "SANITIZE_VARIANTS C172", "APPEND_TEXT C172 add.txt")])
