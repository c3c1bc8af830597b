"""Parallel runs: commands started at once on one aircraft are carried out one after the other
(none lost or mixed into another); a run on another aircraft does not wait; a killed run
releases the lock."""

import fcntl
import os
import re
import shutil
import subprocess
import unittest

from scenarios import Prefix, crlf, read, scratch, strace, working_files, write

# Large enough that each run spends a while between its read and its write.
BIG = crlf(*[line for i in range(8) for line in ("[fltsim.%d]" % i, "title=Base %d" % i, "sim=C",
                                                  "texture=base%d" % i, "atc_id=N%d" % i, "")],
           "[General]", "atc_type=CESSNA", "", "[contact_points]",
           *["point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9, 4" % (i, i)
             for i in range(20000)])
CFG = "C172/aircraft.cfg"


def start(root, args):
    return subprocess.Popen([os.environ["FUSELOX_BIN"]] + args, cwd=root, stdout=subprocess.PIPE,
                            env=dict(os.environ, WINEPREFIX=root))


class ParallelTest(unittest.TestCase):
    def setUp(self):
        self.scratch = scratch()
        self.p = Prefix(os.path.join(self.scratch.name, "p"), dict({CFG: BIG}, **{
            "/R/r%d.cfg" % i: crlf("[fltsim.0]", "title=Repaint %d" % i, "sim=C",
                                   "texture=paint%d" % i, final_line_end=True) for i in range(16)}))
        self.cfg = self.p.path(CFG)

    def tearDown(self):
        self.scratch.cleanup()

    def test_installs_removals_and_changes_at_once(self):
        commands = [["INSTALL_VARIANT", "C172", "C:\\R\\r%d.cfg" % i] for i in range(15)] + [
            ["INSTALL_VARIANT_BY_PATH", "C:\\FSX\\SimObjects\\Airplanes\\C172", "C:\\R\\r15.cfg"],
            ["REMOVE_VARIANT_BY_TITLE", "C172", "Base 1", "/REMOVAL_DESTRUCTIVE"],
            ["REMOVE_VARIANT_BY_TEXTURE", "C172", "base2", "/REMOVAL_DESTRUCTIVE"],
            ["REMOVE_VARIANT_BY_TITLE", "C172", "Base 7"],
            ["CHANGE_VARIANT_PARAMETER_BY_TITLE", "C172", "Base 4", "atc_id", "X4"],
            ["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "base6", "atc_id", "X6"],
            ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "PIPER"],
            ["SANITIZE_VARIANTS", "C172"]]
        for _ in range(3):
            write(self.cfg, BIG)
            runs = [start(self.p.root, args) for args in commands]
            outs = [r.communicate(timeout=300)[0] for r in runs]
            self.assertEqual([1] * len(runs), [r.returncode for r in runs], outs)
            data = read(self.cfg)
            numbers = [int(n) for n in re.findall(rb"^\s*\[fltsim\.(\d+)\]", data, re.I | re.M)]
            # Numbered from 0: 8 base variants, 2 dropped, 1 commented out, 16 installed.
            self.assertEqual(list(range(8 - 3 + 16)), numbers)
            for i in range(16):
                self.assertEqual(1, data.count(b"]\r\ntitle=Repaint %d\r\nsim=C\r\ntexture=paint%d"
                                               % (i, i)))
            for part in (b"=Base 4\r\nsim=C\r\ntexture=base4\r\natc_id=X4\r\n", b"//title=Base 7",
                         b"=Base 6\r\nsim=C\r\ntexture=base6\r\natc_id=X6\r\n",
                         b"[General]\r\natc_type=PIPER\r\n", BIG[BIG.index(b"[contact_points]"):]):
                self.assertIn(part, data)
            self.assertTrue(b"Base 1" not in data and b"base2" not in data and b"\r\r" not in data)
            self.assertEqual((False, []), (data.endswith(b"\n"), working_files(self.p.root)))

    def test_another_aircraft_does_not_wait_and_a_killed_run_releases_the_lock(self):
        write(self.p.path("PA28/aircraft.cfg"), crlf("[fltsim.0]", "title=Piper", "texture=p"))
        fd = os.open(os.path.dirname(self.cfg), os.O_RDONLY | os.O_DIRECTORY)
        fcntl.flock(fd, fcntl.LOCK_EX)  # as a slow run on C172 would
        change = ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type"]
        blocked = start(self.p.root, change + ["PIPER"])
        try:
            self.assertEqual((b"NOERROR\n", 1), self.p.run(
                "CHANGE_VARIANT_PARAMETER_BY_TITLE", "PA28", "Piper", "atc_id", "N28",
                "/ADD_MISSING_PARAMETER", timeout=60)[:2])
            self.assertEqual((None, True), (blocked.poll(), BIG == read(self.cfg)))
        finally:
            os.close(fd)
        self.assertEqual((b"NOERROR\n", 1), (blocked.communicate(300)[0], blocked.returncode))
        self.assertIn(b"atc_type=PIPER", read(self.cfg))
        if shutil.which("strace"):  # killed with the lock held, before the file is put in place
            self.assertNotIn(self.p.run(*change, "MOONEY", **strace(
                "-e", "inject=rename:signal=SIGKILL"))[1], (0, 1))
            self.assertEqual((b"NOERROR\n", 1), self.p.run(*change, "X", timeout=60)[:2])
            self.assertEqual([], working_files(self.p.root))
