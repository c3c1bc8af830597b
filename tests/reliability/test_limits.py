"""Limits: joined paths at the 1023-character buffer, 1.4 million lines, a 1 MB line, 100,000
variants, a 2 GiB patch input. Each gives the right answer or its error line and leaves the
files alone. (Over-long arguments and patches claiming sizes near 2^31 are end-to-end cases.)"""

import os
import unittest

from scenarios import Prefix, crlf, read, run, scratch, working_files, write


class LimitTest(unittest.TestCase):
    def setUp(self):
        self.scratch = scratch()
        self.p = Prefix(os.path.join(self.scratch.name, "p"))

    def tearDown(self):
        self.assertEqual([], working_files(self.p.root))
        self.scratch.cleanup()

    def check(self, args, out, key=None, after=None):
        """The run prints `out` (its start, when long); the file `key` then holds `after`."""
        result = run(self.p.root, args)
        self.assertEqual((out, int(not out.startswith(b"ERROR"))),
                         (result[0][:len(out) or None], result[1]), result[2][-2000:])
        if key:  # compared where they differ, not printed whole
            data = read(self.p.path(key))
            at = next((i for i, (a, b) in enumerate(zip(after, data)) if a != b), len(data))
            self.assertEqual((len(after), after[at:at + 60]), (len(data), data[at:at + 60]), at)

    def test_joined_paths_at_the_buffer(self):
        # "C:\FSX\SIMOBJECTS\AIRPLANES\<name>\aircraft.cfg" fits in 1023 characters, or is refused.
        fits = 1023 - len("C:\\FSX\\SIMOBJECTS\\AIRPLANES\\") - len("\\aircraft.cfg")
        for length in (fits, fits + 1):
            parts = ["d" * 199] * (length // 200) + ["d" * (length % 200)]
            cfg, name = "/".join(parts) + "/aircraft.cfg", "\\".join(parts)
            before = crlf("[fltsim.0]", "title=A", "texture=a", "[General]", "atc_type=X")
            self.p.reset({cfg: before})
            for args in (["CHANGE_GLOBAL_PARAMETER", name, "General", "atc_type", "Y"],
                         ["REMOVE_VARIANT_BY_TITLE", name, "A"], ["SANITIZE_VARIANTS", name],
                         ["INSTALL_VARIANT", name, "f.cfg", "/SOURCEFILE_IN_AIRCRAFT_FOLDER"],
                         ["BINPATCH_APPLY", name, "aircraft.cfg", "x.bdiff"])[:5 if length > fits else 1]:
                self.check(args, b"NOERROR\n" if length == fits else b"ERROR\n", cfg,
                           before.replace(b"=X", b"=Y") if length == fits else before)
        # A patch target whose working file "<target>.temp" would not fit is refused.
        self.p.reset({"C/aircraft.cfg": b"", "/work/old": b"old", "/work/new": b"new!"})
        self.check(["BINPATCH_MAKE", "C:\\work\\old", "C:\\work\\new", "C:\\work\\p"], b"NOERROR\n")
        for length in (1023, 1024):  # of "C:\FSX\SIMOBJECTS\AIRPLANES\C\<target>.temp"
            target = "\\".join([c * 200 for c in "mnop"] + ["q" * (length - 840)])
            write(self.p.path("C/" + target.replace("\\", "/")), b"old")
            self.check(["BINPATCH_APPLY", "C", target, "C:\\work\\p"], b"NOERROR\n" if length <
                       1024 else b"ERROR\n", "C/" + target.replace("\\", "/"),
                       b"new!" if length < 1024 else b"old")

    def test_huge_files(self):
        lines = crlf("[fltsim.0]", "title=First", "texture=first", "", "[fltsim.1]", "title=Second",
                     "texture=second", "", "[contact_points]", "") + b"".join(
            b"point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9\r\n" % (i, i)
            for i in range(1400000)) + crlf("", "[General]", "atc_type=CESSNA")
        self.p.reset({"BIG/aircraft.cfg": lines, "/work/r.cfg": crlf("[fltsim.0]", "title=T",
                                                                      "texture=t") + b"\r\nl=1"})
        self.check(["DUMP_ALL_TEXTURE_TITLE", "BIG"], b"FIRST/FIRST\nSECOND/SECOND\n")
        self.check(["READ_GLOBAL_PARAMETER", "BIG", "General", "atc_type"], b"CESSNA\n")
        lines = lines.replace(b"=CESSNA", b"=PIPER") + crlf("", "", "[fltsim.2]", "title=T",
                                                           "texture=t", "l=1")
        self.check(["CHANGE_GLOBAL_PARAMETER", "BIG", "General", "atc_type", "PIPER"], b"NOERROR\n")
        self.check(["INSTALL_VARIANT", "BIG", "C:\\work\\r.cfg"], b"NOERROR-1\n", "BIG/aircraft.cfg",
                   lines)
        lines = lines.replace(crlf("[fltsim.0]", "title=First", "texture=first", "", ""), b"")
        self.check(["REMOVE_VARIANT_BY_TITLE", "BIG", "First", "/REMOVAL_DESTRUCTIVE"], b"NOERROR\n",
                   "BIG/aircraft.cfg", lines.replace(b".1]", b".0]").replace(b".2]", b".1]"))
        # A line of 1 MB, in the file and in the source of an install.
        v = b"v" * (1 << 20)
        long = crlf("[fltsim.0]", "title=L", "texture=l") + b"\r\nd=" + v + crlf(
            "", "", "[fltsim.1]", "title=S", "texture=s", "", "[General]", "k=X", "") + b"// " + v
        self.p.reset({"L/aircraft.cfg": long, "/work/r.cfg": crlf("[fltsim.0]", "title=T", "l=") + v})
        self.check(["READ_VARIANT_PARAMETER_BY_TITLE", "L", "L", "d"], v[:1000])
        self.check(["CHANGE_GLOBAL_PARAMETER", "L", "General", "k", "Y"], b"NOERROR\n")
        self.check(["REMOVE_VARIANT_BY_TITLE", "L", "L"], b"NOERROR\n")
        self.check(["INSTALL_VARIANT", "L", "C:\\work\\r.cfg"], b"NOERROR-1\n", "L/aircraft.cfg", crlf(
            "//[fltsim.0]", "//title=L", "//texture=l") + b"\r\n//d=" + v + crlf(
            "", "//", "[fltsim.0]", "title=S", "texture=s", "", "[General]", "k=Y", "") + b"// " + v
            + crlf("", "", "[fltsim.1]", "title=T", "l=") + v)

    def test_100000_variants(self):
        self.p.reset({"M/aircraft.cfg": b"".join(b"[fltsim.%d]\r\ntitle=Paint %d\r\ntexture=t%d\r\n"
                                                 b"\r\n" % (i, i, i) for i in range(100000)),
                      "/work/r.cfg": crlf("[fltsim.0]", "title=New", "texture=new")})
        self.check(["DUMP_ALL_TITLE", "M"], b"".join(b"PAINT %d\n" % i for i in range(100000)))
        self.check(["VERIFY_TITLE", "M", "paint 99999"], b"NOERROR\n")
        self.check(["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "M", "t99999", "title", "L"], b"NOERROR\n")
        self.check(["INSTALL_VARIANT", "M", "C:\\work\\r.cfg"], b"NOERROR-1\n")
        self.check(["REMOVE_VARIANT_BY_TITLE", "M", "Paint 0", "/REMOVAL_DESTRUCTIVE"], b"NOERROR\n",
                   "M/aircraft.cfg", b"".join(b"[fltsim.%d]\r\ntitle=%s\r\ntexture=t%d\r\n\r\n" % (
                       i - 1, b"L" if i == 99999 else b"Paint %d" % i, i) for i in range(1, 100000))
                   + crlf("[fltsim.99999]", "title=New", "texture=new"))

    def test_a_file_of_2_gib_is_too_large_for_a_patch(self):
        self.p.reset({"/work/small": b"small", "/work/p": b"earlier patch",
                      "/work/big": lambda path: (write(path, b""), os.truncate(path, 1 << 31))})
        for args in (["big", "small", "p"], ["small", "big", "p"]):
            self.check(["BINPATCH_MAKE"] + ["C:\\work\\" + a for a in args], b"ERROR", "/work/p",
                       b"earlier patch")
