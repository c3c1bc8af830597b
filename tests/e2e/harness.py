"""End-to-end harness: the program (FUSELOX_RUN split on blanks, else FUSELOX_BIN) run in a
Wine-style prefix per test, and tables of cases. A throw-away prefix holds user.reg, dosdevices/
c: -> ../drive_c, drive_c/FSX/SimObjects/{Airplanes,Rotorcraft}, drive_c/work (the working
folder) and the pilot's fsx.cfg. With FUSELOX_WINE_PREFIX naming a real Wine prefix (as the
Windows build needs), drive_c is that prefix's, emptied of what earlier tests left, and the
user.reg of a test goes into Wine's registry by "wine reg import"."""

import os
import re
import shlex
import shutil
import stat
import subprocess
import tempfile
import unittest
from collections import namedtuple

SIM = "C:\\FSX\\"
AIRPLANES = b"C:\\FSX\\SIMOBJECTS\\AIRPLANES\\"  # as the upper-cased fsx.cfg value gives it
DEFAULT_FSX_CFG = (b"[Main]\r\nUser Objects=Airplane, Helicopter\r\nSimObjectPaths.0=SimObjects\\"
                   b"Airplanes\r\nSimObjectPaths.1=SimObjects\\Rotorcraft\r\n\r\n[Display]\r\n")
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
_real = {}  # the real prefix's own users and the user.reg its registry holds


def user_reg(app_path, app_data=APP_DATA):
    text = "WINE REGISTRY Version 2\n\n"
    for key, name, value in ((FS_KEY, "AppPath", app_path), (SHELL_KEY, "AppData", app_data)):
        if value is not None:
            text += '[%s] 1\n"%s"="%s"\n\n' % (key, name, value)
    return text.replace("\\", "\\\\").encode("latin-1")


def run_captured(command, cwd=None, env=None, timeout=120):
    """stdout, exit code, stderr: through files, as a wineserver it starts would hold a pipe."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout).returncode
        return out.seek(0) or out.read(), code, err.seek(0) or err.read()


def reg_value(data, key, name):
    """The text of a string value in user.reg text (Wine's escapes, hex(N) lines), or None."""
    text = re.sub(r"\\\n\s*", "", data.decode("latin-1"))
    section = re.search(r"^\[%s\][^\n]*\n(.*?)(?=^\[|\Z)" % re.escape(key.replace("\\", "\\\\")),
                        text, re.M | re.S | re.I)
    value = section and re.search(r'^"%s"=(?:str\(2\):)?(?:"((?:[^"\\]|\\.)*)"|hex\(\d\):(\S*))'
                                  % name, section.group(1), re.M | re.I)
    if value and value.group(2):
        return bytes.fromhex(value.group(2).replace(",", "")).decode("utf-16-le").split("\0")[0]
    escapes = {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}
    return value and re.sub(r"\\(x[0-9a-fA-F]{1,4}|.)", lambda m: chr(int(m.group(1)[1:], 16))
                            if len(m.group(1)) > 1 else escapes.get(m.group(1), m.group(1)),
                            value.group(1))


def import_user_reg(data):
    """Wine's registry gets the two values of a test's user.reg: the shell reads "User Shell
    Folders", the POSIX build "Shell Folders"; no AppData is a folder that does not exist."""
    if _real.get("reg") == data:
        return
    path, app_data = reg_value(data, FS_KEY, "AppPath"), reg_value(data, SHELL_KEY, "AppData")
    lines = ["Windows Registry Editor Version 5.00", "[-HKEY_CURRENT_USER\\%s]" % FS_KEY,
             "[HKEY_CURRENT_USER\\%s]" % FS_KEY, path and '"AppPath"=' + hex_value(path) or "",
             "[HKEY_CURRENT_USER\\%s]" % SHELL_KEY.replace("Shell", "User Shell"),
             '"AppData"=' + hex_value(app_data or "C:\\fuselox-none"),
             "[HKEY_CURRENT_USER\\%s]" % SHELL_KEY, '"AppData"=' + (app_data and hex_value(
                 app_data) or "-"), ""]
    with tempfile.NamedTemporaryFile(suffix=".reg") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
        f.flush()
        out, rc, err = run_captured(["wine", "reg", "import", "Z:" + f.name.replace("/", "\\")],
                                    env=dict(os.environ, WINEPREFIX=WINE_PREFIX))
    assert rc == 0, "wine reg import failed: %r" % (out + err)
    _real["reg"] = data


def hex_value(text):
    return "hex(2):" + ",".join("%02x" % b for b in (text + "\0").encode("utf-16-le"))


def remove_tree(path):
    os.remove(path) if os.path.islink(path) or os.path.isfile(path) else shutil.rmtree(path, True)


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


class Prefix:
    """A prefix with one simulator in it. Files are named by keys: paths relative to the
    Airplanes folder, or to C:\\ when they start with "/"; "USER.REG" and "FSX.CFG" name those."""

    def __init__(self, root, files=()):
        self.root, self.drive_c = root, os.path.join(WINE_PREFIX or root, "drive_c")
        os.makedirs(os.path.join(root, "dosdevices"))
        if WINE_PREFIX:
            _real.setdefault("users", {n.lower() for n in os.listdir(self.path("/users"))})
        else:
            os.symlink("../drive_c", os.path.join(root, "dosdevices", "c:"))
        self.reset(files)

    def path(self, key):
        rel = key[1:] if key.startswith("/") else "FSX/SimObjects/Airplanes/" + key
        return os.path.normpath(os.path.join(self.drive_c, rel))

    def reset(self, files=()):
        """Empties drive_c of what is not Wine's, then lays out the default files and `files`."""
        for folder, keep in ((self.drive_c, WINE_DRIVE_C), (self.path("/users"), _real.get(
                "users", ()))):
            for name in os.listdir(folder) if os.path.isdir(folder) else ():
                if name.lower() not in keep:
                    remove_tree(os.path.join(folder, name))
        remove_tree(self.path(SETTINGS))
        files = dict({"USER.REG": user_reg(SIM), "FSX.CFG": DEFAULT_FSX_CFG, "/work": DIR,
                      "../Rotorcraft": DIR, ".": DIR}, **dict(files))
        data, files[SETTINGS + "/fsx.cfg"] = files.pop("USER.REG"), files.pop("FSX.CFG")
        import_user_reg(data) if WINE_PREFIX else write(self.root + "/user.reg", data)
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
                elif stat.S_ISREG(mode):
                    found[key] = read(path)
                elif not stat.S_ISDIR(mode):
                    found[key] = "<special>"
                elif not os.listdir(path):
                    found[key] = DIR
        return found

    def run(self, *args, env=None, timeout=120, wrapper=()):
        full_env = dict(os.environ, WINEPREFIX=WINE_PREFIX or self.root, WINEDEBUG="-all")
        full_env.pop("FUSELOX_VERBOSE", None)
        return run_captured(list(wrapper) + COMMAND + list(args), cwd=self.path("/work"),
                            env=dict(full_env, **(env or {})), timeout=timeout)


# A case: the command line (blank-separated, "double quotes" around blanks), its stdout, the
# files before (added to the table's), the files after that changed (None: gone), words the
# failure's reason holds, the exit code when not the rule's (0 for stdout starting with ERROR).
Case = namedtuple("Case", "cmd out files after why code", defaults=((), {}, (), None))


class PrefixTest(unittest.TestCase):
    maxDiff = 4000

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="fuselox-e2e-")
        self.p = Prefix(os.path.join(self.tmp, "prefix"))

    def tearDown(self):
        remove_tree(self.tmp)

    def assertRun(self, args, stdout, code, **kwargs):
        out, rc, err = self.p.run(*args, **kwargs)
        self.assertEqual((stdout, code), (out, rc), "args=%r stderr=%r" % (args, err))

    def table(self, files, cases, wrapper=()):
        """Runs each case on a fresh layout with reasons on: stdout, exit code and every file as
        the case says; standard error empty on success, else one line naming the reason."""
        for case in cases:
            with self.subTest(case.cmd[:200]):
                self.p.reset(dict(files, **dict(case.files)))
                expected = self.p.files()
                for key, data in case.after.items():
                    key = "/" + os.path.relpath(self.p.path(key), self.p.drive_c)
                    expected = {k: v for k, v in expected.items() if k != key and
                                not k.startswith(key + "/")}
                    expected.update({} if data is None else {key: data})
                # A folder that gets content is no longer empty.
                expected = {k: v for k, v in expected.items() if v != DIR or
                            not any(o.startswith(k + "/") for o in expected)}
                args = [m.group(2) if m.group(1) is None else m.group(1)
                        for m in re.finditer(r'"([^"]*)"|(\S+)', case.cmd)]
                out, rc, err = self.p.run(*args, env={"FUSELOX_VERBOSE": "1"}, wrapper=wrapper)
                code = int(not case.out.startswith(b"ERROR")) if case.code is None else case.code
                self.assertEqual((case.out, code), (out, rc), err)
                self.assertEqual(expected, self.p.files())
                self.assertRegex(err, rb"^\Z" if rc == 1 else rb"^fuselox: [^\n]+\n\Z")
                for part in [case.why] if isinstance(case.why, str) else case.why:
                    self.assertIn(part.encode("latin-1"), err)
