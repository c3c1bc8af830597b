"""Reasons on failure: with FUSELOX_VERBOSE=1 a failing command writes one
line "fuselox: <reason>" to standard error; its result line and exit code
stay the same, and without the variable nothing appears on standard error.

Every case runs twice, quiet and verbose, so each must fail the same way
both times."""

import hashlib
import os
import struct

from harness import PrefixTest, crlf, write

CFG = crlf("[General]", "atc_type=CESSNA", "", "[fltsim.0]", "title=Red", "texture=red", "",
           "[fltsim.1]", "title=Blue", "texture=blue", "visual_damage=1")
SOURCE = crlf("[fltsim.9]", "title=Green", "texture=green", final_line_end=True)
VERBOSE = {"FUSELOX_VERBOSE": "1"}
OLD = bytes(range(256)) * 2  # the file the patches below are made for


def checksum(run):
    value = 0
    for byte in run:
        value = ((value << 2) | (value >> 30)) & 0xFFFFFFFF
        value ^= (byte - 256 if byte >= 0x80 else byte) & 0xFFFFFFFF
    return value


def patch(records, new_size, old=OLD, magic=b"bdiff02\x1a"):
    digest = hashlib.md5(old).hexdigest().encode()
    return digest + magic + struct.pack("<ii", len(old), new_size) + records


def literal(data):
    return b"+" + struct.pack("<I", len(data)) + data


def copy(offset, length, sum_=None):
    run = OLD[offset:offset + length]
    return b"@" + struct.pack("<iiI", offset, length, checksum(run) if sum_ is None else sum_)


class ReasonTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.folder = self.p.aircraft("C172", CFG)
        self.cfg = os.path.join(self.folder, "aircraft.cfg")

    def assertReason(self, args, stdout, *words):
        """The command fails with `stdout` and exit code 0 both ways, and
        the verbose run names every one of `words` in its one line."""
        quiet = self.p.run(*args)
        self.assertEqual((stdout, 0, b""), quiet, "args=%r" % (args,))
        out, rc, err = self.p.run(*args, env=VERBOSE)
        self.assertEqual((stdout, 0), (out, rc), "args=%r" % (args,))
        self.assertTrue(err.startswith(b"fuselox: ") and err.endswith(b"\n"), err)
        self.assertEqual(1, err.count(b"\n"), err)
        for word in words:
            self.assertIn(word.encode("latin-1"), err, "args=%r" % (args,))
        return err


class FrontEndReasonTest(ReasonTest):
    def test_unknown_command_word(self):
        self.assertReason(["FLY_TO_PARIS"], b"ERRORUNKNOWNCOMMAND\n", '"FLY_TO_PARIS"',
                          "not a command")

    def test_too_few_arguments(self):
        self.assertReason(["VERIFY_TITLE", "C172"],
                          b"ERROR Incorrect number of arguments for mode VERIFY_TITLE\n",
                          "VERIFY_TITLE takes 2 arguments, 1 given")

    def test_argument_too_long(self):
        self.assertReason(["VERIFY_AIRCRAFT", "x" * 1024],
                          b"ERROR Argument too long for mode VERIFY_AIRCRAFT\n",
                          "longer than 1023")


class LocationReasonTest(ReasonTest):
    def test_registry_value_missing(self):
        self.p.write_user_reg(None)
        write(os.path.join(self.p.root, "fix.bdiff"), patch(literal(b"x"), 1))
        for args in (["PRINT_PATH_FSX"], ["VERIFY_AIRCRAFT", "C172"],
                     ["BINPATCH_APPLY_TO_FSX", "fsx.exe", "fix.bdiff"]):
            self.assertReason(args, b"ERROR\n", "registry value AppPath", "missing")
        self.assertReason(["DUMP_ALL_AIRCRAFT"], b"", "AppPath")

    def test_application_data_folder_missing(self):
        self.p.write_user_reg("C:\\FSX\\", app_data=None)
        err = self.assertReason(["PRINT_PATH_AIRCRAFT", "C172"], b"ERROR\n")
        # Wine's shell still gives a folder, one that does not exist.
        self.assertTrue(b"application-data folder" in err or b"cannot read fsx.cfg" in err, err)

    def test_fsx_cfg_missing_or_without_paths(self):
        os.remove(self.p.fsx_cfg_path())
        self.assertReason(["DUMP_ALL_TITLE", "C172"], b"ERROR\n", "cannot read fsx.cfg",
                          "Microsoft\\FSX\\fsx.cfg")
        self.p.write_fsx_cfg(b"[Main]\r\nUser Objects=Airplane\r\n\r\n")
        self.assertReason(["DUMP_ALL_AIRCRAFT"], b"", "no SimObjectPaths line")

    def test_unknown_aircraft_names_the_paths_searched(self):
        for args in (["PRINT_PATH_AIRCRAFT", "B737"], ["VERIFY_AIRCRAFT", "B737"],
                     ["SANITIZE_VARIANTS", "B737"], ["READ_GLOBAL_PARAMETER", "B737", "General",
                                                     "atc_type"]):
            self.assertReason(args, b"ERROR\n", '"B737" not found under',
                              "C:\\FSX\\SIMOBJECTS\\AIRPLANES",
                              "C:\\FSX\\SIMOBJECTS\\ROTORCRAFT")

    def test_simobjects_folder_that_cannot_be_listed(self):
        self.p.write_fsx_cfg(b"[Main]\r\nSimObjectPaths.0=SimObjects\\Gliders\r\n"
                             b"SimObjectPaths.1=SimObjects\\Airplanes\r\n\r\n")
        self.assertReason(["DUMP_ALL_AIRCRAFT"], b"", "cannot list", "GLIDERS")

    def test_empty_aircraft_name(self):
        self.assertReason(["PRINT_PATH_AIRCRAFT", ""], b"ERROR\n", "no aircraft folder name")


class CfgReasonTest(ReasonTest):
    def test_unknown_title_or_texture(self):
        self.assertReason(["VERIFY_TITLE", "C172", "Green"], b"ERROR\n", 'title "Green"')
        self.assertReason(["VERIFY_TEXTURE", "C172", "green"], b"ERROR\n", 'texture "green"')
        self.assertReason(["READ_VARIANT_PARAMETER_BY_TITLE", "C172", "Green", "atc_id"],
                          b"ERROR\n", 'title "Green"')
        self.assertReason(["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "green", "atc_id", "N1"],
                          b"ERROR\n", 'texture "green"')

    def test_missing_parameter_or_section(self):
        self.assertReason(["READ_GLOBAL_PARAMETER", "C172", "General", "ui_type"], b"ERROR\n",
                          '"ui_type" not found in section [General]')
        self.assertReason(["READ_GLOBAL_PARAMETER", "C172", "Engines", "atc_type"], b"ERROR\n",
                          "section [Engines]")
        self.assertReason(["CHANGE_GLOBAL_PARAMETER", "C172", "General", "ui_type", "x"],
                          b"ERROR\n", '"ui_type" not found', "/ADD_MISSING_PARAMETER")
        self.assertReason(["READ_VARIANT_PARAMETER_BY_TITLE", "C172", "Red", "atc_id"],
                          b"ERROR\n", '"atc_id" not found in the variant')

    def test_aircraft_without_variants(self):
        self.p.aircraft("Glider", crlf("[General]", "atc_type=GLIDER"))
        for command in ("DUMP_ALL_TITLE", "DUMP_ALL_TEXTURE", "DUMP_ALL_TEXTURE_TITLE"):
            self.assertReason([command, "Glider"], b"ERROR\n", "no [fltsim.N] section")

    def test_read_only_aircraft_cfg(self):
        os.chmod(self.cfg, 0o444)
        self.assertReason(["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "X"],
                          b"ERROR\n", "aircraft.cfg is read-only")


class VariantReasonTest(ReasonTest):
    def setUp(self):
        super().setUp()
        write(os.path.join(self.p.root, "repaint", "fltsim.cfg"), SOURCE)

    def test_source_file_missing_or_without_sections(self):
        self.assertReason(["INSTALL_VARIANT", "C172", "repaint\\nothing.cfg"], b"ERROR\n",
                          "cannot read", "nothing.cfg")
        write(os.path.join(self.p.root, "notes.txt"), b"just text\r\n")
        self.assertReason(["INSTALL_VARIANT", "C172", "notes.txt"], b"ERROR\n",
                          "notes.txt has no [fltsim.N] section")
        self.assertReason(["APPEND_TEXT", "C172", "missing.txt"], b"ERROR\n",
                          "cannot read missing.txt")

    def test_aircraft_cfg_without_variants_or_folder_without_it(self):
        self.p.aircraft("Glider", crlf("[General]", "atc_type=GLIDER"))
        self.assertReason(["INSTALL_VARIANT", "Glider", "repaint\\fltsim.cfg"], b"ERROR\n",
                          "has no [fltsim.N] section")
        self.assertReason(["INSTALL_VARIANT_BY_PATH", "nowhere", "repaint\\fltsim.cfg"],
                          b"ERROR\n", "no folder nowhere")

    def test_read_only_aircraft_cfg(self):
        write(self.cfg, CFG.replace(b"fltsim.1", b"fltsim.4"))  # something to renumber
        os.chmod(self.cfg, 0o444)
        write(os.path.join(self.p.root, "extra.txt"), b"a=1\r\n")
        for args in (["INSTALL_VARIANT", "C172", "repaint\\fltsim.cfg"],
                     ["REMOVE_VARIANT_BY_TEXTURE", "C172", "red"],
                     ["SANITIZE_VARIANTS", "C172"],
                     ["APPEND_TEXT", "C172", "extra.txt"]):
            self.assertReason(args, b"ERROR\n", "aircraft.cfg", "read-only")

    def test_unknown_variant(self):
        self.assertReason(["REMOVE_VARIANT_BY_TITLE", "C172", "Green"], b"ERROR\n",
                          'title "Green"')
        self.assertReason(["REMOVE_VARIANT_BY_TEXTURE", "C172", "green"], b"ERROR\n",
                          'texture "green"')

    def test_append_source_with_text_after_end_of_file_mark(self):
        write(os.path.join(self.p.root, "extra.txt"), b"a=1\r\n\x1ab=2\r\n")
        self.assertReason(["APPEND_TEXT", "C172", "extra.txt"], b"ERROR\n", "end-of-file mark")


class PatchReasonTest(ReasonTest):
    def setUp(self):
        super().setUp()
        self.target = os.path.join(self.folder, "panel.bin")
        write(self.target, OLD)

    def apply(self, patch_bytes, *words):
        write(os.path.join(self.p.root, "fix.bdiff"), patch_bytes)
        err = self.assertReason(["BINPATCH_APPLY", "C172", "panel.bin", "fix.bdiff"], b"ERROR\n",
                                *words)
        with open(self.target, "rb") as f:
            self.assertEqual(OLD, f.read())
        return err

    def test_making_a_patch(self):
        write(os.path.join(self.p.root, "new.bin"), b"new")
        write(os.path.join(self.p.root, "empty.bin"), b"")
        self.assertReason(["BINPATCH_MAKE", "old.bin", "new.bin", "p.bdiff"], b"ERROR1\n",
                          "old.bin: cannot be opened")
        self.assertReason(["BINPATCH_MAKE", "new.bin", "gone.bin", "p.bdiff"], b"ERROR\n",
                          "gone.bin: cannot be opened")
        self.assertReason(["BINPATCH_MAKE", "new.bin", "NEW.BIN", "p.bdiff"], b"ERROR\n",
                          "three different files")
        self.assertReason(["BINPATCH_MAKE", "empty.bin", "new.bin", "p.bdiff"], b"ERROR\n",
                          "empty old file")

    def test_missing_patch_target_or_aircraft(self):
        write(os.path.join(self.p.root, "fix.bdiff"), patch(literal(b"x"), 1))
        self.assertReason(["BINPATCH_APPLY", "C172", "panel.bin", "nofix.bdiff"], b"ERROR\n",
                          "nofix.bdiff: the patch cannot be opened")
        self.assertReason(["BINPATCH_APPLY", "C172", "gauge.bin", "fix.bdiff"], b"ERROR\n",
                          "gauge.bin: cannot be opened")
        self.assertReason(["BINPATCH_APPLY", "B737", "panel.bin", "fix.bdiff"], b"ERROR\n",
                          '"B737" not found under')

    def test_patch_for_another_version(self):
        self.apply(patch(literal(b"x"), 1, old=b"other"), "not the file this patch was made for")

    def test_malformed_patches_name_the_fault_and_where(self):
        self.apply(patch(literal(b"x"), 1, magic=b"bdiff03\x1a"), "not a patch")
        self.apply(patch(literal(b"0123456789")[:-4], 10), "ends at byte 59")
        self.apply(patch(copy(0, 24, sum_=1), 24), "record at byte 48", "checksum")
        self.apply(patch(literal(b"ab") + copy(500, 24), 26), "record at byte 55",
                   "outside the old file")
        self.apply(patch(literal(b"abc"), 4), "do not add up")
        self.apply(patch(literal(b"abc") + b"\n", 3), "record kind 0x0A at byte 56")
        self.apply(patch(literal(b"abcdef"), 3), "record at byte 48", "more bytes")

    def test_read_only_target(self):
        os.chmod(self.target, 0o444)
        self.apply(patch(literal(b"x"), 1), "panel.bin: the file is read-only")


class QuietTest(ReasonTest):
    def test_success_writes_nothing_on_standard_error(self):
        write(os.path.join(self.p.root, "new.bin"), b"new")
        write(os.path.join(self.p.root, "old.bin"), OLD)
        for args in (["VERIFY_AIRCRAFT", "C172"], ["DUMP_ALL_AIRCRAFT"], ["PRINT_VERSION"],
                     ["VERIFY_TITLE", "C172", "Blue"], ["CHANGE_GLOBAL_PARAMETER", "C172",
                                                        "General", "ui_type", "x",
                                                        "/ADD_MISSING_PARAMETER"],
                     ["BINPATCH_MAKE", "old.bin", "new.bin", "p.bdiff"]):
            out, rc, err = self.p.run(*args, env=VERBOSE)
            self.assertEqual((1, b""), (rc, err), "args=%r out=%r" % (args, out))

    def test_banner_and_help_write_nothing_on_standard_error(self):
        for args in ([], ["help"]):
            out, rc, err = self.p.run(*args, env=VERBOSE)
            self.assertEqual((0, b""), (rc, err))
            self.assertTrue(out.startswith(b"\n\nFuselox v1.21"))

    def test_only_the_value_1_turns_reasons_on(self):
        for value in ("0", "", "yes", "true"):
            self.assertEqual((b"ERROR\n", 0, b""),
                             self.p.run("VERIFY_AIRCRAFT", "B737", env={"FUSELOX_VERBOSE": value}))
