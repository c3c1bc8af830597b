"""Variant management: install, remove, renumber, append text, texture folders."""

import os

from harness import PrefixTest, crlf, read, write

BASE = crlf("[fltsim.0]", "title=A", "texture=a", "", "[fltsim.1]", "title=B", "texture=b", "",
            "[General]", "atc_type=X")

SOURCE = (b"[fltsim.x]\r\n"
          b"title=New One\r\n"
          b"   texture = Blue Sky \r\n"
          b"\r\n"
          b"ui_variation=one\r\n"
          b"ui_variation=one\r\n"
          b"\r\n"
          b"[fltsim.y] ; second\r\n"
          b"title\t=\tB\r\n"
          b"texture=red\r\n")


class InstallTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("C172", BASE + b"\r\n\r\n")
        self.cfg = os.path.join(self.folder, "aircraft.cfg")
        self.repaint = os.path.join(self.p.drive_c, "Downloads", "repaint")
        write(os.path.join(self.repaint, "fltsim.cfg"), SOURCE)

    def install(self, *switches, expected=b"NOERROR-2\n", code=1):
        self.assertRun(["INSTALL_VARIANT", "C172", "C:\\Downloads\\repaint\\fltsim.cfg"] + list(switches),
                       expected, code)

    def test_a_duplicate_title_is_left_out_and_counted(self):
        self.install()
        self.assertEqual(BASE + crlf("", "", "[fltsim.2]", "title=New One", "texture = Blue Sky ",
                                     "ui_variation=one"), read(self.cfg))
        self.assertNoWorkingFiles(self.folder)

    def test_allowing_duplicates_appends_every_section(self):
        self.install("/ALLOW_DUPLICATES_BY_TITLE")
        self.assertEqual(BASE + crlf("", "", "[fltsim.2]", "title=New One", "texture = Blue Sky ",
                                     "ui_variation=one", "", "", "[fltsim.3]", "title\t=\tB",
                                     "texture=red"), read(self.cfg))
        self.assertRun(["DUMP_ALL_TITLE", "C172"], b"A\nB\nNEW ONE\nB\n", 1)

    def test_preventing_by_texture_compares_ignoring_case(self):
        write(os.path.join(self.repaint, "fltsim.cfg"), b"[fltsim.0]\ntitle=Z\ntexture=A\n")
        self.install("/PREVENT_DUPLICATES_BY_TEXTURE", expected=b"NOERROR-1\n")
        self.assertEqual(BASE, read(self.cfg))

    def test_a_section_without_title_is_not_judged_by_the_previous_one(self):
        write(os.path.join(self.repaint, "fltsim.cfg"),
              b"[fltsim.0]\ntitle=A\ntexture=q\n[fltsim.1]\nTitle=Unseen\ntexture=r\n")
        self.install()
        self.assertRun(["DUMP_ALL_TEXTURE", "C172"], b"A\nB\nR\n", 1)

    def test_the_installed_texture_is_visible_right_away(self):
        self.install()
        self.assertRun(["VERIFY_TEXTURE", "C172", "blue sky "], b"NOERROR\n", 1)
        self.install("/PREVENT_DUPLICATES_BY_TEXTURE", expected=b"NOERROR-2\n")
        self.assertRun(["DUMP_ALL_TEXTURE", "C172"], b"A\nB\nBLUE SKY \n", 1)

    def test_texture_folders_are_copied_and_deleted_after(self):
        write(os.path.join(self.repaint, "fltsim.cfg"), SOURCE.replace(b"Blue Sky \r", b"Blue Sky\r"))
        write(os.path.join(self.repaint, "texture.blue sky", "t.dds"), b"dds")
        write(os.path.join(self.repaint, "texture.Red", "a.bmp"), b"bmp")
        write(os.path.join(self.repaint, "texture.Red", "sub", "x"), b"x")
        write(os.path.join(self.repaint, "texture.green", "g.bmp"), b"g")
        self.install("/COPY_TEXTURE_FOLDERS", "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL",
                     "/ALLOW_DUPLICATES_BY_TITLE")
        self.assertEqual(b"dds", read(os.path.join(self.folder, "texture.blue sky", "t.dds")))
        self.assertEqual(b"bmp", read(os.path.join(self.folder, "texture.Red", "a.bmp")))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "texture.Red", "sub")))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "texture.green")))
        self.assertFalse(os.path.exists(os.path.join(self.repaint, "texture.blue sky")))
        self.assertEqual(["sub"], os.listdir(os.path.join(self.repaint, "texture.Red")))
        self.assertTrue(os.path.exists(os.path.join(self.repaint, "texture.green", "g.bmp")))

    def test_an_existing_texture_folder_is_left_alone(self):
        write(os.path.join(self.folder, "texture.Blue Sky", "mine.dds"), b"mine")
        write(os.path.join(self.repaint, "texture.Blue Sky", "mine.dds"), b"theirs")
        self.install("/COPY_TEXTURE_FOLDERS")
        self.assertEqual(b"mine", read(os.path.join(self.folder, "texture.Blue Sky", "mine.dds")))

    def test_a_half_copied_folder_left_by_a_killed_run_is_not_taken_for_the_users(self):
        write(os.path.join(self.repaint, "fltsim.cfg"), SOURCE.replace(b"Blue Sky \r", b"Blue Sky\r"))
        write(os.path.join(self.repaint, "texture.Blue Sky", "t.dds"), b"dds")
        write(os.path.join(self.folder, "texture.Blue Sky.fuselox-partial", "t.dds"), b"d")
        self.install("/COPY_TEXTURE_FOLDERS", "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL")
        self.assertEqual(b"dds", read(os.path.join(self.folder, "texture.Blue Sky", "t.dds")))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "texture.Blue Sky.fuselox-partial")))

    def test_a_source_inside_the_aircraft_folder_never_deletes_its_textures(self):
        write(os.path.join(self.folder, "fltsim.cfg"), SOURCE)
        write(os.path.join(self.folder, "texture.red", "r.dds"), b"r")
        self.assertRun(["INSTALL_VARIANT", "C172", os.path.join(self.folder, "fltsim.cfg"),
                        "/COPY_TEXTURE_FOLDERS", "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL",
                        "/ALLOW_DUPLICATES_BY_TITLE"], b"NOERROR-2\n", 1)
        self.assertEqual(b"r", read(os.path.join(self.folder, "texture.red", "r.dds")))

    def test_source_in_aircraft_folder_and_deleted_after(self):
        write(os.path.join(self.folder, "repaint.cfg"), SOURCE)
        self.assertRun(["INSTALL_VARIANT", "C172", "repaint.cfg", "/SOURCEFILE_IN_AIRCRAFT_FOLDER",
                        "/DELETE_SOURCEFILE_AFTER_INSTALL"], b"NOERROR-2\n", 1)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "repaint.cfg")))

    def test_failures_change_nothing(self):
        before = read(self.cfg)
        self.assertRun(["INSTALL_VARIANT", "C172", "C:\\nowhere.cfg"], b"ERROR\n", 0)
        self.assertRun(["INSTALL_VARIANT", "B737", "C:\\Downloads\\repaint\\fltsim.cfg"], b"ERROR\n", 0)
        self.assertRun(["INSTALL_VARIANT", "C172", ""], b"ERROR\n", 0)
        write(os.path.join(self.repaint, "empty.cfg"), b"[General]\nx=1\n")
        self.assertRun(["INSTALL_VARIANT", "C172", "C:\\Downloads\\repaint\\empty.cfg"], b"ERROR\n", 0)
        self.assertEqual(before, read(self.cfg))
        os.chmod(self.cfg, 0o444)
        self.install(expected=b"ERROR\n", code=0)
        self.assertEqual(before, read(self.cfg))
        self.assertNoWorkingFiles(self.folder)

    def test_an_aircraft_without_variants_is_an_error(self):
        folder = self.p.aircraft("Empty", b"[General]\r\natc_type=X\r\n")
        self.assertRun(["INSTALL_VARIANT", "Empty", "C:\\Downloads\\repaint\\fltsim.cfg"], b"ERROR\n", 0)
        self.assertEqual(b"[General]\r\natc_type=X\r\n", read(os.path.join(folder, "aircraft.cfg")))

    def test_install_by_path_keeps_an_extra_empty_line_and_prints_noerror(self):
        self.assertRun(["INSTALL_VARIANT_BY_PATH", "C:\\FSX\\SimObjects\\Airplanes\\C172",
                        "C:\\Downloads\\repaint\\fltsim.cfg", "/COPY_TEXTURE_FOLDERS"], b"NOERROR\n", 1)
        self.assertEqual(BASE + crlf("", "", "", "", "[fltsim.2]", "title=New One",
                                     "texture = Blue Sky ", "ui_variation=one"), read(self.cfg))

    def test_a_header_holding_equals_gives_fewer_sections(self):
        write(os.path.join(self.repaint, "fltsim.cfg"),
              b"[fltsim.0]\ntitle=P\ntexture=p\n[fltsim.1] ;x=y\ntitle=Q\ntexture=q\n")
        self.install(expected=b"NOERROR-1\n")
        # The header holding "=" stays inside the first section; once installed it is a header.
        self.assertRun(["DUMP_ALL_TEXTURE_TITLE", "C172"], b"A/A\nB/B\nP/P\nQ/Q\n", 1)

    def test_a_long_section_is_installed_whole(self):
        long_value = "d" * 12000
        write(os.path.join(self.repaint, "fltsim.cfg"),
              ("[fltsim.0]\ntitle=Long\ndescription=%s\ntexture=l\n" % long_value).encode())
        self.install(expected=b"NOERROR-1\n")
        self.assertIn(("description=%s\r\ntexture=l" % long_value).encode(), read(self.cfg))

    def test_install_then_remove_destructively_gives_back_the_file(self):
        self.install("/ALLOW_DUPLICATES_BY_TITLE")
        self.assertRun(["REMOVE_VARIANT_BY_TEXTURE", "C172", "red", "/REMOVAL_DESTRUCTIVE"], b"NOERROR\n", 1)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "new one", "/REMOVAL_DESTRUCTIVE"], b"NOERROR\n", 1)
        self.assertEqual(BASE, read(self.cfg))

    def test_an_aircraft_folder_path_of_300_characters(self):
        # Past Windows' old 260-character limit, which the manifest lifts on
        # Windows; Wine has no such limit, so this finds fixed-size buffers.
        addons = "C:\\Addons\\" + "\\".join(c * 55 for c in "vwxyz")
        folder = self.p.host(addons + "\\Long")
        self.assertGreater(len(addons + "\\Long\\texture.Blue Sky\\t.dds"), 300)
        write(os.path.join(folder, "aircraft.cfg"), BASE)
        self.p.write_fsx_cfg(b"[Main]\r\nSimObjectPaths.0=" + addons.encode() + b"\r\n")
        write(os.path.join(self.repaint, "texture.Blue Sky", "t.dds"), b"dds")
        write(os.path.join(self.repaint, "fltsim.cfg"), b"[fltsim.0]\ntitle=N\ntexture=Blue Sky\n")
        self.assertRun(["PRINT_PATH_AIRCRAFT", "Long"], addons.upper().encode() + b"\\Long\\\n", 1)
        self.assertRun(["INSTALL_VARIANT", "Long", "C:\\Downloads\\repaint\\fltsim.cfg",
                        "/COPY_TEXTURE_FOLDERS"], b"NOERROR-1\n", 1)
        self.assertEqual(b"dds", read(os.path.join(folder, "texture.Blue Sky", "t.dds")))
        self.assertRun(["DUMP_ALL_TITLE", "Long"], b"A\nB\nN\n", 1)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "Long", "N", "/REMOVAL_DESTRUCTIVE",
                        "/REMOVAL_DELETETEXTUREFOLDER"], b"NOERROR\n", 1)
        self.assertEqual((BASE, ["aircraft.cfg"]), (read(os.path.join(folder, "aircraft.cfg")),
                                                    os.listdir(folder)))


class RemoveTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("C172", BASE)
        self.cfg = os.path.join(self.folder, "aircraft.cfg")

    def test_non_destructive_removal_comments_the_block(self):
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "B"], b"NOERROR\n", 1)
        self.assertEqual(crlf("[fltsim.0]", "title=A", "texture=a", "", "//[fltsim.1]", "//title=B",
                              "//texture=b", "//", "[General]", "atc_type=X"), read(self.cfg))
        self.assertNoWorkingFiles(self.folder)

    def test_destructive_removal_drops_the_block(self):
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "B", "/REMOVAL_DESTRUCTIVE"], b"NOERROR\n", 1)
        self.assertEqual(crlf("[fltsim.0]", "title=A", "texture=a", "", "[General]", "atc_type=X"),
                         read(self.cfg))

    def test_removal_by_texture_renumbers(self):
        self.assertRun(["REMOVE_VARIANT_BY_TEXTURE", "C172", "A"], b"NOERROR\n", 1)
        self.assertEqual(crlf("//[fltsim.0]", "//title=A", "//texture=a", "//", "[fltsim.0]", "title=B",
                              "texture=b", "", "[General]", "atc_type=X"), read(self.cfg))

    def test_the_later_of_two_equal_variants_goes_first(self):
        self.p.aircraft("D", crlf("[fltsim.0]", "title=B", "texture=1", "[fltsim.1]", "title=B",
                                  "texture=2", "//x=1"))
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "D", "b"], b"NOERROR\n", 1)
        self.assertRun(["DUMP_ALL_TEXTURE", "D"], b"1\n", 1)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "D", "b"], b"NOERROR\n", 1)
        # A commented header does not end a block: the first removal's lines are commented again.
        self.assertEqual(crlf("//[fltsim.0]", "//title=B", "//texture=1", "////[fltsim.1]",
                              "////title=B", "////texture=2", "//////x=1"),
                         read(os.path.join(self.p.sim, "SimObjects", "Airplanes", "D", "aircraft.cfg")))

    def test_repeated_numbers_remove_the_found_variant(self):
        folder = self.p.aircraft("R", crlf("[fltsim.2]", "title=First", "texture=f",
                                           "[fltsim.2]", "title=Second", "texture=s"))
        write(os.path.join(folder, "texture.s", "s.dds"), b"s")
        write(os.path.join(folder, "texture.f", "f.dds"), b"f")
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "R", "second", "/REMOVAL_DESTRUCTIVE",
                        "/REMOVAL_DELETETEXTUREFOLDER"], b"NOERROR\n", 1)
        self.assertEqual(crlf("[fltsim.0]", "title=First", "texture=f"),
                         read(os.path.join(folder, "aircraft.cfg")))
        self.assertFalse(os.path.exists(os.path.join(folder, "texture.s")))
        self.assertTrue(os.path.exists(os.path.join(folder, "texture.f", "f.dds")))

    def test_delete_texture_folder_and_nondestructive_wins(self):
        write(os.path.join(self.folder, "texture.b", "b.dds"), b"b")
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "B", "/REMOVAL_DELETETEXTUREFOLDER",
                        "/REMOVAL_NONDESTRUCTIVE"], b"NOERROR\n", 1)
        self.assertTrue(os.path.exists(os.path.join(self.folder, "texture.b", "b.dds")))
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "A", "/REMOVAL_DELETETEXTUREFOLDER"],
                       b"NOERROR\n", 1)
        write(os.path.join(self.folder, "texture.a", "a.dds"), b"a")

    def test_a_failed_removal_keeps_the_texture_folder(self):
        write(os.path.join(self.folder, "texture.b", "b.dds"), b"b")
        os.chmod(self.cfg, 0o444)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "B", "/REMOVAL_DELETETEXTUREFOLDER"],
                       b"ERROR\n", 0)
        self.assertEqual(b"b", read(os.path.join(self.folder, "texture.b", "b.dds")))
        self.assertEqual(BASE, read(self.cfg))

    def test_texture_folder_outside_the_aircraft_is_never_deleted(self):
        write(os.path.join(self.folder, "texture", "base.dds"), b"base")
        write(os.path.join(self.p.sim, "keep", "k"), b"k")
        self.p.aircraft("E", crlf("[fltsim.0]", "title=E", "texture=", "[fltsim.1]", "title=F",
                                  "texture=..\\..\\..\\..\\keep"))
        efolder = os.path.join(self.p.sim, "SimObjects", "Airplanes", "E")
        write(os.path.join(efolder, "texture", "base.dds"), b"base")
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "E", "E", "/REMOVAL_DELETETEXTUREFOLDER"], b"NOERROR\n", 1)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "E", "F", "/REMOVAL_DELETETEXTUREFOLDER"], b"NOERROR\n", 1)
        self.assertTrue(os.path.exists(os.path.join(efolder, "texture", "base.dds")))
        self.assertTrue(os.path.exists(os.path.join(self.p.sim, "keep", "k")))

    def test_unknown_variant_is_an_error(self):
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", "nope"], b"ERROR\n", 0)
        self.assertRun(["REMOVE_VARIANT_BY_TEXTURE", "C172", "nope"], b"ERROR\n", 0)
        self.assertRun(["REMOVE_VARIANT_BY_TITLE", "C172", ""], b"ERROR\n", 0)
        self.assertEqual(BASE, read(self.cfg))


class RenumberAndAppendTest(PrefixTest):
    def test_sanitize_renumbers_headers_only(self):
        folder = self.p.aircraft("S", b"[fltsim.0]\n[fltsim.2]\n  [FLTSIM.7] // old\n//[fltsim.3]\n"
                                      b"[fltsim.3]\nvisual_damage=1")
        self.assertRun(["SANITIZE_VARIANTS", "S"], b"NOERROR\n", 1)
        once = read(os.path.join(folder, "aircraft.cfg"))
        self.assertEqual(b"[fltsim.0]\r\n[fltsim.1]\r\n[fltsim.2]\r\n//[fltsim.3]\r\n[fltsim.3]\r\n"
                         b"visual_damage=1", once)
        self.assertRun(["SANITIZE_VARIANTS", "S"], b"NOERROR\n", 1)
        self.assertEqual(once, read(os.path.join(folder, "aircraft.cfg")))
        self.assertRun(["SANITIZE_VARIANTS", "nope"], b"ERROR\n", 0)

    def test_append_text(self):
        folder = self.p.aircraft("A", b"[General]\r\nL=1")
        write(os.path.join(self.tmp, "add.txt"), b"a=1\nb=2\n")
        self.assertRun(["APPEND_TEXT", "A", os.path.join(self.tmp, "add.txt")], b"NOERROR", 1)
        self.assertEqual(b"[General]\r\nL=1\r\na=1\r\nb=2", read(os.path.join(folder, "aircraft.cfg")))

    def test_append_after_a_final_line_end_leaves_an_empty_line(self):
        folder = self.p.aircraft("A", b"[General]\r\nL=1\r\n")
        write(os.path.join(self.tmp, "add.txt"), b"[fltsim.9]\r\na=1")
        self.assertRun(["APPEND_TEXT", "A", os.path.join(self.tmp, "add.txt")], b"NOERROR", 1)
        self.assertEqual(b"[General]\r\nL=1\r\n\r\n[fltsim.9]\r\na=1",
                         read(os.path.join(folder, "aircraft.cfg")))

    def test_append_failures(self):
        folder = self.p.aircraft("A", b"x=1\r\n")
        self.assertRun(["APPEND_TEXT", "A", os.path.join(self.tmp, "missing.txt")], b"ERROR\n", 0)
        write(os.path.join(self.tmp, "add.txt"), b"a=1\n")
        os.chmod(os.path.join(folder, "aircraft.cfg"), 0o444)
        self.assertRun(["APPEND_TEXT", "A", os.path.join(self.tmp, "add.txt")], b"ERROR\n", 0)
        self.assertEqual(b"x=1\r\n", read(os.path.join(folder, "aircraft.cfg")))
        self.assertNoWorkingFiles(folder)
