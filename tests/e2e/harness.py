"""End-to-end harness: throw-away Wine-style prefixes and a runner for the
built program.

The program is run through the command in FUSELOX_RUN (split on blanks),
else the path given as the first argument of run_all.sh (exported as
FUSELOX_BIN). Every test gets its own prefix in a temporary folder:

    <prefix>/user.reg                      AppPath and the AppData shell folder
    <prefix>/dosdevices/c: -> ../drive_c
    <prefix>/drive_c/FSX/                  the simulator folder
    <prefix>/drive_c/users/pilot/AppData/Roaming/Microsoft/FSX/fsx.cfg
"""

import os
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


class Prefix:
    """A Wine-style prefix with one simulator in it."""

    def __init__(self, root, app_path=SIM, fsx_cfg=DEFAULT_FSX_CFG):
        self.root = root
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

    def write_user_reg(self, app_path, app_data="C:\\users\\pilot\\AppData\\Roaming"):
        with open(os.path.join(self.root, "user.reg"), "wb") as f:
            f.write(user_reg(app_path, app_data))

    def fsx_cfg_path(self):
        return self.host("C:\\users\\pilot\\AppData\\Roaming\\Microsoft\\FSX\\fsx.cfg")

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

    def run(self, *args, cwd=None, env=None):
        full_env = dict(os.environ, WINEPREFIX=self.root, WINEDEBUG="-all")
        full_env.pop("FUSELOX_VERBOSE", None)
        if env:
            full_env.update(env)
        result = subprocess.run(runner() + list(args), cwd=cwd or self.root, env=full_env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        return result.stdout, result.returncode, result.stderr


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
