"""Parallel runs: commands started at once on one aircraft are carried out one after the other
(none lost or mixed into another); a run on another aircraft does not wait; a killed run
releases the lock."""

import fcntl
import os
import re
import shutil
import subprocess
import unittest

from scenarios import Prefix, crlf, read, run, scratch, working_files, write

# Large enough that each run spends a while between its read and its write.
BIG = crlf(*[line for i in range(8) for line in ("[fltsim.%d]" % i, "title=Base %d" % i, "sim=C",
                                                  "texture=base%d" % i, "atc_id=N%d" % i, "")],
           "[General]", "atc_type=CESSNA", "", "[contact_points]",
           *["point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9, 4" % (i, i)
             for i in range(20000)])
TAIL = BIG[BIG.index(b"[contact_points]"):]
CFG, INSTALL = "C172/aircraft.cfg", ["INSTALL_VARIANT", "C172", "C:\\R\\r%d.cfg"]


def block(title, texture, more=b""):
    return b"]\r\ntitle=%s\r\nsim=C\r\ntexture=%s%s" % (title, texture, more)


class ParallelTest(unittest.TestCase):
    def setUp(self):
        self.scratch = scratch()
        self.p = Prefix(os.path.join(self.scratch.name, "p"), dict({CFG: BIG}, **{
            "/R/r%d.cfg" % i: crlf("[fltsim.0]", "title=Repaint %d" % i, "sim=C",
                                   "texture=paint%d" % i, final_line_end=True) for i in range(16)}))
        self.cfg = self.p.path(CFG)

    def tearDown(self):
        self.scratch.cleanup()

    def at_once(self, commands):
        """Three rounds of the commands started at once: each succeeds, the headers are numbered
        from 0, the untouched part is kept and no line end follows the last line."""
        for _ in range(3):
            write(self.cfg, BIG)
            runs = [subprocess.Popen([os.environ["FUSELOX_BIN"]] + c, cwd=self.p.root, env=dict(
                os.environ, WINEPREFIX=self.p.root), stdout=subprocess.PIPE) for c in commands]
            outs = [r.communicate(timeout=300)[0] for r in runs]
            self.assertEqual([1] * len(runs), [r.returncode for r in runs], outs)
            data = read(self.cfg)
            numbers = [int(n) for n in re.findall(rb"^\s*\[fltsim\.(\d+)\]", data, re.I | re.M)]
            self.assertEqual(list(range(len(numbers))), numbers)
            self.assertTrue(TAIL in data and not data.endswith(b"\n") and b"\r\r" not in data)
            self.assertEqual([], working_files(self.p.root))
        return data, len(numbers)

    def test_sixteen_installs_at_once_all_land_once(self):
        data, variants = self.at_once([INSTALL[:2] + [INSTALL[2] % i] for i in range(16)])
        self.assertEqual(8 + 16, variants)
        for i in range(16):
            self.assertEqual(1, data.count(block(b"Repaint %d" % i, b"paint%d" % i)))

    def test_installs_removals_and_changes_at_once(self):
        data, variants = self.at_once(
            [INSTALL[:2] + [INSTALL[2] % i] for i in range(5)] + [
                ["INSTALL_VARIANT_BY_PATH", "C:\\FSX\\SimObjects\\Airplanes\\C172", "C:\\R\\r5.cfg"],
                ["REMOVE_VARIANT_BY_TITLE", "C172", "Base 1", "/REMOVAL_DESTRUCTIVE"],
                ["REMOVE_VARIANT_BY_TEXTURE", "C172", "base2", "/REMOVAL_DESTRUCTIVE"],
                ["REMOVE_VARIANT_BY_TITLE", "C172", "Base 7"],
                ["CHANGE_VARIANT_PARAMETER_BY_TITLE", "C172", "Base 4", "atc_id", "X4"],
                ["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "base6", "atc_id", "X6"],
                ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "PIPER"],
                ["SANITIZE_VARIANTS", "C172"]])
        self.assertEqual(8 - 3 + 6, variants)  # 2 dropped, 1 commented out, 6 installed
        for i in range(6):
            self.assertEqual(1, data.count(block(b"Repaint %d" % i, b"paint%d" % i)))
        for part in (block(b"Base 4", b"base4", b"\r\natc_id=X4\r\n"), b"//title=Base 7",
                     block(b"Base 6", b"base6", b"\r\natc_id=X6\r\n"), b"[General]\r\natc_type=PIPER"):
            self.assertIn(part, data)
        self.assertTrue(b"Base 1" not in data and b"base2" not in data)

    def test_another_aircraft_does_not_wait_and_a_killed_run_releases_the_lock(self):
        write(self.p.path("PA28/aircraft.cfg"), crlf("[fltsim.0]", "title=Piper", "texture=p"))
        fd = os.open(os.path.dirname(self.cfg), os.O_RDONLY | os.O_DIRECTORY)
        fcntl.flock(fd, fcntl.LOCK_EX)  # as a slow run on C172 would
        change = ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type"]
        blocked = subprocess.Popen([os.environ["FUSELOX_BIN"]] + change + ["PIPER"], env=dict(
            os.environ, WINEPREFIX=self.p.root), stdout=subprocess.PIPE)
        try:
            self.assertEqual((b"NOERROR\n", 1), run(self.p.root, [
                "CHANGE_VARIANT_PARAMETER_BY_TITLE", "PA28", "Piper", "atc_id", "N28",
                "/ADD_MISSING_PARAMETER"], timeout=60)[:2])
            self.assertEqual((None, True), (blocked.poll(), BIG == read(self.cfg)))
        finally:
            os.close(fd)
        self.assertEqual((b"NOERROR\n", 1), (blocked.communicate(timeout=300)[0], blocked.returncode))
        self.assertIn(b"atc_type=PIPER", read(self.cfg))
        if shutil.which("strace"):  # killed with the lock held, before the file is put in place
            self.assertNotIn(run(self.p.root, change + ["MOONEY"], [
                "-e", "inject=rename:signal=SIGKILL"])[1], (0, 1))
            self.assertEqual((b"NOERROR\n", 1), run(self.p.root, change + ["X"], timeout=60)[:2])
            self.assertEqual([], working_files(self.p.root))
