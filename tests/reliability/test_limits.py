"""Limits: a 1 MB line in aircraft.cfg and in a source, 100,000 variants (400,000 lines), a 2 GiB
patch input. Each gives the right answer or its error line and leaves the files alone.
(Over-long arguments and paths, and patches claiming sizes near 2^31, are end-to-end cases.)"""

import os
import unittest

from scenarios import Prefix, crlf, read, scratch, split, working_files, write

OK = b"NOERROR\n"


class LimitTest(unittest.TestCase):
    def setUp(self):
        self.scratch = scratch()
        self.p = Prefix(os.path.join(self.scratch.name, "p"))

    def tearDown(self):
        self.assertEqual([], working_files(self.p.root))
        self.scratch.cleanup()

    def check(self, command_line, out, key=None, after=None):
        """The run prints `out` (its start, when long); the file `key` then holds `after`."""
        result = self.p.run(*split(command_line))
        self.assertEqual((out, int(not out.startswith(b"ERROR"))),
                         (result[0][:len(out) or None], result[1]), result[2][-2000:])
        if key:  # compared where they differ, not printed whole
            data = read(self.p.path(key))
            at = next((i for i, (a, b) in enumerate(zip(after, data)) if a != b), len(data))
            self.assertEqual((len(after), after[at:at + 60]), (len(data), data[at:at + 60]), at)

    def test_a_line_of_1_mb(self):
        new = crlf("[fltsim.0]", "title=T", "texture=t", "l=")
        v = b"v" * (1 << 20)
        long = crlf("[fltsim.0]", "title=L", "texture=l") + b"\r\nd=" + v + crlf(
            "", "", "[fltsim.1]", "title=S", "texture=s", "", "[General]", "k=X", "") + b"// " + v
        self.p.reset({"L/aircraft.cfg": long, "/work/r.cfg": new + v})
        self.check("READ_VARIANT_PARAMETER_BY_TITLE L L d", v[:1000])
        self.check("CHANGE_GLOBAL_PARAMETER L General k Y", OK)
        self.check("REMOVE_VARIANT_BY_TITLE L L", OK)
        self.check("INSTALL_VARIANT L C:\\work\\r.cfg", b"NOERROR-1\n", "L/aircraft.cfg", crlf(
            "//[fltsim.0]", "//title=L", "//texture=l") + b"\r\n//d=" + v + crlf(
            "", "//", "[fltsim.0]", "title=S", "texture=s", "", "[General]", "k=Y", "") + b"// " + v
            + crlf("", "", "[fltsim.1]") + new[10:] + v)

    def test_100000_variants(self):
        self.p.reset({"M/aircraft.cfg": b"".join(b"[fltsim.%d]\r\ntitle=Paint %d\r\ntexture=t%d\r\n"
                                                 b"\r\n" % (i, i, i) for i in range(100000)),
                      "/work/r.cfg": crlf("[fltsim.0]", "title=New", "texture=new")})
        self.check("DUMP_ALL_TITLE M", b"".join(b"PAINT %d\n" % i for i in range(100000)))
        self.check('VERIFY_TITLE M "paint 99999"', OK)
        self.check("CHANGE_VARIANT_PARAMETER_BY_TEXTURE M t99999 title L", OK)
        self.check("INSTALL_VARIANT M C:\\work\\r.cfg", b"NOERROR-1\n")
        self.check('REMOVE_VARIANT_BY_TITLE M "Paint 0" /REMOVAL_DESTRUCTIVE', OK, "M/aircraft.cfg",
                   b"".join(b"[fltsim.%d]\r\ntitle=%s\r\ntexture=t%d\r\n\r\n" % (
                       i - 1, b"L" if i == 99999 else b"Paint %d" % i, i) for i in range(1, 100000))
                   + crlf("[fltsim.99999]", "title=New", "texture=new"))

    def test_a_file_of_2_gib_is_too_large_for_a_patch(self):
        self.p.reset({"/work/small": b"small", "/work/p": b"earlier patch",
                      "/work/big": lambda path: (write(path, b""), os.truncate(path, 1 << 31))})
        for pair in (("big", "small"), ("small", "big")):
            self.check("BINPATCH_MAKE C:\\work\\%s C:\\work\\%s C:\\work\\p" % pair, b"ERROR",
                       "/work/p", b"earlier patch")
