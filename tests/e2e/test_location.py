"""Finding the simulator and its aircraft: PRINT_PATH_FSX,
PRINT_PATH_AIRCRAFT, DUMP_ALL_AIRCRAFT."""

import os

from harness import PrefixTest, write

CFG = b"[fltsim.0]\r\ntitle=A\r\ntexture=a"


class PrintPathFsxTest(PrefixTest):
    def test_prints_the_registry_value_without_fsx_cfg(self):
        os.remove(self.p.fsx_cfg_path())
        self.assertRun(["PRINT_PATH_FSX"], b"C:\\FSX\\\n", 1)

    def test_missing_value_is_an_error(self):
        self.p.write_user_reg(None)
        self.assertRun(["PRINT_PATH_FSX"], b"ERROR\n", 0)

    def test_escapes_and_latin1_in_the_value(self):
        with open(os.path.join(self.p.root, "user.reg"), "wb") as f:
            f.write(b'WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Microsoft Games\\\\'
                    b'Flight Simulator\\\\10.0] 1\n"AppPath"=str(2):"D:\\\\Jeux\\\\Caf\\xe9\\x141\\\\"\n')
        self.assertRun(["print_path_fsx"], b"D:\\Jeux\\Caf\xe9A\\\n", 1)

    def test_a_value_of_more_than_511_characters_fails(self):
        self.p.write_user_reg("C:\\" + "x" * 508)  # 511 characters
        self.assertRun(["PRINT_PATH_FSX"], b"C:\\" + b"x" * 508 + b"\n", 1)
        self.p.write_user_reg("C:\\" + "x" * 509)
        self.assertRun(["PRINT_PATH_FSX"], b"ERROR\n", 0)

    def test_verbose_explains_on_standard_error_only(self):
        self.p.write_user_reg(None)
        out, rc, err = self.p.run("PRINT_PATH_FSX", env={"FUSELOX_VERBOSE": "1"})
        self.assertEqual((b"ERROR\n", 0), (out, rc))
        self.assertTrue(err.startswith(b"fuselox: ") and b"AppPath" in err and err.count(b"\n") == 1)


class AircraftLookupTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.p.aircraft("C172", CFG)

    def test_prints_the_folder_path_with_the_name_as_typed(self):
        self.assertRun(["PRINT_PATH_AIRCRAFT", "c172"],
                       b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\c172\\\n", 1)
        self.assertRun(["VERIFY_AIRCRAFT", "c172"], b"NOERROR\n", 1)

    def test_trailing_dots_and_spaces_go_as_on_windows(self):
        self.assertRun(["PRINT_PATH_AIRCRAFT", "C172."],
                       b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172.\\\n", 1)
        write(os.path.join(self.p.root, "add.txt"), b"x=1\r\n")
        self.assertRun(["APPEND_TEXT", "C172", "add.txt. "], b"NOERROR", 1)

    def test_device_names_are_never_files(self):
        write(os.path.join(self.p.root, "nul.txt"), b"[fltsim.0]\r\n")
        self.assertRun(["APPEND_TEXT", "C172", "NUL.txt"], b"ERROR\n", 0)
        self.assertRun(["APPEND_TEXT", "C172", "con"], b"ERROR\n", 0)

    def test_empty_or_unknown_name_is_an_error(self):
        self.assertRun(["PRINT_PATH_AIRCRAFT", ""], b"ERROR\n", 0)
        self.assertRun(["PRINT_PATH_AIRCRAFT", "B737"], b"ERROR\n", 0)

    def test_a_folder_without_aircraft_cfg_is_neither_found_nor_listed(self):
        os.makedirs(os.path.join(self.p.sim, "SimObjects", "Airplanes", "Empty"))
        write(os.path.join(self.p.sim, "SimObjects", "Airplanes", "readme.txt"), b"x")
        self.assertRun(["PRINT_PATH_AIRCRAFT", "Empty"], b"ERROR\n", 0)
        self.assertRun(["DUMP_ALL_AIRCRAFT"], b"C172\n", 1)

    def test_the_first_simobjects_path_that_holds_the_folder_wins(self):
        self.p.aircraft("Bell", CFG, where="Rotorcraft")
        self.p.aircraft("C172", CFG, where="Rotorcraft")
        self.assertRun(["PRINT_PATH_AIRCRAFT", "Bell"],
                       b"C:\\FSX\\SIMOBJECTS\\ROTORCRAFT\\Bell\\\n", 1)
        self.assertRun(["PRINT_PATH_AIRCRAFT", "C172"],
                       b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n", 1)
        self.assertRun(["DUMP_ALL_AIRCRAFT"], b"C172\nBell\nC172\n", 1)

    def test_listing_is_sorted_ignoring_case(self):
        for name in ("beech", "Alpha", "Zulu"):
            self.p.aircraft(name, CFG)
        self.assertRun(["DUMP_ALL_AIRCRAFT"], b"Alpha\nbeech\nC172\nZulu\n", 1)

    def test_a_missing_first_simobjects_folder_stops_the_listing(self):
        self.p.write_fsx_cfg(b"[MAIN]\r\nSimObjectPaths.0=SimObjects\\Gone\r\n"
                             b"SimObjectPaths.1=SimObjects\\Airplanes\r\n")
        self.assertRun(["DUMP_ALL_AIRCRAFT"], b"", 0)
        self.assertRun(["PRINT_PATH_AIRCRAFT", "C172"],
                       b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n", 1)

    def test_no_simobjects_paths_lists_nothing(self):
        self.p.write_fsx_cfg(b"[Display]\r\nx=1\r\n")
        self.assertRun(["DUMP_ALL_AIRCRAFT"], b"", 0)
        self.assertRun(["PRINT_PATH_AIRCRAFT", "C172"], b"ERROR\n", 0)


class FsxCfgReadingTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.p.aircraft("C172", CFG)
        os.makedirs(os.path.join(self.p.drive_c, "Addons", "Planes", "Spit"))
        write(os.path.join(self.p.drive_c, "Addons", "Planes", "Spit", "aircraft.cfg"), CFG)

    def check(self, fsx_cfg, name, expected):
        self.p.write_fsx_cfg(fsx_cfg)
        self.assertRun(["PRINT_PATH_AIRCRAFT", name], expected, 1 if expected != b"ERROR\n" else 0)

    def test_section_and_values(self):
        self.check(b"[main]\nSimObjectPaths.0=SimObjects\\Airplanes\n", "C172",
                   b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n")
        self.check(b"[MAIN]\nSimObjectPaths.0 =  c:\\Addons\\Planes\n", "Spit",
                   b"C:\\ADDONS\\PLANES\\Spit\\\n")
        self.check(b"[MAIN]\nSimObjectPaths.0=x=SimObjects\\Airplanes\n", "C172",
                   b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n")

    def test_an_empty_value_keeps_the_later_entries(self):
        self.check(b"[MAIN]\nSimObjectPaths.0=\nSimObjectPaths.1=SimObjects\\Airplanes\n", "C172",
                   b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n")

    def test_a_bracket_ends_the_section(self):
        self.check(b"[MAIN]\nNote=[x]\nSimObjectPaths.0=SimObjects\\Airplanes\n", "C172",
                   b"ERROR\n")

    def test_the_final_line_without_line_end_is_read(self):
        self.check(b"[MAIN]\r\nSimObjectPaths.0=SimObjects\\Airplanes", "C172",
                   b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n")

    def test_app_data_folder_ending_in_a_separator(self):
        self.p.write_user_reg("C:\\FSX\\", app_data="C:\\users\\pilot\\AppData\\Roaming\\")
        self.assertRun(["PRINT_PATH_AIRCRAFT", "C172"],
                       b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\n", 1)

    def test_the_registry_value_is_needed_for_the_paths(self):
        self.p.write_user_reg(None)
        self.assertRun(["PRINT_PATH_AIRCRAFT", "C172"], b"ERROR\n", 0)
