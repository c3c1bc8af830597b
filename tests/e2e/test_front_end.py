"""The command line: banner, help, switches, recognition, arity, version."""

import os

from harness import PrefixTest

HEADING = (b"\n\nFuselox v1.21 - repaint installer and aircraft.cfg editor for FSX\n"
           b"Free to use and to ship with any installer.\n" + b"=" * 63 + b"\n")


class FrontEndTest(PrefixTest):
    def test_no_arguments_prints_the_banner_naming_the_program(self):
        out, rc, err = self.p.run()
        self.assertEqual(0, rc)
        self.assertTrue(out.startswith(HEADING))
        self.assertIn(b"\n\nType ", out)
        self.assertTrue(out.endswith(b" help for more information\n"))
        self.assertEqual(b"", err)

    def test_help_in_any_case_prints_the_full_help(self):
        for word in ("help", "HELP", "Help"):
            out, rc, _ = self.p.run(word)
            self.assertEqual(0, rc)
            self.assertTrue(out.startswith(HEADING + b"Usage:\n"))
            self.assertIn(b"\t/SOURCEFILE_IN_AIRCRAFT_FOLDER \n\t/PREVENT_DUPLICATES_BY_TITLE"
                          b" (*DEFAULT*) \n\t/ALLOW_DUPLICATES_BY_TITLE\n", out)
            self.assertIn(b"APPEND_TEXT \"aircraft folder name\" \"source file\"\n\n\n"
                          b"READ_VARIANT_PARAMETER_BY_TITLE", out)
            self.assertTrue(out.endswith(b"BINPATCH_APPLY_TO_FSX \"relative path to file\" "
                                         b"\"filename of patch\"\n"))

    def test_help_with_more_words_is_an_unknown_command(self):
        self.assertRun(["help", "me"], b"ERRORUNKNOWNCOMMAND\n", 0)

    def test_unknown_command(self):
        self.assertRun(["FROBNICATE"], b"ERRORUNKNOWNCOMMAND\n", 0)

    def test_version_ignores_further_words(self):
        self.assertRun(["PRINT_VERSION", "x", "y"], b"1.21\n", 1)
        self.assertRun(["print_versionXYZ"], b"1.21\n", 1)

    def test_arity_message_names_the_command_in_capitals(self):
        cases = [
            (["verify_title", "C172"], b"VERIFY_TITLE"),
            (["BINPATCH_MAKE", "a", "b"], b"BINPATCH_MAKE"),
            (["BINPATCH_APPLY", "a", "b"], b"BINPATCH_APPLY"),
            (["BINPATCH_APPLY_TO_FSX", "a"], b"BINPATCH_APPLY_TO_FSX"),
            (["DUMP_ALL_TEXTURE_TITLE"], b"DUMP_ALL_TEXTURE_TITLE"),
            (["INSTALL_VARIANT_BY_PATH", "x"], b"INSTALL_VARIANT_BY_PATH"),
        ]
        for args, name in cases:
            self.assertRun(args, b"ERROR Incorrect number of arguments for mode " + name + b"\n", 0)

    def test_an_over_long_argument_is_refused(self):
        self.assertRun(["PRINT_PATH_AIRCRAFT", "x" * 1024],
                       b"ERROR Argument too long for mode PRINT_PATH_AIRCRAFT\n", 0)
        # 1023 bytes fit a slot: the lookup itself then fails.
        self.assertRun(["PRINT_PATH_AIRCRAFT", "x" * 1023], b"ERROR\n", 0)

    def test_a_switch_counts_as_an_argument(self):
        # The switch fills the title slot, so the lookup runs and fails.
        self.assertRun(["VERIFY_TITLE", "C172", "/SHOW_EOL_COMMENTS"], b"ERROR\n", 0)


class ArgumentNarrowingTest(PrefixTest):
    def test_latin1_argument_reaches_a_latin1_folder_name(self):
        folder = os.path.join(self.p.sim, "SimObjects", "Airplanes", "Caf\u00e9")
        os.makedirs(folder)
        with open(os.path.join(folder, "aircraft.cfg"), "wb") as f:
            f.write(b"[fltsim.0]\r\ntitle=x")
        out, rc, _ = self.p.run("PRINT_PATH_AIRCRAFT", "Caf\u00e9")
        self.assertEqual((b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\Caf\xe9\\\n", 1), (out, rc))
