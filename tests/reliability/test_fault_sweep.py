"""Crash and full-disk safety of every editing command, by fault injection.

Each command is run once unharmed to learn its new version of the file it
edits. Then, for every system call it makes that can change a file (and the
opens and closes around them), in turn:

- kill: strace kills the program on entry to that call. The file must be
  byte for byte the old or the new version, and a new run of the command on
  the old file, with whatever the killed run left beside it, must give
  exactly the unharmed result.
- error: strace makes that call fail (ENOSPC, EIO). The command must either
  succeed exactly as unharmed (the whole new file in place) or print its
  error line, exit 0 and leave the old file; and no working file may
  remain. Where a failed write of the working file still ended in success
  (the stream wrote its buffer again and every byte arrived), it is counted.

The figures (kill and error points per command) are printed at the end.
"""

import itertools
import os
import re
import unittest
from concurrent.futures import ThreadPoolExecutor

import common
from common import ScratchDir, clone, read, run, trace, working_files, write
from scenarios import SCENARIOS

KILL_CALLS = ["openat", "write", "close", "fsync", "fdatasync", "rename", "renameat",
              "renameat2", "unlink", "unlinkat", "ftruncate", "mkdir", "rmdir", "chmod",
              "fchmod", "flock"]
ERROR_INJECTIONS = [("write", "ENOSPC"), ("write", "EIO"), ("fsync", "EIO"), ("close", "EIO"),
                    ("rename", "EIO"), ("openat", "ENOSPC"), ("unlink", "EIO"),
                    ("mkdir", "ENOSPC")]
FIGURES = []


def on_working_file(call, arguments):
    """True for a write, sync or close of a working file, or the rename that
    puts one in place."""
    if call == "rename":
        return True
    fd = arguments.split(",", 1)[0].rstrip(")")
    return call in ("write", "fsync", "close") and fd.endswith(".temp>")


def sanitizer_pipe(arguments):
    """A pipe other than standard output and error: a sanitizer build's
    runtime makes some for its own checks; they are not the program's."""
    return re.match(r"\d+<pipe:", arguments) is not None and not arguments.startswith(("1<", "2<"))


class Sweep:
    def __init__(self, test, scenario, scratch):
        self.test = test
        self.s = scenario
        self.scratch = scratch
        self.failures = []
        self.recovered = []
        self.runs = itertools.count(1)
        self.template = os.path.join(scratch, "template")
        self.s.build(common.new_prefix(scratch, "template"))
        self.old = {path: read(os.path.join(self.template, path)) for path in self.s.watched}
        root = self.fresh()
        self.out, self.rc, err = run(root, self.s.args)
        test.assertEqual(1, self.rc, "unharmed run failed: %r %r" % (self.out, err))
        self.new = {path: read(os.path.join(root, path)) for path in self.s.watched}
        test.assertNotEqual(self.old, self.new, "the command changed nothing")
        test.assertEqual([], working_files(root))
        self.discard(root)
        self.calls = self.points()

    def fresh(self):
        root = os.path.join(self.scratch, "run%d" % next(self.runs))
        clone(self.template, root)
        return root

    def discard(self, root):
        common.harness.remove_tree(root)

    def points(self):
        """(call, its ordinal among calls of that name, its first argument)
        for every call after the program has started its own work."""
        root = self.fresh()
        calls = trace(root, self.s.args, KILL_CALLS)
        self.discard(root)
        started = False
        counts = {}
        points = []
        for name, argument in calls:
            counts[name] = counts.get(name, 0) + 1
            # The loader's opens come first; the program's own work starts
            # with its first open of a file in the prefix.
            started = started or (name == "openat" and '"' + self.scratch in argument)
            if started and not sanitizer_pipe(argument):
                points.append((name, counts[name], argument))
        return points

    def state(self, root):
        return {path: (read(os.path.join(root, path))
                       if os.path.exists(os.path.join(root, path)) else None)
                for path in self.s.watched}

    def fail(self, what):
        self.failures.append(what)

    def check_invariant(self, root, label):
        if self.s.invariant:
            problem = self.s.invariant(root)
            if problem:
                self.fail("%s: %s" % (label, problem))

    def kill_at(self, call, n):
        root = self.fresh()
        label = "kill at %s #%d" % (call, n)
        _, rc, _ = run(root, self.s.args, ["-e", "trace=" + call,
                                           "-e", "inject=%s:signal=SIGKILL:when=%d" % (call, n)])
        # A sanitizer runtime makes a varying number of calls of its own, so
        # there a point may fall after the end of the run.
        if rc in (0, 1) and not common.sanitizer_build():
            self.fail("%s: the run was not killed there" % label)
        state = self.state(root)
        if state not in (self.old, self.new):
            self.fail("%s: the file is neither the old nor the new version" % label)
        self.check_invariant(root, label)
        # What the killed run left must not change or stop the next run.
        for path, data in self.old.items():
            write(os.path.join(root, path), data)
        out, rc, err = run(root, self.s.args)
        if (out, rc) != (self.out, self.rc) or self.state(root) != self.new:
            self.fail("%s: the next run gave %r %d %r" % (label, out, rc, err[-300:]))
        self.discard(root)
        return state == self.new

    def error_at(self, call, n, errno, argument):
        root = self.fresh()
        label = "%s on %s #%d (%s)" % (errno, call, n, argument[:120])
        out, rc, err = run(root, self.s.args, ["-e", "trace=" + call, "-e",
                                               "inject=%s:error=%s:when=%d" % (call, errno, n)])
        state = self.state(root)
        to_stdout = call == "write" and argument.startswith("1<")
        if rc == 1 and (out == self.out or to_stdout) and state == self.new:
            # Buffered output may be written again by the next flush; the
            # file then holds every byte, and success is the truth.
            if on_working_file(call, argument):
                self.recovered.append(label)
        elif rc == 0 and state == self.old:
            expected = b"ERROR\n"
            if not (out == expected or (self.s.args[0].startswith("BINPATCH") and
                                        out.startswith(b"ERROR") and out.endswith(b"\n"))):
                self.fail("%s: printed %r" % (label, out))
        else:
            self.fail("%s: gave %r %d, the file %s" % (
                label, out, rc, "old" if state == self.old else
                "new" if state == self.new else "mixed"))
        if working_files(root):
            self.fail("%s: left %r" % (label, working_files(root)))
        self.check_invariant(root, label)
        self.discard(root)


def sweep_test(scenario):
    def test(self):
        with ScratchDir() as scratch:
            sweep = Sweep(self, scenario, scratch)
            kills = [(call, n) for call, n, _ in sweep.calls]
            errors = [(call, n, errno, argument) for call, errno in ERROR_INJECTIONS
                      for name, n, argument in sweep.calls if name == call]
            # Every point runs in its own copy of the prefix, so they can run side by side.
            with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
                landed = sum(pool.map(lambda point: sweep.kill_at(*point), kills))
                list(pool.map(lambda point: sweep.error_at(*point), errors))
            FIGURES.append((scenario.name, len(kills), landed, len(errors), len(sweep.recovered)))
            self.assertGreater(landed, 0, "no kill point fell after the commit")
            self.assertLess(landed, len(kills), "no kill point fell before the commit")
            self.assertEqual([], sweep.failures[:20], "%d failures" % len(sweep.failures))
    return test


@unittest.skipUnless(common.have_strace(), "strace is not installed")
class FaultSweepTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def tearDownClass(cls):
        print("\nfault sweep: command, kill points (of which after the commit), error points "
              "(of which on the working file yet successful)")
        for name, kills, landed, errors, recovered in FIGURES:
            print("  %-30s %4d kill (%3d) %4d error (%d)" % (name, kills, landed, errors,
                                                             recovered))
        print("  total: %d kill points, %d error points" % (
            sum(f[1] for f in FIGURES), sum(f[3] for f in FIGURES)))


for _scenario in SCENARIOS:
    setattr(FaultSweepTest, "test_" + _scenario.name, sweep_test(_scenario))

if __name__ == "__main__":
    unittest.main()
