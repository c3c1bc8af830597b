"""Limits: a 2 GiB input is too large for a patch, and the earlier patch stays. (Over-long
arguments and paths, a 1 MB line, 100,000 variants and patches claiming sizes near 2^31 are
end-to-end cases.)"""

import os
import unittest

from scenarios import Prefix, read, scratch


class LimitTest(unittest.TestCase):
    def test_a_file_of_2_gib_is_too_large_for_a_patch(self):
        with scratch() as folder:
            p = Prefix(os.path.join(folder, "p"), {"/work/small": b"s", "/work/p": b"patch",
                                                   "/work/big": b""})
            os.truncate(p.path("/work/big"), 1 << 31)  # sparse: nothing is written
            for args in (("big", "small", "p"), ("small", "big", "p")):
                out, rc, _ = p.run("BINPATCH_MAKE", *args)
                self.assertEqual((True, 0, b"patch"), (out.startswith(b"ERROR"), rc,
                                                       read(p.path("/work/p"))))
            self.assertEqual([], [n for n in os.listdir(p.path("/work")) if n.endswith(".temp")])
