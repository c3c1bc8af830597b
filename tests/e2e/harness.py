"""End-to-end harness: the program (FUSELOX_RUN split on blanks, else FUSELOX_BIN) run in a
Wine-style prefix per test, and tables of cases. A throw-away prefix holds user.reg, dosdevices/
c: -> ../drive_c, drive_c/FSX/SimObjects/{Airplanes,Rotorcraft}, drive_c/work (the working
folder) and the pilot's fsx.cfg. With FUSELOX_WINE_PREFIX naming a real Wine prefix (as the
Windows build needs), drive_c is that prefix's, emptied of what earlier tests left, and the
user.reg of a test goes into Wine's registry by "wine reg import"."""

import copy
import os
import re
import shlex
import shutil
import stat
import subprocess
import tempfile
import unittest
from collections import namedtuple

SIM, CFG = "C:\\FSX\\", "C172/aircraft.cfg"
AIRPLANES = b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\"  # as the upper-cased fsx.cfg value gives it
DEFAULT_FSX_CFG = (b"[Main]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n"
                   b"SimObjectPaths.1=SimObjects\\Rotorcraft\r\n")
APP_DATA = "C:\\users\\pilot\\AppData\\Roaming"
SETTINGS = "/users/pilot/AppData/Roaming/Microsoft/FSX"
FS_KEY = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0"
SHELL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
WINE_DRIVE_C = {"windows", "users", "program files", "program files (x86)", "programdata"}
DIR = "<folder>"  # in a table's files, an empty folder; "-> KEY" is a link to KEY
E, OK = b"ERROR\n", b"NOERROR\n"
COMMAND = shlex.split(os.environ.get("FUSELOX_RUN", "")) or [os.environ.get("FUSELOX_BIN", "")]
UNDER_WINE = os.path.basename(COMMAND[0]).startswith("wine")
WINE_PREFIX = os.environ.get("FUSELOX_WINE_PREFIX") or None
_real = {}  # the user.reg the real prefix's registry holds, the values user_reg() was given


def user_reg(app_path, app_data=APP_DATA, more=()):
    """Wine's user.reg text holding the two values and `more` (key, name, value), kept for the real
    prefix's registry."""
    return hive([(FS_KEY, "AppPath", app_path), (SHELL_KEY, "AppData", app_data)] + list(more))


def hive(values, machine=False):
    """A registry file of Wine's (user.reg, or system.reg when `machine`) holding the values."""
    text = "WINE REGISTRY Version 2\n\n"
    for key, name, value in values:
        if value is not None:
            text += '[%s] 1\n"%s"="%s"\n\n' % (key, name, value)
    data = re.sub(r"[^\x00-\xff]", lambda m: "\\x%x" % ord(m.group()), text.replace("\\", "\\\\"))
    _real[data.encode("latin-1")] = [("HKLM" if machine else "HKCU", *v) for v in values]
    return data.encode("latin-1")


def run_captured(command, cwd=None, env=None, timeout=120):
    """stdout, exit code, stderr: through files, as a wineserver it starts would hold a pipe."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout).returncode
        return out.seek(0) or out.read(), code, err.seek(0) or err.read()


# Every key a test may fill, emptied before each import; the shell folders that are not given
# point at a folder that does not exist.
SIM_KEYS = [("HKCU", FS_KEY)] + [(h, k % v) for v in ("3", "4", "5", "6") for h, k in (
    ("HKCU", "Software\\Lockheed Martin\\Prepar3D v%s"),
    ("HKLM", "Software\\Lockheed Martin\\Prepar3D v%s"),
    ("HKLM", "Software\\Wow6432Node\\Lockheed Martin\\Prepar3D v%s"))] + [
    ("HKCU", FS_KEY.replace("Simulator", "Simulator - Steam Edition"))]
SHELL_VALUES = [("HKCU", SHELL_KEY, n, None) for n in ("AppData", "Local AppData", "Personal")] + [
    ("HKLM", SHELL_KEY, "Common AppData", None)]


def import_user_reg(*hives):
    """Wine's registry gets the values of a test's user.reg and system.reg; the shell reads its
    folders from "User Shell Folders"."""
    if _real.get("reg") == hives:
        return
    values = [v for data in hives for v in _real[data]]
    given = {(h, k, n): v for h, k, n, v in values if k == SHELL_KEY}
    lines = ["Windows Registry Editor Version 5.00"]
    roots = {"HKCU": "HKEY_CURRENT_USER", "HKLM": "HKEY_LOCAL_MACHINE"}
    for h, key in SIM_KEYS:
        lines.append("[-%s\\%s]" % (roots[h], key))
    for h, key, name, value in values + SHELL_VALUES:
        if key == SHELL_KEY:
            key, value = key.replace("Shell", "User Shell"), given.get((h, key, name)) or \
                "C:\\fuselox-none"
        if value is not None:
            lines += ["[%s\\%s]" % (roots[h], key), '"%s"="%s"' % (name, value.replace("\\", "\\\\"))]
    with tempfile.NamedTemporaryFile(suffix=".reg") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines + [""]).encode("utf-16-le"))
        f.flush()
        out, rc, err = run_captured(["wine", "reg", "import", "Z:" + f.name.replace("/", "\\")],
                                    env=dict(os.environ, WINEPREFIX=WINE_PREFIX))
    assert rc == 0, "wine reg import failed: %r" % (out + err)
    _real["reg"] = hives


def split(command_line):
    """Arguments as a batch file gives them: blank-separated, "double quotes" around blanks."""
    return [a if q is None else q for q, a in (m.groups() for m in re.finditer(
        r'"([^"]*)"|(\S+)', command_line))]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def crlf(*lines, final_line_end=False):
    """aircraft.cfg text as the program writes it."""
    return ("\r\n".join(lines) + ("\r\n" if final_line_end else "")).encode("latin-1")


def as_files(files):  # a case's files, or C172's aircraft.cfg alone
    return dict(files) if isinstance(files, (dict, tuple)) else {CFG: files}


class Prefix:
    """A prefix with one simulator in it. Its files are named by keys (see path), "USER.REG" and
    "FSX.CFG" too."""

    def __init__(self, root, files=()):
        self.root, self.drive_c = root, os.path.join(WINE_PREFIX or root, "drive_c")
        os.makedirs(os.path.join(root, "dosdevices"))
        if not WINE_PREFIX:
            os.symlink("../drive_c", os.path.join(root, "dosdevices", "c:"))
        self.reset(files)

    def path(self, key):
        """A key names a file relative to the Airplanes folder, or to C:\\ after "/"."""
        rel = key[1:] if key.startswith("/") else "FSX/SimObjects/Airplanes/" + key
        return os.path.normpath(os.path.join(self.drive_c, rel))

    def clone(self, root):
        """A copy of this throw-away prefix at `root`, links kept."""
        shutil.copytree(self.root, root, symlinks=True)
        other = copy.copy(self)
        other.root, other.drive_c = root, os.path.join(root, "drive_c")
        return other

    def reset(self, files=()):
        """Empties drive_c of what is not Wine's, then lays out the default files and `files`."""
        for name in os.listdir(self.drive_c) if os.path.isdir(self.drive_c) else ():
            path = os.path.join(self.drive_c, name)
            if name.lower() not in WINE_DRIVE_C:
                shutil.rmtree(path) if os.path.isdir(path) and not os.path.islink(path) else \
                    os.remove(path)
        for user in ("pilot", "\u0141ukasz"):
            shutil.rmtree(self.path("/users/" + user), True)
        files = dict({"USER.REG": user_reg(SIM), "SYSTEM.REG": hive([], True),
                      "FSX.CFG": DEFAULT_FSX_CFG, "/work": DIR, "../Rotorcraft": DIR, ".": DIR},
                     **as_files(files))
        data, system = files.pop("USER.REG"), files.pop("SYSTEM.REG")
        files[SETTINGS + "/fsx.cfg"] = files.pop("FSX.CFG")
        if WINE_PREFIX:
            import_user_reg(data, system)
        else:
            write(self.root + "/user.reg", data), write(self.root + "/system.reg", system)
        for key, data in files.items():
            path = self.path(key)
            os.makedirs(path if data == DIR else os.path.dirname(path), exist_ok=True)
            if isinstance(data, str) and data != DIR:
                os.symlink(self.path(data[3:]), path)
            elif callable(data):
                data(path)
            elif isinstance(data, bytes):
                write(path, data)

    def files(self):
        """Every file, link and empty folder of drive_c that is not Wine's, by key."""
        found = {}
        for folder, dirs, names in os.walk(self.drive_c):
            dirs[:] = [d for d in dirs if folder != self.drive_c or d.lower() not in WINE_DRIVE_C]
            for name in dirs + names:
                path = os.path.join(folder, name)
                key, mode = "/" + os.path.relpath(path, self.drive_c), os.lstat(path).st_mode
                if stat.S_ISLNK(mode):
                    found[key] = "-> " + os.readlink(path).replace(self.drive_c, "", 1)
                elif stat.S_ISREG(mode):  # a sparse file of gigabytes by its size
                    size = os.path.getsize(path)
                    found[key] = read(path) if size < 1 << 26 else "<%d bytes>" % size
                elif not stat.S_ISDIR(mode):
                    found[key] = "<special>"
                elif not os.listdir(path):
                    found[key] = DIR
        return found

    def run(self, *args, env=None, timeout=120, wrapper=()):
        full_env = dict(os.environ, WINEPREFIX=WINE_PREFIX or self.root, WINEDEBUG="-all")
        full_env.pop("FUSELOX_VERBOSE", None)
        if wrapper:  # LeakSanitizer cannot run under a tracer
            full_env["ASAN_OPTIONS"] = full_env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
        return run_captured(list(wrapper) + COMMAND + list(args), cwd=self.path("/work"),
                            env=dict(full_env, **(env or {})), timeout=timeout)


# A case: the command line ("double quotes" around blanks), its stdout, the files before (added to
# the table's; not a dict: C172's aircraft.cfg), the files changed after (None: gone), words the
# failure's reason holds, the exit code when not the rule's (0 for stdout starting with ERROR).
Case = namedtuple("Case", "cmd out files after why code", defaults=((), {}, (), None))


class PrefixTest(unittest.TestCase):
    maxDiff, TABLES = 4000, ()  # TABLES: (files, cases) pairs for test_tables

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="fuselox-e2e-")
        self.p = Prefix(os.path.join(self.tmp, "prefix"))

    def tearDown(self):
        shutil.rmtree(self.tmp, True)

    def test_tables(self):
        for files, cases in self.TABLES:
            self.table(files, cases)

    def table(self, files, cases, wrapper=()):
        """Runs each case on a fresh layout with reasons on: stdout, exit code and every file as
        the case says; standard error, past mistyped switches, empty or the reason's one line."""
        for case in cases:
            with self.subTest(case.cmd[:200]):
                self.p.reset(dict(as_files(files), **as_files(case.files)))
                expected = self.p.files()
                for key, data in as_files(case.after).items():
                    key = "/" + os.path.relpath(self.p.path(key), self.p.drive_c)
                    expected = {k: v for k, v in expected.items()
                                if not (k + "/").startswith(key + "/")}
                    expected.update({} if data is None else {key: data})
                # A folder that gets content is no longer empty.
                expected = {k: v for k, v in expected.items() if v != DIR or
                            not any(o.startswith(k + "/") for o in expected)}
                out, rc, err = self.p.run(*split(case.cmd), env={"FUSELOX_VERBOSE": "1"},
                                          wrapper=wrapper)
                code = int(not case.out.startswith(b"ERROR")) if case.code is None else case.code
                self.assertEqual((case.out, code), (out, rc), err)
                self.assertEqual(expected, self.p.files())
                self.assertRegex(err, rb'^(fuselox: "/[^\n]*" is not a switch; ignored\n)*' + (
                    rb"\Z" if rc == 1 else rb"fuselox: [^\n]+\n\Z"))
                for part in [case.why] if isinstance(case.why, str) else case.why:
                    self.assertIn(part.encode("latin-1"), err)
