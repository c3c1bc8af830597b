"""Limits: over-long arguments and joined paths, a 100 MB aircraft.cfg, a
1 MB line, 100,000 variants and patches that claim sizes near 2^31. Each
gives its command's error line or the right answer, never a crash, an
overrun or a partial file. Times are printed, never asserted."""

import hashlib
import os
import struct
import time
import unittest

import common
from common import ScratchDir, crlf, read, run, working_files, write

SLOT = 1024
FIGURES = []


class LimitTest(unittest.TestCase):
    def setUp(self):
        self.scratch_dir = ScratchDir()
        self.p = common.new_prefix(self.scratch_dir.__enter__())

    def tearDown(self):
        self.scratch_dir.__exit__(None, None, None)

    def timed(self, label, args, expected_out=None, expected_rc=1):
        started = time.monotonic()
        out, rc, err = run(self.p.root, args)
        FIGURES.append((label, time.monotonic() - started))
        self.assertIn(rc, (0, 1), "%s crashed: %r" % (label, err[-2000:]))
        if expected_out is not None:
            self.assertEqual((expected_out, expected_rc), (out, rc), "%s: %r" % (label, err[-500:]))
        return out, rc

    def assertSame(self, expected, actual, what):
        """Compares files without printing megabytes."""
        if expected != actual:
            at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
                      min(len(expected), len(actual)))
            self.fail("%s differs at byte %d of %d/%d: %r / %r" % (
                what, at, len(expected), len(actual), expected[at:at + 60], actual[at:at + 60]))


class ArgumentTest(LimitTest):
    def test_an_argument_of_1024_bytes_is_refused_in_every_slot(self):
        folder = self.p.aircraft("C172", crlf("[fltsim.0]", "title=A", "texture=a"))
        before = read(os.path.join(folder, "aircraft.cfg"))
        long_arg = "x" * SLOT
        for args in (["INSTALL_VARIANT", "C172", long_arg],
                     ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", long_arg],
                     ["CHANGE_VARIANT_PARAMETER_BY_TITLE", long_arg, "A", "k", "v"],
                     ["REMOVE_VARIANT_BY_TITLE", "C172", long_arg],
                     ["APPEND_TEXT", "C172", long_arg],
                     ["BINPATCH_MAKE", "a", "b", long_arg],
                     ["BINPATCH_APPLY", "C172", long_arg, "p"]):
            self.timed(args[0], args, b"ERROR Argument too long for mode %s\n" % args[0].encode(), 0)
        self.assertEqual(before, read(os.path.join(folder, "aircraft.cfg")))

    def test_an_argument_of_1023_bytes_is_taken(self):
        self.p.aircraft("C172", crlf("[fltsim.0]", "title=A", "texture=a"))
        self.timed("1023", ["VERIFY_TITLE", "C172", "t" * (SLOT - 1)], b"ERROR\n", 0)
        # Two bytes of UTF-8 are one narrow character: 600 of them fit.
        self.timed("utf-8", ["VERIFY_TITLE", "C172", "\u00e9" * 600], b"ERROR\n", 0)

    def aircraft_named(self, length):
        """An aircraft whose folder name has the given length, in components
        short enough for the host; returns the name and its folder."""
        parts = []
        while length > 200:
            parts.append("d" * 199)
            length -= 200
        parts.append("d" * length)
        name = "\\".join(parts)
        folder = self.p.aircraft(os.path.join(*parts),
                                 crlf("[fltsim.0]", "title=A", "texture=a", "", "[General]",
                                      "atc_type=X"))
        return name, folder

    def test_joined_paths_over_the_buffer_fail_cleanly(self):
        prefix = len("C:\\FSX\\SIMOBJECTS\\AIRPLANES\\")  # as fsx.cfg gives it
        # "<SimObjects path>\<name>\" must stay under 1024 bytes.
        fits = SLOT - 1 - prefix - len("\\aircraft.cfg")
        for length, fit in ((fits, True), (fits + 1, False)):
            name, folder = self.aircraft_named(length)
            cfg = os.path.join(folder, "aircraft.cfg")
            before = read(cfg)
            out, rc = self.timed("path %d" % length, ["CHANGE_GLOBAL_PARAMETER", name, "General",
                                                      "atc_type", "Y"])
            self.assertEqual((b"NOERROR\n", 1) if fit else (b"ERROR\n", 0), (out, rc), length)
            self.assertEqual(before.replace(b"atc_type=X", b"atc_type=Y") if fit else before,
                             read(cfg))
            for args in (["REMOVE_VARIANT_BY_TITLE", name, "A"], ["SANITIZE_VARIANTS", name],
                         ["INSTALL_VARIANT", name, "fltsim.cfg", "/SOURCEFILE_IN_AIRCRAFT_FOLDER"],
                         ["BINPATCH_APPLY", name, "aircraft.cfg", "x.bdiff"]):
                if not fit:
                    self.timed(args[0], args, b"ERROR\n", 0)
            if not fit:
                self.assertEqual(before, read(cfg))
            self.assertEqual([], working_files(self.p.root))

    def test_a_patch_target_whose_rebuild_path_overflows_is_refused(self):
        folder = self.p.aircraft("C172", crlf("[fltsim.0]", "title=A", "texture=a"))
        write(os.path.join(self.p.root, "old"), b"old")
        write(os.path.join(self.p.root, "new"), b"new!")
        self.timed("make", ["BINPATCH_MAKE", "old", "new", "p.bdiff"], b"NOERROR\n")
        base = len("C:\\FSX\\SIMOBJECTS\\AIRPLANES\\C172\\\\")
        for rebuild_length, fits in ((SLOT - 1, True), (SLOT, False)):
            parts = [c * 200 for c in "mnop"]
            parts.append("q" * (rebuild_length - base - len(".temp") - 4 * 201))
            target = os.path.join(folder, *parts)
            write(target, b"old")
            out, rc = self.timed("apply", ["BINPATCH_APPLY", "C172", "\\".join(parts), "p.bdiff"])
            self.assertEqual((b"NOERROR\n", 1) if fits else (b"ERROR\n", 0), (out, rc))
            self.assertEqual(b"new!" if fits else b"old", read(target))
            self.assertEqual([], working_files(self.p.root))


def big_cfg(lines):
    head = crlf("[fltsim.0]", "title=First", "texture=first", "", "[fltsim.1]", "title=Second",
                "texture=second", "", "[contact_points]")
    body = b"".join(b"point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9\r\n"
                    % (i, i) for i in range(lines))
    return head + b"\r\n" + body + crlf("", "[General]", "atc_type=CESSNA")


class SizeTest(LimitTest):
    def test_a_100_mb_aircraft_cfg(self):
        data = big_cfg(1400000)
        self.assertGreater(len(data), 100 * 1000 * 1000)
        folder = self.p.aircraft("BIG", data)
        cfg = os.path.join(folder, "aircraft.cfg")
        write(os.path.join(self.p.root, "r.cfg"), crlf("[fltsim.0]", "title=Third",
                                                       "texture=third"))
        self.timed("100 MB: DUMP_ALL_TEXTURE_TITLE", ["DUMP_ALL_TEXTURE_TITLE", "BIG"],
                   b"FIRST/FIRST\nSECOND/SECOND\n")
        self.timed("100 MB: READ_GLOBAL_PARAMETER", ["READ_GLOBAL_PARAMETER", "BIG", "General",
                                                     "atc_type"], b"CESSNA\n")
        self.timed("100 MB: CHANGE_GLOBAL_PARAMETER", ["CHANGE_GLOBAL_PARAMETER", "BIG", "General",
                                                       "atc_type", "PIPER"], b"NOERROR\n")
        expected = data.replace(b"atc_type=CESSNA", b"atc_type=PIPER")
        self.assertSame(expected, read(cfg), "after the change")
        self.timed("100 MB: INSTALL_VARIANT", ["INSTALL_VARIANT", "BIG", "r.cfg"], b"NOERROR-1\n")
        expected += crlf("", "", "[fltsim.2]", "title=Third", "texture=third")
        self.assertSame(expected, read(cfg), "after the install")
        self.timed("100 MB: REMOVE_VARIANT_BY_TITLE", ["REMOVE_VARIANT_BY_TITLE", "BIG", "First",
                                                       "/REMOVAL_DESTRUCTIVE"], b"NOERROR\n")
        expected = expected.replace(crlf("[fltsim.0]", "title=First", "texture=first", "", ""), b"")
        expected = expected.replace(b"[fltsim.1]", b"[fltsim.0]").replace(b"[fltsim.2]",
                                                                          b"[fltsim.1]")
        self.assertSame(expected, read(cfg), "after the removal")
        self.assertEqual([], working_files(self.p.root))

    def test_a_line_of_1_mb(self):
        long_value = b"v" * (1 << 20)
        data = crlf("[fltsim.0]", "title=Long", "texture=long") + b"\r\ndescription=" + \
            long_value + crlf("", "", "[fltsim.1]", "title=Short", "texture=short", "",
                              "[General]", "atc_type=X", "") + b"// " + long_value + b"\r\nend=1"
        folder = self.p.aircraft("LONG", data)
        cfg = os.path.join(folder, "aircraft.cfg")
        self.timed("1 MB line: CHANGE_GLOBAL_PARAMETER", ["CHANGE_GLOBAL_PARAMETER", "LONG",
                                                          "General", "atc_type", "Y"],
                   b"NOERROR\n")
        data = data.replace(b"atc_type=X", b"atc_type=Y")
        self.assertSame(data, read(cfg), "after the change")
        out, rc = self.timed("1 MB line: READ_VARIANT_PARAMETER_BY_TITLE",
                             ["READ_VARIANT_PARAMETER_BY_TITLE", "LONG", "Long", "description"])
        self.assertEqual(1, rc)
        self.assertTrue(out.startswith(b"v" * 1000), out[:100])
        self.timed("1 MB line: REMOVE_VARIANT_BY_TITLE", ["REMOVE_VARIANT_BY_TITLE", "LONG",
                                                          "Long"], b"NOERROR\n")
        after = read(cfg)
        self.assertIn(b"\r\n//description=" + long_value + b"\r\n", after)
        self.assertIn(b"\r\n// " + long_value + b"\r\nend=1", after)
        # A source whose section holds a 1 MB line installs it whole.
        write(os.path.join(self.p.root, "r.cfg"),
              crlf("[fltsim.0]", "title=Third", "texture=third") + b"\r\nlong=" + long_value)
        self.timed("1 MB line: INSTALL_VARIANT", ["INSTALL_VARIANT", "LONG", "r.cfg"],
                   b"NOERROR-1\n")
        self.assertTrue(read(cfg).endswith(b"\r\nlong=" + long_value))
        self.assertEqual([], working_files(self.p.root))

    def test_100000_variants(self):
        count = 100000
        data = b"".join(b"[fltsim.%d]\r\ntitle=Paint %d\r\ntexture=t%d\r\n\r\n" % (i, i, i)
                        for i in range(count)) + crlf("[General]", "atc_type=X")
        folder = self.p.aircraft("MANY", data)
        cfg = os.path.join(folder, "aircraft.cfg")
        write(os.path.join(self.p.root, "r.cfg"), crlf("[fltsim.0]", "title=New", "texture=new"))
        out, _ = self.timed("100000 variants: DUMP_ALL_TITLE", ["DUMP_ALL_TITLE", "MANY"])
        self.assertEqual(b"".join(b"PAINT %d\n" % i for i in range(count)), out)
        self.timed("100000 variants: VERIFY_TITLE", ["VERIFY_TITLE", "MANY", "paint 99999"],
                   b"NOERROR\n")
        self.timed("100000 variants: CHANGE_VARIANT_PARAMETER_BY_TEXTURE",
                   ["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "MANY", "t99999", "title", "Last"],
                   b"NOERROR\n")
        self.timed("100000 variants: INSTALL_VARIANT", ["INSTALL_VARIANT", "MANY", "r.cfg"],
                   b"NOERROR-1\n")
        self.timed("100000 variants: REMOVE_VARIANT_BY_TITLE",
                   ["REMOVE_VARIANT_BY_TITLE", "MANY", "Paint 0", "/REMOVAL_DESTRUCTIVE"],
                   b"NOERROR\n")
        after = read(cfg)
        self.assertTrue(after.startswith(b"[fltsim.0]\r\ntitle=Paint 1\r\n"), after[:60])
        self.assertIn(b"[fltsim.99998]\r\ntitle=Last\r\ntexture=t99999\r\n", after)
        self.assertTrue(after.endswith(b"[fltsim.99999]\r\ntitle=New\r\ntexture=new"), after[-60:])
        self.timed("100000 variants: SANITIZE_VARIANTS", ["SANITIZE_VARIANTS", "MANY"],
                   b"NOERROR\n")
        self.assertEqual([], working_files(self.p.root))


def patch_for(old, old_size, new_size, records=b""):
    digest = hashlib.md5(old).hexdigest().encode()
    return digest + b"bdiff02\x1a" + struct.pack("<II", old_size, new_size) + records


def literal(length, data=b""):
    return b"\x2b" + struct.pack("<I", length) + data


def copy(offset, length, checksum=0):
    return b"\x40" + struct.pack("<III", offset, length, checksum)


class PatchSizeTest(LimitTest):
    def test_patches_claiming_sizes_near_2_to_the_31(self):
        folder = self.p.aircraft("C172", crlf("[fltsim.0]", "title=A", "texture=a"))
        old = bytes(range(256)) * 64
        target = os.path.join(folder, "model.mdl")
        write(target, old)
        n = len(old)
        cases = {
            "sizes 2^31-1, no record": patch_for(old, 0x7FFFFFFF, 0x7FFFFFFF),
            "new size 2^31": patch_for(old, n, 0x80000000, literal(4, b"abcd")),
            "new size 2^32-1": patch_for(old, n, 0xFFFFFFFF, literal(4, b"abcd")),
            "literal of 2^31-1, cut short": patch_for(old, n, 0x7FFFFFFF,
                                                      literal(0x7FFFFFFF, b"abc")),
            "literal of 2^31": patch_for(old, n, 0x7FFFFFFF, literal(0x80000000, b"abc")),
            "literal of 2^32-1": patch_for(old, n, 16, literal(0xFFFFFFFF, b"abc")),
            "copy past the old file": patch_for(old, n, 0x7FFFFFFF, copy(0x7FFFFFF0, 0x20)),
            "copy of 2^31-1": patch_for(old, 0x7FFFFFFF, 0x7FFFFFFF, copy(0, 0x7FFFFFFF)),
            "copy with a negative offset": patch_for(old, n, 32, copy(0xFFFFFFF0, 32)),
            "copy with a negative length": patch_for(old, n, 32, copy(0, 0xFFFFFFFF)),
            "copy whose end wraps": patch_for(old, n, 0x7FFFFFFF, copy(0x7FFFFFFF, 0x7FFFFFFF)),
            "copy past the real file, old size 2^31-1": patch_for(old, 0x7FFFFFFF, 64,
                                                                  copy(n - 32, 64)),
        }
        for label, patch in cases.items():
            write(os.path.join(self.p.root, "p.bdiff"), patch)
            out, rc = self.timed("patch: " + label, ["BINPATCH_APPLY", "C172", "model.mdl",
                                                     "p.bdiff"])
            self.assertEqual((b"ERROR\n", 0), (out, rc), label)
            self.assertEqual(old, read(target), label)
            self.assertEqual([], working_files(self.p.root), label)

    def test_a_file_of_2_gib_is_too_large_for_a_patch(self):
        big = os.path.join(self.p.root, "big.bin")
        with open(big, "wb") as f:
            f.truncate(1 << 31)  # sparse: nothing is written
        write(os.path.join(self.p.root, "small.bin"), b"small")
        write(os.path.join(self.p.root, "p.bdiff"), b"earlier patch")
        for args in (["BINPATCH_MAKE", "big.bin", "small.bin", "p.bdiff"],
                     ["BINPATCH_MAKE", "small.bin", "big.bin", "p.bdiff"]):
            out, rc = self.timed("2 GiB input", args)
            self.assertEqual(0, rc)
            self.assertTrue(out.startswith(b"ERROR"), out)
            self.assertEqual(b"earlier patch", read(os.path.join(self.p.root, "p.bdiff")))


def tearDownModule():
    print("\nlimits: seconds per run")
    for label, seconds in FIGURES:
        if seconds >= 0.05:
            print("  %-60s %7.2f" % (label, seconds))

