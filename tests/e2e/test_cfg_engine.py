"""aircraft.cfg engine: verify, list, read and change parameters."""

import os

from harness import PrefixTest, crlf, read, write

# Shaped like a real file: comments, odd spacing and casing, a numbering gap,
# [General] and other sections, CR LF line ends and a final line end.
REAL = crlf(
    "[fltsim.0]",
    "title=Cessna Skyhawk 172SP Paint1",
    "sim=Cessna172SP",
    "model=",
    "texture=1",
    "kb_checklists=Cessna172SP_check",
    "atc_id=N172SP",
    "ui_variation=\"White, Tan\"   // factory",
    "",
    "  [FLTSIM.1]",
    "title = Cessna Skyhawk 172SP Paint2 // blue",
    "sim=Cessna172SP",
    "Texture = 2",
    "atc_id=N12345",
    "",
    "[fltsim.3]",
    "\ttitle\t=\tCessna Skyhawk G1000",
    "texture=G1000",
    "",
    "[General]",
    "atc_type=CESSNA",
    "atc_model=C172",
    "; comment line",
    "editable=1",
    "",
    "[weight_and_balance]",
    "max_gross_weight = 2550     // (pounds)",
    "empty_weight = 1663 ; lbs",
    final_line_end=True)


class ListingTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("C172", REAL)

    def test_dump_all_texture_title(self):
        self.assertRun(["DUMP_ALL_TEXTURE_TITLE", "C172"],
                       b"1/CESSNA SKYHAWK 172SP PAINT1\n"
                       b"2/CESSNA SKYHAWK 172SP PAINT2 // BLUE\n"
                       b"G1000/CESSNA SKYHAWK G1000\n", 1)
        self.assertRun(["dump_all_title", "C172"],
                       b"CESSNA SKYHAWK 172SP PAINT1\nCESSNA SKYHAWK 172SP PAINT2 // BLUE\n"
                       b"CESSNA SKYHAWK G1000\n", 1)
        self.assertRun(["DUMP_ALL_TEXTURE", "C172"], b"1\n2\nG1000\n", 1)

    def test_verify_title_takes_the_value_whole(self):
        self.assertRun(["VERIFY_TITLE", "C172", "cessna skyhawk 172sp paint1"], b"NOERROR\n", 1)
        self.assertRun(["VERIFY_TITLE", "C172", "Cessna Skyhawk 172SP Paint2"], b"ERROR\n", 0)
        self.assertRun(["VERIFY_TITLE", "C172", "Cessna Skyhawk 172SP Paint2 // Blue"],
                       b"NOERROR\n", 1)
        self.assertRun(["VERIFY_TITLE", "C172", ""], b"ERROR\n", 0)

    def test_verify_texture(self):
        self.assertRun(["VERIFY_TEXTURE", "C172", "g1000"], b"NOERROR\n", 1)
        self.assertRun(["VERIFY_TEXTURE", "C172", "3"], b"ERROR\n", 0)
        self.assertRun(["VERIFY_TEXTURE", "C172", ""], b"ERROR\n", 0)

    def test_missing_aircraft(self):
        for command in ("DUMP_ALL_TITLE", "DUMP_ALL_TEXTURE", "DUMP_ALL_TEXTURE_TITLE",
                        "VERIFY_AIRCRAFT"):
            self.assertRun([command, "B737"], b"ERROR\n", 0)
        self.assertRun(["VERIFY_TITLE", "B737", "x"], b"ERROR\n", 0)


class TableRulesTest(PrefixTest):
    def dump(self, cfg):
        self.p.aircraft("A", cfg)
        return self.p.run("DUMP_ALL_TEXTURE_TITLE", "A")[:2]

    def test_texture_before_title_lists_an_empty_title(self):
        self.assertEqual((b"B/\n", 1), self.dump(b"[fltsim.0]\ntexture=b\ntitle=A\n"))

    def test_final_texture_line_without_line_end_is_read(self):
        self.assertEqual((b"A/T1\nB/T2\n", 1),
                         self.dump(crlf("[fltsim.0]", "title=T1", "texture=a", "",
                                        "[fltsim.1]", "title=T2", "texture=b")))
        self.assertRun(["VERIFY_TEXTURE", "A", "b"], b"NOERROR\n", 1)

    def test_a_final_header_counts_as_a_variant(self):
        self.assertEqual((b"A/T1\n/\n", 1),
                         self.dump(crlf("[fltsim.0]", "title=T1", "texture=a", "[fltsim.1]")))

    def test_a_section_without_texture_ends_at_the_next_header(self):
        self.assertEqual((b"/T1\nB/T2\n", 1),
                         self.dump(crlf("[fltsim.0]", "title=T1", "", "[fltsim.1]", "title=T2",
                                        "texture=b", "")))

    def test_no_variants_is_an_error(self):
        self.p.aircraft("A", b"[General]\r\natc_type=X\r\n")
        for command in ("DUMP_ALL_TITLE", "DUMP_ALL_TEXTURE", "DUMP_ALL_TEXTURE_TITLE"):
            self.assertRun([command, "A"], b"ERROR\n", 0)
        self.assertRun(["VERIFY_AIRCRAFT", "A"], b"NOERROR\n", 1)

    def test_empty_texture_is_found_when_a_record_has_one(self):
        self.p.aircraft("A", b"[fltsim.0]\ntitle=x\ntexture=\n")
        self.assertRun(["VERIFY_TEXTURE", "A", ""], b"NOERROR\n", 1)

    def test_title_in_a_later_non_variant_section_is_found(self):
        self.p.aircraft("A", b"[fltsim.0]\ntexture=a\n[General]\ntitle=Hidden\n")
        self.assertRun(["VERIFY_TITLE", "A", "HIDDEN"], b"NOERROR\n", 1)


class ReadParameterTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.p.aircraft("C172", REAL)

    def test_read_global_strips_comments_unless_asked(self):
        self.assertRun(["READ_GLOBAL_PARAMETER", "C172", "weight_and_balance", "MAX_GROSS_WEIGHT"],
                       b"2550\n", 1)
        self.assertRun(["READ_GLOBAL_PARAMETER", "C172", " WEIGHT_AND_BALANCE ", "max_gross_weight",
                        "/SHOW_EOL_COMMENTS"], b"2550     // (pounds)\n", 1)
        self.assertRun(["READ_GLOBAL_PARAMETER", "C172", "weight_and_balance", "empty_weight"],
                       b"1663\n", 1)

    def test_read_variant_parameters(self):
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TITLE", "C172", "Cessna Skyhawk G1000", "texture"],
                       b"G1000\n", 1)
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TEXTURE", "C172", "2", "atc_id"], b"N12345\n", 1)
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TEXTURE", "C172", "1", "ui_variation"],
                       b"\"White, Tan\"\n", 1)

    def test_read_failures(self):
        self.assertRun(["READ_GLOBAL_PARAMETER", "C172", "General", "missing"], b"ERROR\n", 0)
        self.assertRun(["READ_GLOBAL_PARAMETER", "C172", "Nowhere", "atc_type"], b"ERROR\n", 0)
        self.assertRun(["READ_GLOBAL_PARAMETER", "C172", "", "atc_type"], b"ERROR\n", 0)
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TITLE", "C172", "no such", "atc_id"], b"ERROR\n", 0)

    def test_repeated_key_and_empty_value(self):
        self.p.aircraft("A", b"[General]\nk=1\nk=2 ; two\n[fltsim.0]\ntexture=\n")
        self.assertRun(["READ_GLOBAL_PARAMETER", "A", "general", "K"], b"1\n2\n", 1)
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TITLE", "A", "x", "texture"], b"ERROR\n", 0)
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TEXTURE", "A", "", "texture"], b"ERROR\n", 0)

    def test_empty_value_reads_as_an_empty_line(self):
        self.p.aircraft("A", b"[fltsim.0]\ntitle=T\ntexture=\n")
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TITLE", "A", "t", "texture"], b"\n", 1)

    def test_a_header_with_a_comment_is_another_section(self):
        self.p.aircraft("A", b"[General] // engine data\nk=1\n")
        self.assertRun(["READ_GLOBAL_PARAMETER", "A", "general", "k"], b"ERROR\n", 0)


class ChangeParameterTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("C172", REAL)
        self.cfg = os.path.join(self.folder, "aircraft.cfg")

    def test_change_global_replaces_the_line_and_normalises_the_file(self):
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "C172", "weight_and_balance", "MAX_GROSS_WEIGHT",
                        "2600"], b"NOERROR\n", 1)
        expected = REAL.replace(b"max_gross_weight = 2550     // (pounds)",
                                b"max_gross_weight=2600")[:-2]
        self.assertEqual(expected, read(self.cfg))
        self.assertNoWorkingFiles(self.folder)

    def test_target_section_loses_indentation_only_there(self):
        self.p.aircraft("A", b"[S]\r\n  ui_type = Alpha ; note\r\n   other=1\r\n[T]\r\n  x=1\r\n")
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "s", "UI_TYPE", "Beta"], b"NOERROR\n", 1)
        self.assertEqual(b"[S]\r\nui_type=Beta\r\nother=1\r\n[T]\r\n  x=1",
                         read(os.path.join(self.p.sim, "SimObjects", "Airplanes", "A", "aircraft.cfg")))

    def test_every_matching_line_is_replaced(self):
        folder = self.p.aircraft("A", b"[S]\nk=1\nk=2\n[S]\nk=3\n")
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "S", "k", ""], b"NOERROR\n", 1)
        self.assertEqual(b"[S]\r\nk=\r\nk=\r\n[S]\r\nk=", read(os.path.join(folder, "aircraft.cfg")))

    def test_add_missing_goes_before_the_next_header(self):
        folder = self.p.aircraft("A", b"[S]\nk=1\n\n// end\n[T]\nz=1\n")
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "S", "NewKey", "v", "/ADD_MISSING_PARAMETER"],
                       b"NOERROR\n", 1)
        self.assertEqual(b"[S]\r\nk=1\r\n\r\n// end\r\nNewKey=v\r\n[T]\r\nz=1",
                         read(os.path.join(folder, "aircraft.cfg")))

    def test_add_missing_in_the_last_section_goes_at_the_end(self):
        folder = self.p.aircraft("A", b"[T]\nz=1\n[S]\nk=1\n")
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "S", "new", "v", "/ADD_MISSING_PARAMETER"],
                       b"NOERROR\n", 1)
        self.assertEqual(b"[T]\r\nz=1\r\n[S]\r\nk=1\r\nnew=v", read(os.path.join(folder, "aircraft.cfg")))

    def test_a_missing_parameter_fails_and_leaves_the_file_alone(self):
        folder = self.p.aircraft("A", b"[S]\n  k=1\n  [T]\n  z=1\n\n")
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "S", "new", "v"], b"ERROR\n", 0)
        self.assertEqual(b"[S]\n  k=1\n  [T]\n  z=1\n\n", read(os.path.join(folder, "aircraft.cfg")))

    def test_change_variant_by_title_changes_the_later_of_two(self):
        folder = self.p.aircraft("A", crlf("[fltsim.0]", "title=Same", "texture=a", "atc_id=1",
                                           "[fltsim.1]", "title=Same", "texture=b", "atc_id=2"))
        self.assertRun(["CHANGE_VARIANT_PARAMETER_BY_TITLE", "A", "same", "ATC_ID", "X"], b"NOERROR\n", 1)
        self.assertEqual(crlf("[fltsim.0]", "title=Same", "texture=a", "atc_id=1",
                              "[fltsim.1]", "title=Same", "texture=b", "atc_id=X"),
                         read(os.path.join(folder, "aircraft.cfg")))

    def test_variants_are_addressed_by_position_not_by_number(self):
        cfg = crlf("[fltsim.2]", "title=First", "texture=a", "atc_id=1",
                   "[fltsim.2] // copy", "title=Second", "texture=b", "atc_id=2",
                   "[fltsim.02]", "title=Third", "texture=c", "atc_id=3")
        folder = self.p.aircraft("A", cfg)
        self.assertRun(["READ_VARIANT_PARAMETER_BY_TITLE", "A", "second", "atc_id"], b"2\n", 1)
        self.assertRun(["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "A", "C", "atc_id", "9",
                        "/ADD_MISSING_PARAMETER"], b"NOERROR\n", 1)
        self.assertRun(["CHANGE_VARIANT_PARAMETER_BY_TITLE", "A", "Second", "new", "n",
                        "/ADD_MISSING_PARAMETER"], b"NOERROR\n", 1)
        self.assertEqual(crlf("[fltsim.2]", "title=First", "texture=a", "atc_id=1",
                              "[fltsim.2] // copy", "title=Second", "texture=b", "atc_id=2", "new=n",
                              "[fltsim.02]", "title=Third", "texture=c", "atc_id=9"),
                         read(os.path.join(folder, "aircraft.cfg")))

    def test_unknown_variant_touches_nothing(self):
        before = read(self.cfg)
        self.assertRun(["CHANGE_VARIANT_PARAMETER_BY_TITLE", "C172", "nope", "atc_id", "X"], b"ERROR\n", 0)
        self.assertRun(["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "", "atc_id", "X"], b"ERROR\n", 0)
        self.assertEqual(before, read(self.cfg))

    def test_file_with_and_without_final_line_end_give_the_same_result(self):
        a = self.p.aircraft("A", b"[S]\nk=1\nlast=1\n")
        b = self.p.aircraft("B", b"[S]\nk=1\nlast=1")
        for name in ("A", "B"):
            self.assertRun(["CHANGE_GLOBAL_PARAMETER", name, "S", "k", "2"], b"NOERROR\n", 1)
        self.assertEqual(b"[S]\r\nk=2\r\nlast=1", read(os.path.join(a, "aircraft.cfg")))
        self.assertEqual(read(os.path.join(a, "aircraft.cfg")), read(os.path.join(b, "aircraft.cfg")))

    def test_content_text_mode_cannot_carry_is_kept(self):
        long_line = b"description=" + b"x" * 3000
        cfg = b"[S]\r\nk=1\r\n" + long_line + b"\r\nodd=a\rb\r\nnul=a\x00b\r\n\x1a tail \xff!"
        folder = self.p.aircraft("A", cfg)
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "A", "S", "k", "2"], b"NOERROR\n", 1)
        self.assertEqual(cfg.replace(b"k=1", b"k=2"), read(os.path.join(folder, "aircraft.cfg")))

    def test_read_only_file_is_an_error_and_stays(self):
        os.chmod(self.cfg, 0o444)
        before = read(self.cfg)
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "X"], b"ERROR\n", 0)
        self.assertEqual(before, read(self.cfg))
        self.assertNoWorkingFiles(self.folder)

    def test_a_symlinked_aircraft_cfg_stays_a_link(self):
        real = os.path.join(self.tmp, "real.cfg")
        os.rename(self.cfg, real)
        os.symlink(real, self.cfg)
        self.assertRun(["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "X"], b"NOERROR\n", 1)
        self.assertTrue(os.path.islink(self.cfg))
        self.assertIn(b"atc_type=X\r\n", read(real))
