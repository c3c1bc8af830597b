"""End-to-end harness: throw-away Wine-style prefixes and a runner for the
built program.

The program is run through the command in FUSELOX_RUN (split on blanks),
else the path given as the first argument of run_all.sh (exported as
FUSELOX_BIN). Every test gets its own prefix in a temporary folder:

    <prefix>/user.reg                      AppPath and the AppData shell folder
    <prefix>/dosdevices/c: -> ../drive_c
    <prefix>/drive_c/FSX/                  the simulator folder
    <prefix>/drive_c/users/pilot/AppData/Roaming/Microsoft/FSX/fsx.cfg

With FUSELOX_WINE_PREFIX naming a real Wine prefix (made by wineboot), every
test shares that prefix instead, as the Windows build needs: the test's own
folders are made afresh under its drive_c (what the previous test left there
is removed), and the user.reg a test writes into its own folder is carried
into the prefix's registry through "wine reg import" before each run. Tests
stay the same in both modes.
"""

import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest

SIM = "C:\\FSX\\"
AIRPLANES = "C:\\FSX\\SIMOBJECTS\\AIRPLANES"  # as fsx.cfg's upper-cased value gives it
DEFAULT_FSX_CFG = (
    b"[Main]\r\n"
    b"User Objects=Airplane, Helicopter\r\n"
    b"SimObjectPaths.0=SimObjects\\Airplanes\r\n"
    b"SimObjectPaths.1=SimObjects\\Rotorcraft\r\n"
    b"\r\n"
    b"[Display]\r\n"
    b"UPPER_FRAMERATE_LIMIT=30\r\n"
)


def reg_escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def user_reg(app_path, app_data="C:\\users\\pilot\\AppData\\Roaming"):
    lines = ["WINE REGISTRY Version 2", ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000", ""]
    if app_path is not None:
        lines += [
            "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1796591198",
            "#time=1dd85c5aeec07c4",
            '"AppPath"="%s"' % reg_escape(app_path),
            "",
        ]
    if app_data is not None:
        lines += [
            "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1796591198",
            '"AppData"="%s"' % reg_escape(app_data),
            '"Cache"="C:\\\\users\\\\pilot\\\\AppData\\\\Local\\\\Microsoft\\\\Windows\\\\INetCache"',
            "",
        ]
    return ("\n".join(lines) + "\n").encode("latin-1")


def runner():
    command = os.environ.get("FUSELOX_RUN")
    if command:
        return shlex.split(command)
    return [os.environ["FUSELOX_BIN"]]


WINE_PREFIX = os.environ.get("FUSELOX_WINE_PREFIX") or None
HARNESS_APP_DATA = "C:\\users\\pilot\\AppData\\Roaming"
FS_KEY = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0"
SHELL_FOLDERS_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
USER_SHELL_FOLDERS_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
# What wineboot puts in drive_c; everything else there belongs to a test.
WINE_DRIVE_C = {"windows", "users", "program files", "program files (x86)", "programdata"}


class RealPrefix:
    """The real Wine prefix shared by every test of a run (FUSELOX_WINE_PREFIX)."""

    def __init__(self, root):
        self.root = root
        self.drive_c = os.path.join(root, "drive_c")
        self.applied_user_reg = None
        self._profile = None

    def env(self):
        return dict(os.environ, WINEPREFIX=self.root, WINEDEBUG="-all")

    def wine(self, *args):
        out, rc, err = run_captured(["wine"] + list(args), env=self.env())
        if rc != 0:
            raise RuntimeError("wine %r failed: %r" % (args, out + err))
        return out

    def profile(self):
        """The user's profile folder, C:\\users\\<name> (Wine names it after the login)."""
        if self._profile is None:
            self._profile = self.wine("cmd", "/c", "echo %USERPROFILE%").decode().strip()
        return self._profile

    def app_data(self):
        return self.profile() + "\\AppData\\Roaming"

    def clean(self):
        """Removes what earlier tests left in drive_c."""
        for name in os.listdir(self.drive_c):
            if name.lower() not in WINE_DRIVE_C:
                remove_tree(os.path.join(self.drive_c, name))
        users = os.path.join(self.drive_c, "users")
        user = self.profile().split("\\")[-1]
        for name in os.listdir(users):
            if name.lower() not in ("public", user.lower()):
                remove_tree(os.path.join(users, name))
        remove_tree(os.path.join(users, user, "AppData", "Roaming", "Microsoft", "FSX"))

    def apply_user_reg(self, data, flush):
        """Makes the registry hold what a test's user.reg says about the two
        values the program reads. Skipped when nothing changed since the last
        test, so that most tests cost no registry write at all."""
        if data == self.applied_user_reg:
            return
        keys = parse_user_reg(data)
        lines = ["Windows Registry Editor Version 5.00", "",
                 "[-HKEY_CURRENT_USER\\%s]" % FS_KEY, ""]
        fs_values = keys.get(FS_KEY.lower())
        if fs_values is not None:
            lines.append("[HKEY_CURRENT_USER\\%s]" % FS_KEY)
            lines += ['"%s"=%s' % (reg_escape(name), form) for name, form in fs_values.values()]
            lines.append("")
        # The shell reads "User Shell Folders" and the POSIX build reads
        # "Shell Folders": both get the same text. The harness's own profile
        # name stands for the prefix's real one. A missing value becomes a
        # folder that does not exist, which the shell fails on as well.
        app_data = string_value(keys.get(SHELL_FOLDERS_KEY.lower(), {}), "appdata")
        if app_data is not None and app_data.lower().startswith("c:\\users\\pilot"):
            app_data = self.profile() + app_data[len("c:\\users\\pilot"):]
        shell = app_data if app_data is not None else "C:\\fuselox-no-app-data"
        lines += ["[HKEY_CURRENT_USER\\%s]" % USER_SHELL_FOLDERS_KEY,
                  '"AppData"=' + hex_string(shell, 2), "",
                  "[HKEY_CURRENT_USER\\%s]" % SHELL_FOLDERS_KEY,
                  '"AppData"=' + (hex_string(app_data, 1) if app_data is not None else "-"), ""]
        fd, path = tempfile.mkstemp(suffix=".reg", prefix="fuselox-")
        with os.fdopen(fd, "wb") as f:
            f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
        try:
            self.wine("reg", "import", "Z:" + path.replace("/", "\\"))
        finally:
            os.remove(path)
        if flush:
            # Wine keeps the registry in wineserver and writes user.reg when
            # it stops; a program reading user.reg itself needs that done.
            for option in ("-k", "-w"):
                subprocess.run(["wineserver", option], env=self.env(), timeout=120,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.applied_user_reg = data


_real_prefix = None


def real_prefix():
    global _real_prefix
    if _real_prefix is None:
        _real_prefix = RealPrefix(WINE_PREFIX)
    return _real_prefix


def remove_tree(path):
    if os.path.islink(path) or os.path.isfile(path):
        os.remove(path)
    elif os.path.isdir(path):
        def writable(func, name, _):
            os.chmod(name, 0o700)
            func(name)
        shutil.rmtree(path, onerror=writable)


def unescape_reg_string(text, start):
    """The UTF-16 text of the quoted string at text[start] in Wine's user.reg
    escapes, and the index after its closing quote (None when unclosed)."""
    out = []
    i = start + 1
    while i < len(text):
        c = text[i]
        if c == '"':
            return "".join(out), i + 1
        if c == "\\" and i + 1 < len(text):
            e = text[i + 1]
            i += 2
            if e == "x":
                digits = re.match(r"[0-9a-fA-F]{1,4}", text[i:])
                out.append(chr(int(digits.group(0), 16)) if digits else "\0")
                i += len(digits.group(0)) if digits else 0
            else:
                out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(e, e))
            continue
        out.append(c)
        i += 1
    return "".join(out), None


def hex_string(text, reg_type):
    data = (text + "\0").encode("utf-16-le", "surrogatepass")
    return "hex(%d):%s" % (reg_type, ",".join("%02x" % b for b in data))


def parse_user_reg(data):
    """Keys of a user.reg (lower-cased path -> {lower-cased name: (name, .reg form)})."""
    # UTF-8, where a byte that is not part of a valid sequence stands for itself.
    text = "".join(chr(ord(c) - 0xDC00) if 0xDC80 <= ord(c) <= 0xDCFF else c
                   for c in data.decode("utf-8", "surrogateescape")).replace("\r\n", "\n")
    text = re.sub(r"\\\n\s*", "", text)  # continuation lines of hex values
    keys = {}
    values = None
    for line in text.split("\n"):
        if line.startswith("["):
            close = line.rfind("]")
            path = line[1:close].replace("\\\\", "\\") if close > 0 else ""
            values = keys.setdefault(path.lower(), {})
            continue
        if values is None or not line.startswith('"'):
            continue
        name, end = unescape_reg_string(line, 0)
        if end is None or line[end:end + 1] != "=":
            continue
        rest = line[end + 1:]
        if rest.startswith('"') or rest.startswith('str(2):"'):
            string, _ = unescape_reg_string(rest, rest.index('"'))
            form = hex_string(string, 1 if rest.startswith('"') else 2)
        else:
            form = rest  # dword:, hex: and hex(N): read the same in a .reg file
        values[name.lower()] = (name, form)
    return keys


def string_value(values, name):
    """The text of a REG_SZ or REG_EXPAND_SZ in parse_user_reg's form, or None."""
    entry = values.get(name)
    if entry is None or not entry[1].startswith(("hex(1):", "hex(2):")):
        return None
    data = bytes(int(b, 16) for b in entry[1].split(":", 1)[1].split(",") if b)
    return data.decode("utf-16-le", "surrogatepass").split("\0")[0]


def run_captured(command, cwd=None, env=None, timeout=120):
    """Runs a command; its stdout, exit code and stderr. Output goes through
    files, not pipes: a wineserver that the run starts outlives it and would
    hold a pipe open until it exits."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        return out.read(), code, err.read()


def runs_under_wine():
    return os.path.basename(runner()[0]).startswith("wine")


class Prefix:
    """A Wine-style prefix with one simulator in it."""

    def __init__(self, root, app_path=SIM, fsx_cfg=DEFAULT_FSX_CFG):
        self.root = root
        if WINE_PREFIX:
            # root holds only the test's user.reg and is the working folder.
            self.real = real_prefix()
            self.drive_c = self.real.drive_c
            os.makedirs(root)
            self.real.clean()
        else:
            self.real = None
            self.drive_c = os.path.join(root, "drive_c")
            os.makedirs(os.path.join(root, "dosdevices"))
            os.makedirs(self.drive_c)
            os.symlink("../drive_c", os.path.join(root, "dosdevices", "c:"))
        self.write_user_reg(app_path)
        self.sim = self.host("C:\\FSX")
        os.makedirs(os.path.join(self.sim, "SimObjects", "Airplanes"))
        os.makedirs(os.path.join(self.sim, "SimObjects", "Rotorcraft"))
        if fsx_cfg is not None:
            self.write_fsx_cfg(fsx_cfg)

    def write_user_reg(self, app_path, app_data=HARNESS_APP_DATA):
        with open(os.path.join(self.root, "user.reg"), "wb") as f:
            f.write(user_reg(app_path, app_data))

    def fsx_cfg_path(self):
        app_data = self.real.app_data() if self.real else HARNESS_APP_DATA
        return self.host(app_data + "\\Microsoft\\FSX\\fsx.cfg")

    def write_fsx_cfg(self, data):
        path = self.fsx_cfg_path()
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def host(self, windows_path):
        """The host path of a C: path (components as written)."""
        assert windows_path[:2].upper() == "C:"
        parts = [p for p in windows_path[2:].replace("\\", "/").split("/") if p]
        return os.path.join(self.drive_c, *parts)

    def aircraft(self, name, cfg_bytes, where="Airplanes"):
        folder = os.path.join(self.sim, "SimObjects", where, name)
        os.makedirs(folder, exist_ok=True)
        write(os.path.join(folder, "aircraft.cfg"), cfg_bytes)
        return folder

    def run(self, *args, cwd=None, env=None, timeout=120, wrapper=()):
        """Runs the program (after `wrapper`, a command such as strace) with args."""
        full_env = dict(os.environ, WINEPREFIX=self.root, WINEDEBUG="-all")
        if self.real:
            with open(os.path.join(self.root, "user.reg"), "rb") as f:
                self.real.apply_user_reg(f.read(), flush=not runs_under_wine())
            full_env["WINEPREFIX"] = self.real.root
        full_env.pop("FUSELOX_VERBOSE", None)
        if env:
            full_env.update(env)
        return run_captured(list(wrapper) + runner() + list(args), cwd=cwd or self.root,
                            env=full_env, timeout=timeout)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def crlf(*lines, final_line_end=False):
    """aircraft.cfg text as this program writes it."""
    text = "\r\n".join(lines) + ("\r\n" if final_line_end else "")
    return text.encode("latin-1")


class PrefixTest(unittest.TestCase):
    """A test case with a fresh prefix in self.p."""

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="fuselox-e2e-")
        self.p = Prefix(os.path.join(self.tmp, "prefix"))

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def assertRun(self, args, stdout, code, **kwargs):
        out, rc, err = self.p.run(*args, **kwargs)
        self.assertEqual((stdout, code), (out, rc), "args=%r stderr=%r" % (args, err))
        return out

    def assertNoWorkingFiles(self, folder):
        for name in ("fuselox.temp", "liverymend.temp"):
            self.assertFalse(os.path.exists(os.path.join(folder, name)), name)
