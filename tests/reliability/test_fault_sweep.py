"""Crash and full-disk safety of every editing command: at every system call it makes that can
change a file, strace kills it (the files must then be wholly old or new, and a new run on the old
files, with what the killed run left, must give the unharmed result), or makes the call fail
(ENOSPC, EIO: the command succeeds as unharmed, or prints its error line, exits 0 and leaves the
old files). No working file may remain."""

import os
import re
import shutil
import tempfile
import unittest
from concurrent.futures import ThreadPoolExecutor
from itertools import count

from scenarios import CFG, SCENARIOS, prefix, read, scratch, split, strace, working_files, write

KILL_CALLS = ["openat", "write", "close", "fsync", "fdatasync", "rename", "renameat", "renameat2",
              "unlink", "unlinkat", "ftruncate", "mkdir", "rmdir", "chmod", "fchmod", "flock"]
ERRORS = [("write", "ENOSPC"), ("write", "EIO"), ("fsync", "EIO"), ("close", "EIO"),
          ("rename", "EIO"), ("openat", "ENOSPC"), ("unlink", "EIO"), ("mkdir", "ENOSPC")]
# A sanitizer runtime makes calls of its own, a varying number: a kill may land after the end.
SANITIZER = b"__asan_init" in read(os.environ["FUSELOX_BIN"])


class Sweep:
    """One command's runs: unharmed, traced, and with a fault at each of its points."""

    def __init__(self, test, folder, args, watched=(CFG,), invariant=lambda p: None):
        self.folder, self.args, self.watched = folder, split(args), watched
        self.invariant, self.failures, self.runs = invariant, [], count()
        self.template = prefix(os.path.join(folder, "template"))
        self.old, p = self.state(self.template), self.fresh()
        self.out, rc, err = p.run(*self.args)
        self.new = self.state(p)
        test.assertEqual((1, [], True), (rc, working_files(p.root), self.new != self.old), err)
        with tempfile.NamedTemporaryFile("r", errors="replace") as log:
            self.fresh().run(*self.args, **strace("-y", "-s", "0", "-o", log.name, "-e",
                                                  "trace=" + ",".join(KILL_CALLS)))
            calls = re.findall(r"^\d+ +(\w+)\((.*)$", log.read(), re.M)
        # The points: (call, its ordinal among calls of that name, its first argument) from the
        # program's first open of a file in the prefix on, the loader's calls coming first. A
        # sanitizer build's own pipes are not the program's.
        counts, self.points = {}, []
        for name, argument in calls:
            counts[name] = counts.get(name, 0) + 1
            if (self.points or name == "openat" and '"' + folder in argument) and not re.match(
                    r"([03-9]|\d\d+)<pipe:", argument):
                self.points.append((name, counts[name], argument))

    def fresh(self):
        return self.template.clone(os.path.join(self.folder, "run%d" % next(self.runs)))

    def state(self, p):
        return {k: read(p.path(k)) if os.path.exists(p.path(k)) else None for k in self.watched}

    def inject(self, call, n, argument, fault):
        """A run with `fault` (a kill or an error) at the n-th `call`; True when the files were
        new after it."""
        p = self.fresh()
        out, rc, _ = p.run(*self.args, **strace("-e", "trace=" + call, "-e",
                                                "inject=%s:%s:when=%d" % (call, fault, n)))
        state, problems = self.state(p), [self.invariant(p)]
        if fault == "signal=SIGKILL":
            problems += [rc in (0, 1) and not SANITIZER and "the run was not killed there",
                         state not in (self.old, self.new) and "the files are neither old nor new"]
            for key, data in self.old.items():
                write(p.path(key), data)
            out, rc, err = p.run(*self.args)
            if (out, rc, self.state(p)) != (self.out, 1, self.new):
                problems.append("the next run gave %r %d %r" % (out, rc, err[-300:]))
        # Buffered output may be written again by the next flush: success is then the truth.
        elif not (rc == 1 and state == self.new and (out == self.out or argument[:2] == "1<") or
                  rc == 0 and state == self.old and re.match(br"ERROR1?\n\Z", out)):
            problems.append("gave %r %d, the files %s" % (out, rc, "old" if state == self.old else
                                                          "new" if state == self.new else "mixed"))
        self.failures += ["%s #%d %s (%s): %s" % (call, n, fault, argument[:100], problem)
                          for problem in problems + [working_files(p.root)] if problem]
        shutil.rmtree(p.root)
        return state == self.new


@unittest.skipUnless(shutil.which("strace"), "strace is not installed")
class FaultSweepTest(unittest.TestCase):
    def sweep(self, args, *rest):
        with scratch() as folder:
            s = Sweep(self, folder, args, *rest)
            # Every point runs in its own copy of the prefix, so they can run side by side.
            with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
                landed = sum(pool.map(lambda p: s.inject(*p, "signal=SIGKILL"), s.points))
                list(pool.map(lambda p: s.inject(*p), [(c, n, a, "error=" + e) for call, e in ERRORS
                                                       for c, n, a in s.points if c == call]))
            self.assertTrue(0 < landed < len(s.points), "every kill fell on one side of the commit")
            self.assertEqual([], s.failures[:20], "%d failures" % len(s.failures))


for _i, _s in enumerate(s if isinstance(s, tuple) else (s,) for s in SCENARIOS):
    setattr(FaultSweepTest, "test_%02d_%s" % (_i, _s[0].split()[0].lower()),
            lambda t, s=_s: t.sweep(*s))
