"""Shared pieces of the reliability tests: a pristine prefix per scenario
(built with the end-to-end harness), copies of it per run, and runs of the
program under strace.

The program is FUSELOX_BIN (set by run_all.sh). Only the POSIX build is
exercised here: strace cannot reach into Wine.
"""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import harness  # noqa: E402
from harness import crlf, read, write  # noqa: E402,F401

AIRPLANES = os.path.join("drive_c", "FSX", "SimObjects", "Airplanes")
WORKING_SUFFIXES = (".temp",)


def program():
    return os.environ["FUSELOX_BIN"]


def sanitizer_build():
    """True when the program carries AddressSanitizer's runtime."""
    global _sanitizer_build
    if _sanitizer_build is None:
        with open(program(), "rb") as f:
            _sanitizer_build = b"__asan_init" in f.read()
    return _sanitizer_build


_sanitizer_build = None


def have_strace():
    return shutil.which("strace") is not None


def new_prefix(parent, name="prefix"):
    """A fresh Wine-style prefix under `parent` (harness layout)."""
    return harness.Prefix(os.path.join(parent, name))


def clone(template_root, root):
    """A copy of a prefix; the dosdevices links stay links."""
    shutil.copytree(template_root, root, symlinks=True)


def env_for(root):
    env = dict(os.environ, WINEPREFIX=root)
    env.pop("FUSELOX_VERBOSE", None)
    return env


def without_leak_check(env):
    """The leak check of a sanitizer build cannot run under a tracer."""
    options = env.get("ASAN_OPTIONS", "")
    return dict(env, ASAN_OPTIONS=(options + ":" if options else "") + "detect_leaks=0")


def run(root, args, strace=None, timeout=300):
    """Runs the program on prefix `root` (cwd = root). `strace` is a list of
    strace options; the program then runs under strace -f. Returns
    (stdout, exit code, stderr); a kill gives a negative code or 128+signal."""
    command = [program()] + list(args)
    env = env_for(root)
    if strace is not None:
        command = ["strace", "-f", "-qq", "-o", os.devnull] + strace + command
        env = without_leak_check(env)
    result = subprocess.run(command, cwd=root, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=timeout)
    return result.stdout, result.returncode, result.stderr


def trace(root, args, syscalls):
    """Runs once under strace and returns the traced calls in order as
    (name, arguments as strace printed them with -y: fds with their paths)."""
    fd, log = tempfile.mkstemp(prefix="fuselox-trace-")
    os.close(fd)
    try:
        command = ["strace", "-f", "-qq", "-y", "-s", "0", "-o", log,
                   "-e", "trace=" + ",".join(syscalls), program()] + list(args)
        subprocess.run(command, cwd=root, env=without_leak_check(env_for(root)),
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        calls = []
        with open(log, "r", errors="replace") as f:
            for line in f:
                parts = line.split(None, 1)
                if len(parts) < 2 or "(" not in parts[1] or parts[1].startswith(("+++", "---")):
                    continue
                name, rest = parts[1].split("(", 1)
                calls.append((name, rest))
        return calls
    finally:
        os.remove(log)


def working_files(root):
    """Working files (*.temp) anywhere in the prefix's drive_c."""
    found = []
    for folder, _, names in os.walk(os.path.join(root, "drive_c")):
        found += [os.path.join(folder, n) for n in names if n.lower().endswith(WORKING_SUFFIXES)]
    return found


def scratch_parent():
    """tmpfs when there is one: the sweeps run thousands of commands, each
    with an fsync that a disk would make slow."""
    shm = "/dev/shm"
    return shm if os.path.isdir(shm) and os.access(shm, os.W_OK) else None


class ScratchDir:
    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="fuselox-rel-", dir=scratch_parent())
        return self.path

    def __exit__(self, *exc):
        harness.remove_tree(self.path)
