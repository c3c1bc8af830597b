"""Every command, as tables: the command line, finding the simulator and aircraft, listing,
parameters, variants, patches."""

import hashlib
import os
import struct

from harness import AIRPLANES as AP, APP_DATA, CFG, COMMAND, DIR, E, OK, SIM, UNDER_WINE, \
    WINE_PREFIX, Case as C, PrefixTest, crlf, run_captured, user_reg, write

# Shaped like a real file: comments, odd spacing and casing, a numbering gap, other sections.
REAL = crlf("[fltsim.0]", "title=Cessna Skyhawk 172SP Paint1", "model=", "texture=1",
            'ui_variation="White, Tan"   // factory', "", "  [FLTSIM.1]",
            "title = Cessna Skyhawk 172SP Paint2 // blue", "Texture = 2", "atc_id=N12345", "",
            "[fltsim.3]", "\ttitle\t=\tCessna Skyhawk G1000", "texture=G1000", "", "[General]",
            "atc_type=CESSNA", "; comment line", "", "[weight_and_balance]",
            "max_gross_weight = 2550     // (pounds)", "empty_weight = 1663 ; lbs",
            final_line_end=True)
SIMPLE = crlf("[fltsim.0]", "title=A", "texture=a")
PATHS = b"[Main]\nSimObjectPaths.0=SimObjects\\Airplanes\n"
# Windows file names ignore the case of every letter, POSIX ones that of ASCII letters only.
LATIN1_CASE_FOLDED = UNDER_WINE


def read_only(data):
    return lambda path: (write(path, data), os.chmod(path, 0o444))


def raw_reg(value):  # user.reg text as Wine writes it, with the AppPath value given
    return {"USER.REG": b'WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Microsoft Games\\\\'
                        b'Flight Simulator\\\\10.0] 1\n"AppPath"=' + value + b"\n"}


WRONG, LONG = b"ERROR Incorrect number of arguments for mode %s\n", "x" * 1024
COMMAND_LINE = (SIMPLE, [
    C("help me", b"ERRORUNKNOWNCOMMAND\n", why=('"help"', "not a command")),
    C("FROBNICATE", b"ERRORUNKNOWNCOMMAND\n", why='"FROBNICATE"'), C("HELO", b"ERRORUNKNOWNCOMMAND\n"),
    C("PRINT_VERSION x y", b"1.21\n"), C("print_versionXYZ", b"1.21\n"),
    C("PRINT_PATH_AIRCRAFT " + "x" * 1023, E, why="not found"),
    C("VERIFY_TITLE C172 /SHOW_EOL_COMMENTS", E),  # the switch is the title
    C("VERIFY_TITLE C172 " + "\u00e9" * 600, E),  # 600 Latin-1 characters fit
    C("verify_title C172", WRONG % b"VERIFY_TITLE", why="VERIFY_TITLE takes 2 arguments, 1 given"),
    C("VERIFY_AIRCRAFT", WRONG % b"VERIFY_AIRCRAFT", why="takes 1 argument, 0 given"),
    C("VERIFY_AIRCRAFT C172 /copy_texture_folders /COPY_TEXTURE_FOLDER", OK, why='FOLDER" is not'),
] + [C(cmd, WRONG % cmd.split()[0].encode()) for cmd in (
    "BINPATCH_MAKE a b", "BINPATCH_APPLY a b", "BINPATCH_APPLY_TO_FSX a",
    "DUMP_ALL_TEXTURE_TITLE", "INSTALL_VARIANT_BY_PATH x")] + [
    C(cmd, b"ERROR Argument too long for mode %s\n" % cmd.split()[0].encode(),
      why="longer than 1023") for cmd in (
        "PRINT_PATH_AIRCRAFT " + LONG, "CHANGE_GLOBAL_PARAMETER C172 G k " + LONG,
        "CHANGE_VARIANT_PARAMETER_BY_TITLE %s A k v" % LONG, "BINPATCH_MAKE a b " + LONG,
        "BINPATCH_APPLY C172 %s p" % LONG)])

NO_SIM, NO_PATHS = {"USER.REG": user_reg(None), "/work/p": b"x"}, {"FSX.CFG": b"[x]\n"}
POLISH = "C:\\users\\\u0141ukasz\\AppData\\Roaming"
# Only the POSIX build reads user.reg text (escapes, hex values); the Windows build asks Wine's
# registry, which the harness fills from the values user_reg() was given.
SIMULATOR = ({"/Addons/Planes/Spit/aircraft.cfg": SIMPLE, CFG: SIMPLE, "/FSX/S/aircraft.cfg": b""},
             ([] if UNDER_WINE else [
    C("print_path_fsx", b"D:\\Jeux\\Caf\xe9A\t\\\n",
      raw_reg(b'str(2):"D:\\\\Jeux\\\\Caf\\xe9\\x141\\t\\\\"')),
    C("PRINT_PATH_FSX", SIM.encode() + b"\n",
      raw_reg(b"hex(2):43,00,3a,00,5c,00,46,00,53,00,\\\n  58,00,5c,00")),
    C("PRINT_PATH_FSX", b"C:\n", raw_reg(b"hex(1):43,00,3a,00")),
    C("PRINT_PATH_FSX", E, raw_reg(b"hex(1):43,00,3a,00,z")),
    C("PRINT_PATH_FSX", E, raw_reg(b"dword:00000001"))]) + [
    C("PRINT_PATH_FSX", b"C:\\FSX\\\n", {"FSX.CFG": None}),
    C("PRINT_PATH_FSX", b"C:\\%s\n" % (b"x" * 508), {"USER.REG": user_reg("C:\\" + "x" * 508)}),
    C("PRINT_PATH_FSX", E, {"USER.REG": user_reg("C:\\" + "x" * 509)}),
    C("DUMP_ALL_TITLE C172", b"A\n", {"USER.REG": user_reg(SIM, POLISH), "FSX.CFG": None,
                                      "/users/\u0141ukasz/AppData/Roaming/Microsoft/FSX/fsx.cfg":
                                      PATHS}),
    C("PRINT_PATH_AIRCRAFT C172", b"c:\\fsx\\SIMOBJECTS\\AIRPLANES\\C172\\\n",
      {"USER.REG": user_reg("c:\\fsx")}),  # joined with one backslash
    C("DUMP_ALL_TITLE C172", E, {"USER.REG": user_reg(SIM, APP_DATA + "\\"), "FSX.CFG": None},
      why="Roaming\\Microsoft"),
    C("PRINT_PATH_AIRCRAFT C172", E, {"USER.REG": user_reg(SIM, None)},
      why="application-data folder"),
    C("DUMP_ALL_TITLE C172", E, {"FSX.CFG": None},
      why="cannot read C:\\users\\pilot\\AppData\\Roaming\\Microsoft\\FSX\\fsx.cfg"),
    C("DUMP_ALL_AIRCRAFT", b"", NO_PATHS, code=0, why="no SimObjectPaths line"),
    C("PRINT_PATH_AIRCRAFT C172", E, NO_PATHS),
    C("DUMP_ALL_AIRCRAFT", b"", NO_SIM, code=0, why="AppPath"),
] + [C(cmd, E, NO_SIM, why=("registry value AppPath", "missing")) for cmd in (
    "PRINT_PATH_FSX", "VERIFY_AIRCRAFT C172", "BINPATCH_APPLY_TO_FSX fsx.exe p")] + [
    C("PRINT_PATH_AIRCRAFT " + name, out, {"FSX.CFG": b"[main]\n" + paths})
    for paths, name, out in (
        (b"SimObjectPaths.0 =  c:\\Addons\\Planes\n", "Spit", b"C:\\ADDONS\\PLANES\\Spit\\\n"),
        (b"SimObjectPaths.0=x=SimObjects\\Airplanes\n", "C172", AP + b"C172\\\n"),
        (b"SimObjectPaths.0=\n" + PATHS[7:].replace(b".0", b".1"), "C172", AP + b"C172\\\n"),
        (b"SimObjectPaths.0=  \n", "S", E), (PATHS[7:-1], "C172", AP + b"C172\\\n"),
        (b"Note=[x]\n" + PATHS[7:], "C172", E),
        (b"SimObjectPaths.0=SimObjects\\Gone\r\n" + PATHS[7:].replace(b".0", b".1"), "C172",
         AP + b"C172\\\n"))] + [
    C("DUMP_ALL_AIRCRAFT", b"", {"FSX.CFG": b"[MAIN]\nSimObjectPaths.0=SimObjects\\Gliders\n" +
                                 PATHS[7:].replace(b".0", b".1")},
      code=0, why=("cannot list", "GLIDERS"))])

FOLDERS = ({"Empty": DIR, "readme.txt": b"x", "/work/add.txt": b"x=1\r\n",
            "/work/nul.txt": b"[fltsim.0]\r\n", **{key + "/aircraft.cfg": SIMPLE for key in (
                "C172", "../Rotorcraft/Bell", "../Rotorcraft/C172", "alpha", "Zulu", "\u00e9clair",
                "sub/inner", "Caf\u00e9", "Aata")}}, [
    C("DUMP_ALL_AIRCRAFT", b"Aata\nalpha\nC172\nCaf\xe9\nZulu\n\xe9clair\nBell\nC172\n"),
    C("PRINT_PATH_AIRCRAFT bell", b"C:\\FSX\\SIMOBJECTS\\ROTORCRAFT\\bell\\\n"),
    C("PRINT_PATH_AIRCRAFT c172", AP + b"c172\\\n"), C("VERIFY_AIRCRAFT c172", OK),
    C("PRINT_PATH_AIRCRAFT C172.", AP + b"C172.\\\n"),  # as Windows drops the dot
    C("VERIFY_TITLE C172. A", OK), C("PRINT_PATH_AIRCRAFT sub/inner", AP + b"sub/inner\\\n"),
    C("PRINT_PATH_AIRCRAFT ..\\Airplanes\\C172", AP + b"..\\Airplanes\\C172\\\n"),
    C("PRINT_PATH_AIRCRAFT Caf\u00e9", AP + b"Caf\xe9\\\n"),
    C("VERIFY_AIRCRAFT caf\u00c9", OK if LATIN1_CASE_FOLDED else E),
    C('PRINT_PATH_AIRCRAFT ""', E, why="no aircraft folder name"),
    C('APPEND_TEXT C172 "add.txt. "', b"NOERROR", after=SIMPLE + b"\r\nx=1"),
] + [C(cmd, E) for cmd in (
    "PRINT_PATH_AIRCRAFT Empty", "PRINT_PATH_AIRCRAFT readme.txt", "VERIFY_AIRCRAFT C1*",
    "PRINT_PATH_AIRCRAFT \u0141ata", "APPEND_TEXT C172 NUL.txt", "APPEND_TEXT C172 con",
    "APPEND_TEXT C172 c:\\work\\con.txt", "INSTALL_VARIANT C172 CON",
    "BINPATCH_APPLY_TO_FSX aux nul", "BINPATCH_MAKE add.txt nul.txt NUL.patch")
] + [C(cmd + " B737" + rest, E, why=('"B737" not found under', "AIRPLANES, C:\\FSX\\SIMOBJECTS\\"
                                                                    "ROTOR")) for cmd, rest in (
    ("PRINT_PATH_AIRCRAFT", ""), ("SANITIZE_VARIANTS", ""), ("DUMP_ALL_TEXTURE_TITLE", ""),
    ("VERIFY_TITLE", " x"), ("READ_GLOBAL_PARAMETER", " G k"))])

NO_VARIANT, PAINT2 = crlf("[General]", "atc_type=X"), '"Cessna Skyhawk 172SP Paint2'
LISTING = (REAL, [
    C("DUMP_ALL_TEXTURE_TITLE C172", b"1/CESSNA SKYHAWK 172SP PAINT1\n2/CESSNA SKYHAWK 172SP "
      b"PAINT2 // BLUE\nG1000/CESSNA SKYHAWK G1000\n"),
    C("DUMP_ALL_TEXTURE C172", b"1\n2\nG1000\n"),
    C("dump_all_title C172", b"CESSNA SKYHAWK 172SP PAINT1\nCESSNA SKYHAWK 172SP PAINT2 // BLUE\n"
      b"CESSNA SKYHAWK G1000\n"), C('VERIFY_TITLE C172 "cessna skyhawk 172sp paint1"', OK),
    C("VERIFY_TITLE C172 %s\"" % PAINT2, E, why="title " + PAINT2),  # the title is the whole value
    C("VERIFY_TITLE C172 %s // Blue\"" % PAINT2, OK), C("VERIFY_TEXTURE C172 g1000", OK),
    C("VERIFY_TEXTURE C172 3", E, why='texture "3"'),
    C('VERIFY_TEXTURE C172 ""', E, why='texture ""'),
    C('VERIFY_TITLE C172 ""', E, why="an argument is empty"),
    C("VERIFY_TEXTURE C172 stray", E, b"texture=stray\n[fltsim.0]\ntitle=A\ntexture=a\n"),
    C("DUMP_ALL_TEXTURE_TITLE C172", b"B/\n", b"[fltsim.0]\ntexture=b\ntitle=A\n"),
    C("DUMP_ALL_TEXTURE_TITLE C172", b"A/T1\nB/T2\n", crlf(
        "[fltsim.0]", "title=T1", "texture=a", "", "[fltsim.1]", "title=T2", "texture=b")),
    C("VERIFY_TEXTURE C172 b", OK, crlf("[fltsim.0]", "title=T", "texture=b")),
    C("DUMP_ALL_TEXTURE_TITLE C172", b"A/A\n/\n", SIMPLE + b"\r\n[fltsim.1]"),
    C("DUMP_ALL_TEXTURE_TITLE C172", b"/T1\nB/T2\n", crlf(
        "[fltsim.0]", "title=T1", "", "[fltsim.1]", "title=T2", "texture=b", "")),
    C("VERIFY_AIRCRAFT C172", OK, NO_VARIANT),
    C('VERIFY_TEXTURE C172 ""', OK, b"[fltsim.0]\ntitle=x\ntexture=\n"),
    C("VERIFY_TITLE C172 HIDDEN", OK, b"[fltsim.0]\ntexture=a\n[General]\ntitle=Hidden"),
] + [C(cmd + " C172", E, NO_VARIANT, why="ANES\\C172\\aircraft.cfg has no [fltsim.N]") for cmd in (
    "DUMP_ALL_TITLE", "DUMP_ALL_TEXTURE", "DUMP_ALL_TEXTURE_TITLE")])

EMPTY, G1000 = b"[fltsim.0]\ntitle=T\ntexture=\n", '"Cessna Skyhawk G1000"'
READ = "READ_GLOBAL_PARAMETER C172 "
READING = (REAL, [
    C(READ + "weight_and_balance MAX_GROSS_WEIGHT", b"2550\n"),
    C(READ + '" WEIGHT_AND_BALANCE " max_gross_weight /SHOW_EOL_COMMENTS',
      b"2550     // (pounds)\n"),
    C(READ + "weight_and_balance empty_weight", b"1663\n"),
    C(READ + "General missing", E, why='"missing" not found in section [General]'),
    C(READ + "Nowhere atc_type", E, why="section [Nowhere] not found"),
    C(READ + "general K", b"1\n2\n", b"[General]\nk=1\nk=2 ; two\n"),
    C(READ + "general k", E, b"[General] // data\nk=1\n"),
    C("READ_VARIANT_PARAMETER_BY_TITLE C172 %s texture" % G1000, b"G1000\n"),
    C("READ_VARIANT_PARAMETER_BY_TEXTURE C172 2 atc_id", b"N12345\n"),
    C("READ_VARIANT_PARAMETER_BY_TEXTURE C172 1 ui_variation", b'"White, Tan"\n'),
    C('READ_VARIANT_PARAMETER_BY_TITLE C172 "no such" atc_id', E, why='title "no such"'),
    C("READ_VARIANT_PARAMETER_BY_TITLE C172 %s atc_id" % G1000, E,
      why='"atc_id" not found in the variant'),
    C("READ_VARIANT_PARAMETER_BY_TITLE C172 t texture", b"\n", EMPTY),
    C('READ_VARIANT_PARAMETER_BY_TEXTURE C172 "" texture', E, EMPTY)])

BY_POSITION = crlf("[fltsim.2]", "title=First", "texture=a", "atc_id=1", "[fltsim.2] // x",
                   "title=Second", "texture=b", "atc_id=2", "[fltsim.02]", "title=Third",
                   "texture=c", "atc_id=3")
SAME = crlf("[fltsim.0]", "title=Same", "atc_id=1", "[fltsim.1]", "title=Same", "atc_id=2")
# What text mode would change is kept.
ODD = b"[S]\r\nk=1\r\ndescription=" + b"x" * 3000 + b"\r\nodd=a\rb\r\nnul=a\x00b\r\n\x1a tail \xff!"
ADD, LINK = " /ADD_MISSING_PARAMETER", "/elsewhere/real.cfg"
CHANGE = "CHANGE_GLOBAL_PARAMETER C172 "
CHANGING = (REAL, [
    C(CHANGE + "weight_and_balance MAX_GROSS_WEIGHT 2600", OK,
      after=REAL.replace(b" = 2550     // (pounds)", b"=2600")[:-2]),
    C(CHANGE + "s UI_TYPE Beta", OK, b"[S]\r\n  ui_type = A ; note\r\n  other=1\r\n[T]\r\n  x=1",
      b"[S]\r\nui_type=Beta\r\nother=1\r\n[T]\r\n  x=1"),
    C(CHANGE + 'S k ""', OK, b"[S]\nk=1\nk=2\n[S]\nk=3\n", b"[S]\r\nk=\r\nk=\r\n[S]\r\nk="),
    C(CHANGE + "S New v" + ADD, OK, b"[S]\nk=1\n\n// end\n[T]\nz=1",
      b"[S]\r\nk=1\r\n\r\n// end\r\nNew=v\r\n[T]\r\nz=1"),
    C(CHANGE + "S new v" + ADD, OK, b"[T]\nz=1\n[S]\nk=1", b"[T]\r\nz=1\r\n[S]\r\nk=1\r\nnew=v"),
    C(CHANGE + "S new v", E, b"[S]\n  k=1\n  [T]\n  z=1\n\n", why=('"new" not found', ADD[1:])),
    C(CHANGE + "S k 2", OK, b"[S]\nk=1\nlast=1\n", b"[S]\r\nk=2\r\nlast=1"),
    C(CHANGE + "Nowhere k 2" + ADD, E, why="section [Nowhere] not found"),
    C(CHANGE + "S k 2", OK, ODD, ODD.replace(b"=1", b"=2")),
    C(CHANGE + "General atc_type X", E, read_only(REAL), why="aircraft.cfg is read-only"),
    C(CHANGE + "General atc_type X", OK, {CFG: "-> " + LINK, LINK: crlf("[General]", "atc_type=A")},
      {LINK: crlf("[General]", "atc_type=X")}),
    C("CHANGE_VARIANT_PARAMETER_BY_TITLE C172 same ATC_ID X", OK, SAME, SAME.replace(b"=2", b"=X")),
    C("CHANGE_VARIANT_PARAMETER_BY_TITLE C172 first k X", E, BY_POSITION, why="variant's section"),
    C("READ_VARIANT_PARAMETER_BY_TITLE C172 second atc_id", b"2\n", BY_POSITION),
    C("CHANGE_VARIANT_PARAMETER_BY_TEXTURE C172 C atc_id 9" + ADD, OK, BY_POSITION,
      BY_POSITION.replace(b"atc_id=3", b"atc_id=9")),
    C("CHANGE_VARIANT_PARAMETER_BY_TITLE C172 Second new n" + ADD, OK, BY_POSITION,
      BY_POSITION.replace(b"id=2", b"id=2\r\nnew=n")),
    C("CHANGE_VARIANT_PARAMETER_BY_TITLE C172 nope atc_id X", E, why='"nope"'),
    C('CHANGE_VARIANT_PARAMETER_BY_TEXTURE C172 "" atc_id X', E),
    C('CHANGE_VARIANT_PARAMETER_BY_TEXTURE C172 1 "" X' + ADD, E, why="an argument is empty")])


# Installing, removing and renumbering variants, appending text.
BASE = crlf("[fltsim.0]", "title=A", "texture=a", "", "[fltsim.1]", "title=B", "texture=b", "",
            "[General]", "atc_type=X")
SOURCE = (b"[fltsim.x]\r\ntitle=New One\r\n   texture = Blue Sky \r\n\r\nui_variation=one\r\n"
          b"ui_variation=one\r\n\r\n[fltsim.y] ; second\r\ntitle\t=\tB\r\ntexture=red\r\n")
NEW_ONE = ("[fltsim.2]", "title=New One", "texture = Blue Sky ", "ui_variation=one")
INSTALLED = BASE + crlf("", "", *NEW_ONE)
BOTH = INSTALLED + crlf("", "", "", "[fltsim.3]", "title\t=\tB", "texture=red")
R, SRC = "/Downloads/repaint/", "C:\\Downloads\\repaint\\fltsim.cfg"
SHIPPED, TRIMMED = R + "fltsim.cfg", SOURCE.replace(b"Blue Sky \r", b"Blue Sky\r")
TWO, ONE = b"NOERROR-2\n", b"NOERROR-1\n"
EARLY = ("[General]", "title=Early", "[fltsim.0]", "title=Mixed Case", "texture=Tex One")
INSTALL = "INSTALL_VARIANT C172 %s /COPY_TEXTURE_FOLDERS " % SRC
LOCAL = "INSTALL_VARIANT C172 %s /SOURCEFILE_IN_AIRCRAFT_FOLDER "
DEEP = "\\".join(["d" * 199] * 4 + ["s" * 189])  # "<aircraft folder>\<DEEP>": 1023 characters
DEEP_KEY = "C172/" + DEEP.replace("\\", "/")
INSTALLING = ({CFG: BASE + b"\r\n\r\n", SHIPPED: SOURCE}, [
    C(INSTALL, TWO, after=INSTALLED), C(INSTALL + "/ALLOW_DUPLICATES_BY_TITLE", TWO, after=BOTH),
    C(INSTALL + "/PREVENT_DUPLICATES_BY_TEXTURE", ONE, {SHIPPED: b"[fltsim.0]\ntitle=Z\ntexture=A\n"
                                                        }, BASE),
    C(INSTALL, TWO, {SHIPPED: b"[fltsim.0]\ntitle=A\ntexture=q\n[fltsim.1]\nTitle=U\ntexture=r\n"},
      BASE + crlf("", "", "[fltsim.2]", "Title=U", "texture=r")),
    C('VERIFY_TEXTURE C172 "blue sky "', OK, INSTALLED),
    C(INSTALL + "/PREVENT_DUPLICATES_BY_TEXTURE", TWO, INSTALLED),
    # Titles count from the first variant header on; both checks fold case on both sides.
    C(INSTALL + "/PREVENT_DUPLICATES_BY_TEXTURE", b"NOERROR-3\n", {CFG: crlf(*EARLY), SHIPPED:
      b"[fltsim.0]\ntitle=early\ntexture=n\n[fltsim.1]\ntitle=mixed CASE\ntexture=m\n"
      b"[fltsim.2]\ntitle=O\ntexture=tex one\n"},
      crlf(*EARLY, "", "[fltsim.1]", "title=early", "texture=n")),
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
      BASE + crlf("", "", "", "", *NEW_ONE).replace(b"Sky ", b"Sky")),
    C(LOCAL % "r.cfg" + "/COPY_TEXTURE_FOLDERS /DELETE_SOURCEFILE_AFTER_INSTALL", TWO,
      {"C172/r.cfg": SOURCE, "C172/texture.red/r": b"r"}, {CFG: INSTALLED, "C172/r.cfg": None}),
    C(LOCAL % DEEP + "/DELETE_SOURCEFILE_AFTER_INSTALL", TWO, {DEEP_KEY: SOURCE},
      {CFG: INSTALLED, DEEP_KEY: None, DEEP_KEY.rsplit("/", 1)[0]: DIR}),
    C(LOCAL % (DEEP + "s"), E, {DEEP_KEY + "s": SOURCE}, why="too long"),
    C("INSTALL_VARIANT C172 C:\\nowhere.cfg", E, why=("cannot read", "nowhere.cfg")),
    C("INSTALL_VARIANT C172 " + SRC, E, {SHIPPED: b"[General]\nx=1\n"},
      why="fltsim.cfg has no [fltsim.N] section"),
    C("INSTALL_VARIANT Empty " + SRC, E, {"Empty/aircraft.cfg": b"[G]\r\n"},
      why="AIRPLANES\\Empty\\aircraft.cfg has no [flt"),
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
    C(INSTALL, E, {R + "texture.Blue Sky/t": b"t", PARTIAL + "/sub": DIR}, why="cannot create"),
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


# Binary patches, the worked example of docs/patch_format.md byte for byte.
OLD, NEW, MDL = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", b"xxABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "C/m.mdl"
PATCH_XX = (b"2b1f468fbb6f23893ca4bc004521210fbdiff02\x1a\x1e\x00\x00\x00\x20\x00\x00\x00\x2b\x02"
            b"\x00\x00\x00xx\x40\x00\x00\x00\x00\x1e\x00\x00\x00\x87\x48\x55\x95")


def patch(records, new_size, old=OLD, magic=b"bdiff02\x1a", old_size=None):
    return (hashlib.md5(old).hexdigest().encode() + magic +
            struct.pack("<II", len(old) if old_size is None else old_size, new_size) + records)


def literal(data, length=None):
    return b"+" + struct.pack("<I", len(data) if length is None else length) + data


def copy(offset, length, checksum=0):
    return b"@" + struct.pack("<III", offset, length, checksum)


APPLY, BIG = "BINPATCH_APPLY C m.mdl p.bdiff", 0x7FFFFFFF
BAD = [  # patches that must leave the file alone; sizes near 2^31 are never trusted
    (PATCH_XX[:40], "bad header"), (PATCH_XX + b"\n", "record kind 0x0A at byte 68"),
    (PATCH_XX[:-1] + b"\x96", "checksum"), (PATCH_XX[:50], ""),
    (patch(literal(b"x"), 1, magic=b"bdiff03\x1a"), "not a patch"),
    (patch(literal(b"x"), 1, old=b"other"), "not the file this patch was made for"),
    (patch(literal(b"0123456789")[:-4], 10), "ends at byte 59"),
    (patch(literal(b"ab") + copy(500, 24), 26), "record at byte 55"),
    (patch(literal(b"abc"), 4), "do not add up"), (patch(literal(b"abcdef"), 3), "more"),
    (patch(b"", BIG, old_size=BIG), ""), (patch(literal(b"abcd"), BIG + 1), ""),
    (patch(literal(b"abcd"), 0xFFFFFFFF), ""), (patch(literal(b"abc", BIG), BIG), ""),
    (patch(literal(b"abc", BIG + 1), BIG), ""), (patch(literal(b"abc", 0xFFFFFFFF), 16), ""),
    (patch(copy(BIG - 15, 32), BIG), "outside the old file"),
    (patch(copy(0, BIG), BIG, old_size=BIG), ""), (patch(copy(0xFFFFFFF0, 32), 32), ""),
    (patch(copy(0, 0xFFFFFFFF), 32), ""), (patch(copy(BIG, BIG), BIG), ""),
    (patch(copy(len(OLD) - 16, 64), 64, old_size=BIG), ""), (PATCH_XX[:-1], "ends at byte 67"),
    (patch(copy(0, 0), 0), "record at byte 48")]


def SPARSE(path):  # 2 GiB, none of it written
    write(path, b""), os.truncate(path, 1 << 31)
PATCHES = ({"C/aircraft.cfg": SIMPLE, MDL: OLD, "/work/old.bin": OLD, "/work/new.bin": NEW,
            "/work/empty.bin": b"", "/work/p.bdiff": PATCH_XX}, [
    C("BINPATCH_MAKE old.bin new.bin x.bdiff", OK, after={"/work/x.bdiff": PATCH_XX}),
    C("BINPATCH_MAKE no.bin new.bin x.bdiff", b"ERROR1\n", why="no.bin: cannot be opened"),
    C("BINPATCH_MAKE old.bin gone.bin x.bdiff", E, why="gone.bin: cannot be opened"),
    C("BINPATCH_MAKE old.bin OLD.BIN x.bdiff", E, why="three different files"),
    C("BINPATCH_MAKE old.bin new.bin ./old.bin", E),
    C("BINPATCH_MAKE empty.bin new.bin e.bdiff", E, why="empty old file"),
    C("BINPATCH_MAKE old.bin empty.bin e.bdiff", OK, after={"/work/e.bdiff": patch(b"", 0)}),
    C('BINPATCH_MAKE "" new.bin x', E, why="no old file"),
    C('BINPATCH_MAKE old.bin "" x', E, why="no new file"),
    C('BINPATCH_MAKE old.bin new.bin ""', E, why="no patch file"),
    C("BINPATCH_MAKE old.bin new.bin Old.Bin", E, why="three different files"),
    C("BINPATCH_MAKE x.temp new.bin x", E, {"/work/x.temp": b"t"}, why="three different"),
    C("BINPATCH_MAKE big new.bin x", E, {"/work/big": SPARSE}, why="2 GiB or more"),
    C("BINPATCH_MAKE old.bin big x", E, {"/work/big": SPARSE}, why="2 GiB or more"),
    C(APPLY.replace("p.bdiff", AP.decode() + "C\\M.MDL.TEMP"), E, {"C/m.mdl.temp": PATCH_XX},
      why="names the patch or the target"),  # the rebuild would take the patch's place
    C("BINPATCH_APPLY C M.MDL C:\\work\\p.bdiff", OK, after={MDL: NEW}),
    C(APPLY, E, {MDL: NEW}, why="not the file this patch was made for"),
    C("BINPATCH_APPLY_TO_FSX SimObjects\\Airplanes\\C\\m.mdl p.bdiff", OK,
      {"/work/p.bdiff": PATCH_XX[:32].upper() + PATCH_XX[32:]}, {MDL: NEW}),
    C(APPLY, E, {MDL: read_only(OLD)}, why="m.mdl: the file is read-only"),
    C("BINPATCH_APPLY C m.mdl no.bdiff", E, why="no.bdiff: the patch cannot be"),
    C("BINPATCH_APPLY C a\\b p.bdiff", E, why="S\\C\\a\\b: the file to patch does not exist"),
    C("BINPATCH_APPLY B737 m.mdl p.bdiff", E, why='"B737" not found'),
] + [C(APPLY, E, {"/work/p.bdiff": data}, why=why) for data, why in BAD])


class CommandTest(PrefixTest):
    TABLES = (COMMAND_LINE, SIMULATOR, FOLDERS, LISTING, READING, CHANGING, INSTALLING,
              TEXTURES, REMOVING, SANITIZING, PATCHES)

    def test_banner_help_and_quiet_failures(self):
        # The program's own name, as started, in UTF-8: every length of encoding and its ends.
        link = os.path.join(self.tmp, "f\x7f\x80\u07ff\u0800\uffff\U00010000\U0010ffff.exe")
        os.symlink(COMMAND[-1], link)
        heading = (b"\n\nFuselox v1.21 - repaint installer and aircraft.cfg editor for FSX\n"
                   b"Free to use and to ship with any installer.\n" + b"=" * 63 + b"\n")
        name = ("Z:" + link.replace("/", "\\") if UNDER_WINE else link).encode("utf-8")
        banner = (b"This utility allows you to inject data and make changes to an\naircraft.cfg file "
                  b"(FSX only). Common uses involve issuing\naircraft.cfg patches, or installing/"
                  b"removing variants/repaints.\nIntended for installers and scripts (batch files)."
                  b"\nThe README shipped with this program explains every command in detail.\n\n")
        for args, ends in (([], banner + b"Type %s help for more information\n" % name),
                           (["help"], b'"relative path to file" "filename of patch"\n'),
                           (["HeLp"], b"\t/PREVENT_DUPLICATES_BY_TITLE (*DEFAULT*) \n")):
            out, rc, err = run_captured(COMMAND[:-1] + [link] + args, env=dict(
                os.environ, FUSELOX_VERBOSE="1", WINEPREFIX=WINE_PREFIX or self.p.root))
            self.assertEqual((0, b"", heading, True, True), (
                rc, err, out[:len(heading)], ends in out,
                not args or b"Usage:\n%s <Required" % name in out))
        for value in (None, "0", "", "yes"):  # reasons need FUSELOX_VERBOSE=1
            self.assertEqual((E, 0, b""), self.p.run(
                "VERIFY_AIRCRAFT", "B737", env=value is not None and {"FUSELOX_VERBOSE": value}))
