"""The command line, finding the simulator and aircraft, listing and parameters, as tables."""

import os

from harness import AIRPLANES as AP, APP_DATA, COMMAND, DIR, E, OK, SIM, UNDER_WINE, \
    WINE_PREFIX, Case as C, PrefixTest, crlf, run_captured, user_reg, write

# Shaped like a real file: comments, odd spacing and casing, a numbering gap, other sections.
REAL = crlf("[fltsim.0]", "title=Cessna Skyhawk 172SP Paint1", "model=", "texture=1",
            'ui_variation="White, Tan"   // factory', "", "  [FLTSIM.1]",
            "title = Cessna Skyhawk 172SP Paint2 // blue", "Texture = 2", "atc_id=N12345", "",
            "[fltsim.3]", "\ttitle\t=\tCessna Skyhawk G1000", "texture=G1000", "", "[General]",
            "atc_type=CESSNA", "; comment line", "", "[weight_and_balance]",
            "max_gross_weight = 2550     // (pounds)", "empty_weight = 1663 ; lbs",
            final_line_end=True)
CFG, A, SIMPLE = "C172/aircraft.cfg", "A/aircraft.cfg", crlf("[fltsim.0]", "title=A", "texture=a")
PATHS = b"[Main]\nSimObjectPaths.0=SimObjects\\Airplanes\n"
# Windows file names ignore the case of every letter, POSIX ones that of ASCII letters only.
LATIN1_CASE_FOLDED = UNDER_WINE


def read_only(data):
    return lambda path: (write(path, data), os.chmod(path, 0o444))


def reg(text):
    """user.reg text as written: FS] and SF] stand for the two keys' headers."""
    return {"USER.REG": b"WINE REGISTRY Version 2\n\n" + text.replace(b"FS]", b"[Software\\\\"
            b"Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1").replace(b"SF]", (
                b"[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell "
                b"Folders] 1"))}


class FrontEndTest(PrefixTest):
    def test_banner_help_and_quiet_failures(self):
        # The program's own name, as started, in UTF-8: every length of encoding and its ends.
        link = os.path.join(self.tmp, "f\x7f\x80\u07ff\u0800\uffff\U00010000\U0010ffff.exe")
        os.symlink(COMMAND[-1], link)
        heading = (b"\n\nFuselox v1.21 - repaint installer and aircraft.cfg editor for FSX\n"
                   b"Free to use and to ship with any installer.\n" + b"=" * 63 + b"\n")
        name = ("Z:" + link.replace("/", "\\") if UNDER_WINE else link).encode("utf-8")
        for args, ends in (([], b"\n\nType %s help for more information\n" % name),
                           (["help"], b'BINPATCH_APPLY_TO_FSX "relative path to file" "filename'
                                      b' of patch"\n'), (["HeLp"], b'"filename of patch"\n')):
            out, rc, err = run_captured(COMMAND[:-1] + [link] + args, env=dict(
                os.environ, FUSELOX_VERBOSE="1", WINEPREFIX=WINE_PREFIX or self.p.root))
            self.assertEqual((0, b"", heading, ends),
                             (rc, err, out[:len(heading)], out[-len(ends):]))
            self.assertTrue(not args or b"Usage:\n%s <Required" % name in out and
                            b"\t/PREVENT_DUPLICATES_BY_TITLE (*DEFAULT*) \n" in out)
        for value in (None, "0", "", "yes"):  # reasons need FUSELOX_VERBOSE=1
            self.assertEqual((E, 0, b""), self.p.run(
                "VERIFY_AIRCRAFT", "B737", env=value is not None and {"FUSELOX_VERBOSE": value}))

    def test_command_line(self):
        long = "x" * 1024
        self.table({CFG: SIMPLE}, [
            C("help me", b"ERRORUNKNOWNCOMMAND\n", why=('"help"', "not a command")),
            C("FROBNICATE", b"ERRORUNKNOWNCOMMAND\n", why='"FROBNICATE"'),
            C("PRINT_VERSION x y", b"1.21\n"), C("print_versionXYZ", b"1.21\n"),
            C("PRINT_PATH_AIRCRAFT " + "x" * 1023, E, why="not found"),
            C("VERIFY_TITLE C172 /SHOW_EOL_COMMENTS", E),  # the switch is the title
            C("VERIFY_TITLE C172 " + "\u00e9" * 600, E),  # 600 Latin-1 characters fit
            C("verify_title C172", b"ERROR Incorrect number of arguments for mode VERIFY_TITLE\n",
              why="VERIFY_TITLE takes 2 arguments, 1 given"),
        ] + [C(cmd, b"ERROR Incorrect number of arguments for mode %s\n" % cmd.split()[0].encode())
             for cmd in ("BINPATCH_MAKE a b", "BINPATCH_APPLY a b", "BINPATCH_APPLY_TO_FSX a",
                         "DUMP_ALL_TEXTURE_TITLE", "INSTALL_VARIANT_BY_PATH x")
        ] + [C(cmd, b"ERROR Argument too long for mode %s\n" % cmd.split()[0].encode(),
               why="longer than 1023") for cmd in (
            "PRINT_PATH_AIRCRAFT " + long, "CHANGE_GLOBAL_PARAMETER C172 General atc_type " + long,
            "CHANGE_VARIANT_PARAMETER_BY_TITLE %s A k v" % long, "BINPATCH_MAKE a b " + long,
            "BINPATCH_APPLY C172 %s p" % long)])


class LocationTest(PrefixTest):
    def test_simulator_folder(self):
        no_sim, no_paths = {"USER.REG": user_reg(None), "/work/p": b"x"}, {"FSX.CFG": b"[x]\n"}
        polish = reg(b'FS]\n"AppPath"=hex(2):43,00,3a,00,5c,00,46,00,53,00,\\\n  58,00,5c,00\n\nSF]'
                     b'\n"AppData"="C:\\\\users\\\\\\x141ukasz\\\\AppData\\\\Roaming"\n')
        polish.update({"FSX.CFG": None, "/users/\u0141ukasz/AppData/Roaming/Microsoft/FSX/fsx.cfg":
                       PATHS})
        slash = user_reg(SIM, APP_DATA + "\\")
        self.table({CFG: SIMPLE}, [
            C("PRINT_PATH_FSX", b"C:\\FSX\\\n", {"FSX.CFG": None}),
            C("print_path_fsx", b"D:\\Jeux\\Caf\xe9A\t\\\n",
              reg(b'FS]\n"AppPath"=str(2):"D:\\\\Jeux\\\\Caf\\xe9\\x141\\t\\\\"\n')),
            C("PRINT_PATH_FSX", b"C:\\%s\n" % (b"x" * 508), {"USER.REG": user_reg(
                "C:\\" + "x" * 508)}),
            C("PRINT_PATH_FSX", E, {"USER.REG": user_reg("C:\\" + "x" * 509)}),
            C("DUMP_ALL_TITLE C172", b"A\n", polish),
            C("DUMP_ALL_TITLE C172", E, {"USER.REG": user_reg("c:\\fsx")},
              why="c:\\fsxSIMOBJECTS\\AIRPLANES"),  # the value is taken as it is
            C("PRINT_PATH_AIRCRAFT C172", AP + b"C172\\\n", {"USER.REG": slash}),
            C("DUMP_ALL_TITLE C172", E, {"USER.REG": slash, "FSX.CFG": None},
              why="Roaming\\Microsoft\\FSX"),
            C("PRINT_PATH_AIRCRAFT C172", E, {"USER.REG": user_reg(SIM, None)},
              why="application-data folder"),
            C("DUMP_ALL_TITLE C172", E, {"FSX.CFG": None},
              why=("cannot read fsx.cfg", "Microsoft\\FSX\\fsx.cfg")),
            C("DUMP_ALL_AIRCRAFT", b"", no_paths, code=0, why="no SimObjectPaths line"),
            C("PRINT_PATH_AIRCRAFT C172", E, no_paths),
            C("DUMP_ALL_AIRCRAFT", b"", no_sim, code=0, why="AppPath"),
        ] + [C(cmd, E, no_sim, why=("registry value AppPath", "missing")) for cmd in (
            "PRINT_PATH_FSX", "VERIFY_AIRCRAFT C172", "BINPATCH_APPLY_TO_FSX fsx.exe p")])

    def test_fsx_cfg_values(self):
        self.table({"/Addons/Planes/Spit/aircraft.cfg": SIMPLE, CFG: SIMPLE,
                    "/FSX/Stray/aircraft.cfg": SIMPLE}, [
            C("PRINT_PATH_AIRCRAFT " + name, out, {"FSX.CFG": b"[main]\n" + paths})
            for paths, name, out in (
                (b"SimObjectPaths.0 =  c:\\Addons\\Planes\n", "Spit",
                 b"C:\\ADDONS\\PLANES\\Spit\\\n"),
                (b"SimObjectPaths.0=x=SimObjects\\Airplanes\n", "C172", AP + b"C172\\\n"),
                (b"SimObjectPaths.0=\nSimObjectPaths.1=SimObjects\\Airplanes\n", "C172",
                 AP + b"C172\\\n"), (b"SimObjectPaths.0=  \n", "Stray", E),
                (b"Note=[x]\nSimObjectPaths.0=SimObjects\\Airplanes\n", "C172", E),
                (PATHS[7:-1], "C172", AP + b"C172\\\n"))] + [
            C("DUMP_ALL_AIRCRAFT", b"", {"FSX.CFG": b"[MAIN]\nSimObjectPaths.0=SimObjects\\Gliders"
                                         b"\nSimObjectPaths.1=SimObjects\\Airplanes"},
              code=0, why=("cannot list", "GLIDERS")),
            C("PRINT_PATH_AIRCRAFT C172", AP + b"C172\\\n", {"FSX.CFG": b"[MAIN]\r\nSimObjectPaths"
              b".0=SimObjects\\Gone\r\nSimObjectPaths.1=SimObjects\\Airplanes"})])

    def test_aircraft_folders(self):
        found = {"Empty": DIR, "readme.txt": b"x", "/work/add.txt": b"x=1\r\n",
                 "/work/nul.txt": b"[fltsim.0]\r\n"}
        found.update({key + "/aircraft.cfg": SIMPLE for key in (
            "C172", "../Rotorcraft/Bell", "../Rotorcraft/C172", "alpha", "Zulu", "\u00e9clair",
            "sub/inner", "Caf\u00e9", "Aata")})
        self.table(found, [
            C("DUMP_ALL_AIRCRAFT", b"Aata\nalpha\nC172\nCaf\xe9\nZulu\n\xe9clair\nBell\nC172\n"),
            C("PRINT_PATH_AIRCRAFT bell", b"C:\\FSX\\SIMOBJECTS\\ROTORCRAFT\\bell\\\n"),
            C("PRINT_PATH_AIRCRAFT c172", AP + b"c172\\\n"), C("VERIFY_AIRCRAFT c172", OK),
            C("PRINT_PATH_AIRCRAFT C172.", AP + b"C172.\\\n"),  # as Windows drops the dot
            C("VERIFY_TITLE C172. A", OK),
            C("PRINT_PATH_AIRCRAFT sub/inner", AP + b"sub/inner\\\n"),
            C("PRINT_PATH_AIRCRAFT ..\\Airplanes\\C172", AP + b"..\\Airplanes\\C172\\\n"),
            C("PRINT_PATH_AIRCRAFT Caf\u00e9", AP + b"Caf\xe9\\\n"),
            C("VERIFY_AIRCRAFT caf\u00e9", OK),
            C("VERIFY_AIRCRAFT caf\u00c9", OK if LATIN1_CASE_FOLDED else E),
            C('PRINT_PATH_AIRCRAFT ""', E, why="no aircraft folder name"),
            C('APPEND_TEXT C172 "add.txt. "', b"NOERROR", after={CFG: SIMPLE + b"\r\nx=1"}),
        ] + [C(cmd, E) for cmd in (
            "PRINT_PATH_AIRCRAFT Empty", "PRINT_PATH_AIRCRAFT readme.txt", "VERIFY_AIRCRAFT C1*",
            "PRINT_PATH_AIRCRAFT \u0141ata", "APPEND_TEXT C172 NUL.txt", "APPEND_TEXT C172 con",
            "APPEND_TEXT C172 c:\\work\\con.txt", "INSTALL_VARIANT C172 CON",
            "BINPATCH_APPLY_TO_FSX aux nul", "BINPATCH_MAKE add.txt nul.txt NUL.patch")
        ] + [C(cmd + " B737" + rest, E, why=('"B737" not found under', "C:\\FSX\\SIMOBJECTS\\"
                                             "AIRPLANES, C:\\FSX\\SIMOBJECTS\\ROTORCRAFT"))
             for cmd, rest in (("PRINT_PATH_AIRCRAFT", ""), ("SANITIZE_VARIANTS", ""),
                               ("DUMP_ALL_TEXTURE", ""), ("DUMP_ALL_TITLE", ""),
                               ("VERIFY_TITLE", " x"), ("DUMP_ALL_TEXTURE_TITLE", ""),
                               ("READ_GLOBAL_PARAMETER", " G k"))])


class CfgTest(PrefixTest):
    def test_listing_and_verifying(self):
        no_variant = {A: crlf("[General]", "atc_type=X")}
        self.table({CFG: REAL}, [
            C("DUMP_ALL_TEXTURE_TITLE C172", b"1/CESSNA SKYHAWK 172SP PAINT1\n2/CESSNA SKYHAWK "
              b"172SP PAINT2 // BLUE\nG1000/CESSNA SKYHAWK G1000\n"),
            C("dump_all_title C172", b"CESSNA SKYHAWK 172SP PAINT1\nCESSNA SKYHAWK 172SP PAINT2 "
              b"// BLUE\nCESSNA SKYHAWK G1000\n"), C("DUMP_ALL_TEXTURE C172", b"1\n2\nG1000\n"),
            C('VERIFY_TITLE C172 "cessna skyhawk 172sp paint1"', OK),
            C('VERIFY_TITLE C172 "Cessna Skyhawk 172SP Paint2"', E,
              why='title "Cessna Skyhawk 172SP Paint2"'),  # the title is the whole value
            C('VERIFY_TITLE C172 "Cessna Skyhawk 172SP Paint2 // Blue"', OK),
            C("VERIFY_TEXTURE C172 g1000", OK), C("VERIFY_TEXTURE C172 3", E, why='texture "3"'),
            C('VERIFY_TEXTURE C172 ""', E, why='texture ""'),
            C("DUMP_ALL_TEXTURE_TITLE A", b"B/\n", {A: b"[fltsim.0]\ntexture=b\ntitle=A\n"}),
            C("DUMP_ALL_TEXTURE_TITLE A", b"A/T1\nB/T2\n", {A: crlf(
                "[fltsim.0]", "title=T1", "texture=a", "", "[fltsim.1]", "title=T2", "texture=b")}),
            C("VERIFY_TEXTURE A b", OK, {A: crlf("[fltsim.0]", "title=T", "texture=b")}),
            C("DUMP_ALL_TEXTURE_TITLE A", b"A/T1\n/\n",
              {A: crlf("[fltsim.0]", "title=T1", "texture=a", "[fltsim.1]")}),
            C("DUMP_ALL_TEXTURE_TITLE A", b"/T1\nB/T2\n", {A: crlf(
                "[fltsim.0]", "title=T1", "", "[fltsim.1]", "title=T2", "texture=b", "")}),
            C("VERIFY_AIRCRAFT A", OK, no_variant),
            C('VERIFY_TEXTURE A ""', OK, {A: b"[fltsim.0]\ntitle=x\ntexture=\n"}),
            C("VERIFY_TITLE A HIDDEN", OK, {A: b"[fltsim.0]\ntexture=a\n[General]\ntitle=Hidden"}),
        ] + [C(cmd + " A", E, no_variant, why="no [fltsim.N] section") for cmd in (
            "DUMP_ALL_TITLE", "DUMP_ALL_TEXTURE", "DUMP_ALL_TEXTURE_TITLE")])

    def test_reading_parameters(self):
        empty_texture, g1000 = {A: b"[fltsim.0]\ntitle=T\ntexture=\n"}, '"Cessna Skyhawk G1000"'
        self.table({CFG: REAL}, [
            C("READ_GLOBAL_PARAMETER C172 weight_and_balance MAX_GROSS_WEIGHT", b"2550\n"),
            C('READ_GLOBAL_PARAMETER C172 " WEIGHT_AND_BALANCE " max_gross_weight '
              "/SHOW_EOL_COMMENTS", b"2550     // (pounds)\n"),
            C("READ_GLOBAL_PARAMETER C172 weight_and_balance empty_weight", b"1663\n"),
            C("READ_VARIANT_PARAMETER_BY_TITLE C172 %s texture" % g1000, b"G1000\n"),
            C("READ_VARIANT_PARAMETER_BY_TEXTURE C172 2 atc_id", b"N12345\n"),
            C("READ_VARIANT_PARAMETER_BY_TEXTURE C172 1 ui_variation", b'"White, Tan"\n'),
            C("READ_GLOBAL_PARAMETER C172 General missing", E,
              why='"missing" not found in section [General]'),
            C("READ_GLOBAL_PARAMETER C172 Nowhere atc_type", E, why="section [Nowhere]"),
            C('READ_VARIANT_PARAMETER_BY_TITLE C172 "no such" atc_id', E, why='title "no such"'),
            C("READ_VARIANT_PARAMETER_BY_TITLE C172 %s atc_id" % g1000, E,
              why='"atc_id" not found in the variant'),
            C("READ_GLOBAL_PARAMETER A general K", b"1\n2\n", {A: b"[General]\nk=1\nk=2 ; two\n"}),
            C("READ_VARIANT_PARAMETER_BY_TITLE A t texture", b"\n", empty_texture),
            C('READ_VARIANT_PARAMETER_BY_TEXTURE A "" texture', E, empty_texture),
            C("READ_GLOBAL_PARAMETER A general k", E, {A: b"[General] // data\nk=1\n"})])

    def test_changing_parameters(self):
        by_position = crlf("[fltsim.2]", "title=First", "texture=a", "atc_id=1", "[fltsim.2] // x",
                           "title=Second", "texture=b", "atc_id=2", "[fltsim.02]", "title=Third",
                           "texture=c", "atc_id=3")
        same = crlf("[fltsim.0]", "title=Same", "atc_id=1", "[fltsim.1]", "title=Same", "atc_id=2")
        odd = (b"[S]\r\nk=1\r\ndescription=" + b"x" * 3000 + b"\r\nodd=a\rb\r\nnul=a\x00b\r\n"
               b"\x1a tail \xff!")  # what text mode would change is kept
        add, link = "/ADD_MISSING_PARAMETER", "/elsewhere/real.cfg"
        self.table({CFG: REAL}, [
            C("CHANGE_GLOBAL_PARAMETER C172 weight_and_balance MAX_GROSS_WEIGHT 2600", OK,
              after={CFG: REAL.replace(b" = 2550     // (pounds)", b"=2600")[:-2]}),
            C("CHANGE_GLOBAL_PARAMETER A s UI_TYPE Beta", OK,
              {A: b"[S]\r\n  ui_type = Alpha ; note\r\n   other=1\r\n[T]\r\n  x=1\r\n"},
              {A: b"[S]\r\nui_type=Beta\r\nother=1\r\n[T]\r\n  x=1"}),
            C('CHANGE_GLOBAL_PARAMETER A S k ""', OK, {A: b"[S]\nk=1\nk=2\n[S]\nk=3\n"},
              {A: b"[S]\r\nk=\r\nk=\r\n[S]\r\nk="}),
            C("CHANGE_GLOBAL_PARAMETER A S New v " + add, OK, {A: b"[S]\nk=1\n\n// end\n[T]\nz=1"},
              {A: b"[S]\r\nk=1\r\n\r\n// end\r\nNew=v\r\n[T]\r\nz=1"}),
            C("CHANGE_GLOBAL_PARAMETER A S new v " + add, OK, {A: b"[T]\nz=1\n[S]\nk=1"},
              {A: b"[T]\r\nz=1\r\n[S]\r\nk=1\r\nnew=v"}),
            C("CHANGE_GLOBAL_PARAMETER A S new v", E, {A: b"[S]\n  k=1\n  [T]\n  z=1\n\n"},
              why=('"new" not found', add)),
            C("CHANGE_GLOBAL_PARAMETER A S k 2", OK, {A: b"[S]\nk=1\nlast=1\n"},
              {A: b"[S]\r\nk=2\r\nlast=1"}),
            C("CHANGE_GLOBAL_PARAMETER A S k 2", OK, {A: odd}, {A: odd.replace(b"=1", b"=2")}),
            C("CHANGE_VARIANT_PARAMETER_BY_TITLE A same ATC_ID X", OK, {A: same},
              {A: same.replace(b"atc_id=2", b"atc_id=X")}),
            C("READ_VARIANT_PARAMETER_BY_TITLE A second atc_id", b"2\n", {A: by_position}),
            C("CHANGE_VARIANT_PARAMETER_BY_TEXTURE A C atc_id 9 " + add, OK, {A: by_position},
              {A: by_position.replace(b"atc_id=3", b"atc_id=9")}),
            C("CHANGE_VARIANT_PARAMETER_BY_TITLE A Second new n " + add, OK, {A: by_position},
              {A: by_position.replace(b"id=2", b"id=2\r\nnew=n")}),
            C("CHANGE_VARIANT_PARAMETER_BY_TITLE C172 nope atc_id X", E, why='"nope"'),
            C('CHANGE_VARIANT_PARAMETER_BY_TEXTURE C172 "" atc_id X', E),
            C("CHANGE_GLOBAL_PARAMETER C172 General atc_type X", E, {CFG: read_only(REAL)},
              why="aircraft.cfg is read-only"),
            C("CHANGE_GLOBAL_PARAMETER C172 General atc_type X", OK,
              {CFG: "-> " + link, link: crlf("[General]", "atc_type=A")},
              {link: crlf("[General]", "atc_type=X")})])
