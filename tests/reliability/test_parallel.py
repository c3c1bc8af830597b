"""Parallel runs: commands started at once on one aircraft are carried out
one after the other (none is lost or mixed into another), and a run on one
aircraft does not wait for a run on another."""

import fcntl
import os
import re
import subprocess
import unittest

import common
from common import ScratchDir, crlf, program, read, working_files, write

ROUNDS = 3
HEADER = re.compile(rb"^\s*\[fltsim\.(-?\d+)\]", re.IGNORECASE | re.MULTILINE)

# Large enough that each run spends a while between its read and its write.
BIG_CFG = crlf(
    *[line for i in range(8) for line in
      ("[fltsim.%d]" % i, "title=Base %d" % i, "sim=C172", "texture=base%d" % i,
       "atc_id=N%d" % i, "")],
    "[General]", "atc_type=CESSNA", "",
    "[contact_points]",
    *["point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9, 4, 4, 0, 0" % (i, i)
      for i in range(20000)])


def repaint(i):
    return crlf("[fltsim.0]", "title=Repaint %d" % i, "sim=C172", "texture=paint%d" % i,
                "atc_id=R%d" % i, final_line_end=True)


def variant_lines(data):
    """The variant part of a file, for failure messages."""
    return data[:data.find(b"[General]")].decode("latin-1")[:2000]


def start(root, args):
    return subprocess.Popen([program()] + args, cwd=root, env=common.env_for(root),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def finish(process, timeout=300):
    out, err = process.communicate(timeout=timeout)
    return out, process.returncode, err


class ParallelTest(unittest.TestCase):
    def setUp(self):
        self.scratch_dir = ScratchDir()
        self.scratch = self.scratch_dir.__enter__()
        self.p = common.new_prefix(self.scratch)
        self.folder = self.p.aircraft("C172", BIG_CFG)
        self.cfg = os.path.join(self.folder, "aircraft.cfg")
        for i in range(16):
            write(os.path.join(self.p.drive_c, "Repaints", "r%d.cfg" % i), repaint(i))

    def tearDown(self):
        self.scratch_dir.__exit__(None, None, None)

    def assertWellNumbered(self, data):
        numbers = [int(n) for n in HEADER.findall(data)]
        self.assertEqual(list(range(len(numbers))), numbers)
        self.assertFalse(data.endswith(b"\n"))
        self.assertNotIn(b"\r\r", data)
        self.assertEqual([], working_files(self.p.root))

    def assertBlock(self, data, title, texture, count=1):
        block = re.compile(rb"\[fltsim\.\d+\]\r\ntitle=%s\r\nsim=C172\r\ntexture=%s\r\n" % (
            re.escape(title.encode()), re.escape(texture.encode())))
        self.assertEqual(count, len(block.findall(data)), title)

    def assertHolds(self, part, data, present=True):
        """A short failure message: the files are megabytes long."""
        self.assertEqual(present, part in data, "%r %s in aircraft.cfg (%s)" % (
            part, "not" if present else "still", variant_lines(data)))

    def test_sixteen_installs_at_once_all_land_once(self):
        for round_ in range(ROUNDS):
            write(self.cfg, BIG_CFG)
            runs = [start(self.p.root, ["INSTALL_VARIANT", "C172", "C:\\Repaints\\r%d.cfg" % i])
                    for i in range(16)]
            results = [finish(r) for r in runs]
            self.assertEqual([(b"NOERROR-1\n", 1)] * 16, [(out, rc) for out, rc, _ in results])
            data = read(self.cfg)
            self.assertWellNumbered(data)
            self.assertEqual(8 + 16, len(HEADER.findall(data)))
            for i in range(16):
                self.assertBlock(data, "Repaint %d" % i, "paint%d" % i)
            # Nothing of the original file is lost.
            self.assertHolds(BIG_CFG[BIG_CFG.index(b"[General]"):], data)

    def test_installs_removals_and_changes_at_once(self):
        for round_ in range(ROUNDS):
            write(self.cfg, BIG_CFG)
            commands = [["INSTALL_VARIANT", "C172", "C:\\Repaints\\r%d.cfg" % i] for i in range(5)]
            commands += [["INSTALL_VARIANT_BY_PATH", "C:\\FSX\\SimObjects\\Airplanes\\C172",
                          "C:\\Repaints\\r%d.cfg" % i] for i in range(5, 7)]
            commands += [["REMOVE_VARIANT_BY_TITLE", "C172", "Base 1", "/REMOVAL_DESTRUCTIVE"],
                         ["REMOVE_VARIANT_BY_TEXTURE", "C172", "base2", "/REMOVAL_DESTRUCTIVE"],
                         ["REMOVE_VARIANT_BY_TITLE", "C172", "Base 7"]]
            commands += [["CHANGE_VARIANT_PARAMETER_BY_TITLE", "C172", "Base %d" % i, "atc_id",
                          "X%d" % i] for i in (4, 5)]
            commands += [["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "base6", "atc_id", "X6"],
                         ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "PIPER"],
                         ["SANITIZE_VARIANTS", "C172"]]
            runs = [start(self.p.root, args) for args in commands]
            results = [(args[0], finish(r)[:2]) for args, r in zip(commands, runs)]
            for name, (out, rc) in results:
                self.assertEqual(1, rc, (name, out))
            data = read(self.cfg)
            self.assertWellNumbered(data)
            for i in range(7):
                self.assertBlock(data, "Repaint %d" % i, "paint%d" % i)
            self.assertHolds(b"Base 1", data, present=False)
            self.assertHolds(b"base2", data, present=False)
            self.assertHolds(b"//title=Base 7", data)
            for i in (4, 5, 6):
                self.assertHolds(b"title=Base %d\r\nsim=C172\r\ntexture=base%d\r\natc_id=X%d\r\n" % (
                    i, i, i), data)
            self.assertHolds(b"[General]\r\natc_type=PIPER\r\n", data)
            # 8 base variants, 2 removed by dropping, 1 commented out, 7 installed.
            self.assertEqual(8 - 3 + 7, len(HEADER.findall(data)))

    def test_another_aircraft_does_not_wait(self):
        other = self.p.aircraft("PA28", crlf("[fltsim.0]", "title=Piper", "texture=p"))
        # Hold the lock a run on C172 takes, as a slow run would.
        fd = os.open(self.folder, os.O_RDONLY | os.O_DIRECTORY)
        try:
            fcntl.flock(fd, fcntl.LOCK_EX)
            blocked = start(self.p.root, ["CHANGE_GLOBAL_PARAMETER", "C172", "General",
                                          "atc_type", "PIPER"])
            out, rc, _ = finish(start(self.p.root, ["CHANGE_VARIANT_PARAMETER_BY_TITLE", "PA28",
                                                    "Piper", "atc_id", "N28",
                                                    "/ADD_MISSING_PARAMETER"]), timeout=60)
            self.assertEqual((b"NOERROR\n", 1), (out, rc))
            self.assertIn(b"atc_id=N28", read(os.path.join(other, "aircraft.cfg")))
            # The run on the locked aircraft waits; it has not touched the file.
            self.assertIsNone(blocked.poll())
            self.assertTrue(BIG_CFG == read(self.cfg))
        finally:
            os.close(fd)
        self.assertEqual((b"NOERROR\n", 1), finish(blocked)[:2])
        self.assertHolds(b"[General]\r\natc_type=PIPER\r\n", read(self.cfg))

    def test_a_killed_run_releases_the_lock(self):
        if not common.have_strace():
            self.skipTest("strace is not installed")
        # Killed while it holds the lock, just before it puts the file in place.
        out, rc, _ = common.run(self.p.root, ["CHANGE_GLOBAL_PARAMETER", "C172", "General",
                                              "atc_type", "MOONEY"],
                                ["-e", "trace=rename", "-e", "inject=rename:signal=SIGKILL"])
        self.assertNotIn(rc, (0, 1))
        self.assertTrue(BIG_CFG == read(self.cfg))
        out, rc, _ = common.run(self.p.root, ["CHANGE_GLOBAL_PARAMETER", "C172", "General",
                                              "atc_type", "PIPER"], timeout=60)
        self.assertEqual((b"NOERROR\n", 1), (out, rc))
        self.assertEqual([], working_files(self.p.root))
