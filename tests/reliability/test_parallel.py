"""Parallel runs: commands started at once on one aircraft wait for each other and are carried out
one after the other, none lost or mixed into another. (That a killed run releases the lock, the
fault sweep shows: every kill is followed by a run that must succeed.)"""

import os
import re
import subprocess
import unittest

from scenarios import Prefix, crlf, read, scratch, split, working_files, write

# Large enough that each run spends a while between its read and its write.
BIG = crlf(*[line for i in range(8) for line in ("[fltsim.%d]" % i, "title=Base %d" % i, "sim=C",
                                                  "texture=base%d" % i, "atc_id=N%d" % i, "")],
           "[General]", "atc_type=CESSNA", "", "[contact_points]",
           *["point.%d=1, -%d.00, 0.00, -3.90, 1600, 0, 0.5, 30, 0.2, 2.5, 0.9, 4" % (i, i)
             for i in range(20000)])
COMMANDS = ["INSTALL_VARIANT C172 C:\\R\\r%d.cfg" % i for i in range(15)] + [
    "INSTALL_VARIANT_BY_PATH C:\\FSX\\SimObjects\\Airplanes\\C172 C:\\R\\r15.cfg",
    'REMOVE_VARIANT_BY_TITLE C172 "Base 1" /REMOVAL_DESTRUCTIVE',
    "REMOVE_VARIANT_BY_TEXTURE C172 base2 /REMOVAL_DESTRUCTIVE",
    'REMOVE_VARIANT_BY_TITLE C172 "Base 7"',
    'CHANGE_VARIANT_PARAMETER_BY_TITLE C172 "Base 4" atc_id X4',
    "CHANGE_VARIANT_PARAMETER_BY_TEXTURE C172 base6 atc_id X6",
    "CHANGE_GLOBAL_PARAMETER C172 General atc_type PIPER", "SANITIZE_VARIANTS C172"]


REPAINTS = {"/R/r%d.cfg" % i: crlf("[fltsim.0]", "title=Repaint %d" % i, "sim=C",
                                    "texture=paint%d" % i, final_line_end=True) for i in range(16)}


class ParallelTest(unittest.TestCase):
    def test_installs_removals_and_changes_at_once(self):
        with scratch() as folder:
            p = Prefix(os.path.join(folder, "p"), dict({"C172/aircraft.cfg": BIG}, **REPAINTS))
            for _ in range(3):
                write(p.path("C172/aircraft.cfg"), BIG)
                runs = [subprocess.Popen([os.environ["FUSELOX_BIN"]] + split(command_line),
                                         cwd=p.root, stdout=subprocess.PIPE,
                                         env=dict(os.environ, WINEPREFIX=p.root))
                        for command_line in COMMANDS]
                outs = [r.communicate(timeout=300)[0] for r in runs]
                self.assertEqual([1] * len(runs), [r.returncode for r in runs], outs)
                self.check(read(p.path("C172/aircraft.cfg")), working_files(p.root))

    def check(self, data, left):
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
        self.assertEqual((False, []), (data.endswith(b"\n"), left))
