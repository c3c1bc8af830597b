"""Differential check: the POSIX build and the Windows build under Wine, run
on the same real Wine prefix, must give the same stdout, exit code and
resulting files for every scenario.

Usage: differential.py POSIX_PROGRAM WINDOWS_PROGRAM [--show] [SCENARIO_NAME...]
(--show prints what each command of the POSIX build printed)
FUSELOX_WINE_PREFIX names the prefix (tests/wine/differential.sh makes one).

Each scenario lays out its files afresh under drive_c, sets the registry,
runs its commands with one build, records what they printed and every file
the scenario owns, then does the same with the other build. Output that
names the program itself (the banner's argv[0]) is the one input that
differs between the builds, so it is replaced by "<program>" before the
comparison.
"""

import hashlib
import os
import stat
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import harness  # noqa: E402
from harness import DEFAULT_FSX_CFG, crlf, real_prefix, run_captured, user_reg  # noqa: E402

SIM_CFG = crlf("[fltsim.0]", "title=Cessna Red", "texture=Red", "ui_variation=Red  // paint",
               "", "[fltsim.1]", "title=Cessna Blue", "texture=Blue", "", "[General]",
               "atc_type=CESSNA", "atc_model=C172 ; model", "performance=fast")
REPAINT = crlf("[fltsim.x]", "title=Cessna Green", "texture=Green", "ui_variation=Green", "",
               "[fltsim.y]", "title=Cessna Blue", "texture=blue2", "", final_line_end=True)
C172 = "C:\\FSX\\SimObjects\\Airplanes\\C172\\"


def pseudo_random(seed, size):
    out = bytearray()
    block = seed.encode()
    while len(out) < size:
        block = hashlib.sha256(block).digest()
        out += block
    return bytes(out[:size])


OLD_BIN = pseudo_random("old", 200000)
NEW_BIN = OLD_BIN[:50000] + b"inserted" * 100 + OLD_BIN[50000:150000] + pseudo_random("x", 3000)


class Scenario:
    """Files (Windows path -> bytes, None for an empty folder), the registry
    (user.reg text as the end-to-end harness writes it), commands run in
    order from C:\\work, and an optional setup step on host paths."""

    def __init__(self, name, steps, files=None, registry=None, setup=None, fsx_cfg=DEFAULT_FSX_CFG,
                 known=None):
        self.name = name
        # A difference found and reported but not yet resolved: printed, not failed.
        self.known = known
        self.steps = steps
        self.files = dict(files or {})
        self.registry = registry if registry is not None else user_reg("C:\\FSX\\")
        self.setup = setup
        self.fsx_cfg = fsx_cfg


def aircraft(cfg=SIM_CFG, name="C172", where="Airplanes"):
    return {"C:\\FSX\\SimObjects\\%s\\%s\\aircraft.cfg" % (where, name): cfg}


def with_files(*dicts):
    merged = {}
    for d in dicts:
        merged.update(d)
    return merged


def read_only(path):
    def setup(host):
        os.chmod(host(path), 0o444)
    return setup


def symlinked_cfg(host):
    cfg = host(C172 + "aircraft.cfg")
    real = host("C:\\elsewhere\\real.cfg")
    os.makedirs(os.path.dirname(real))
    os.rename(cfg, real)
    os.symlink(real, cfg)


def raw_registry(app_path_line):
    return (b"WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Microsoft Games\\\\"
            b"Flight Simulator\\\\10.0] 1\n" + app_path_line + b"\n\n"
            b"[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
            b'"AppData"="C:\\\\users\\\\pilot\\\\AppData\\\\Roaming"\n')


TEXTURES = with_files(aircraft(), {
    "C:\\Downloads\\repaint\\fltsim.cfg": REPAINT,
    "C:\\Downloads\\repaint\\texture.Green\\a.dds": b"green",
    "C:\\Downloads\\repaint\\texture.Green\\b.bmp": b"green b",
    "C:\\Downloads\\repaint\\TEXTURE.BLUE2\\c.dds": b"blue2",
    "C:\\Downloads\\repaint\\texture.blue2\\sub\\x": b"nested",
    "C:\\Downloads\\repaint\\texture.Unused\\u.dds": b"unused",
    "C:\\Downloads\\repaint\\texture": None,
    "C:\\FSX\\SimObjects\\Airplanes\\C172\\texture.Red\\r.dds": b"red",
    "C:\\FSX\\SimObjects\\Airplanes\\C172\\texture.Blue\\b.dds": b"blue",
})

SCENARIOS = [
    # Front end.
    Scenario("banner and help", [[], ["help"], ["HeLp"], ["help", "me"]]),
    Scenario("recognition and arity", [
        ["PRINT_VERSION", "x"], ["print_versionXYZ"], ["FROBNICATE"], ["VERIFY_TITLE", "C172"],
        ["BINPATCH_MAKE", "a", "b"], ["BINPATCH_APPLY_TO_FSX", "a"],
        ["DUMP_ALL_TEXTURE_TITLE"], ["INSTALL_VARIANT_BY_PATH", "x"],
        ["PRINT_PATH_AIRCRAFT", "x" * 1024], ["PRINT_PATH_AIRCRAFT", "x" * 1023],
        ["VERIFY_TITLE", "C172", "/SHOW_EOL_COMMENTS"]], files=aircraft()),
    Scenario("wide arguments narrowed", [
        ["PRINT_PATH_AIRCRAFT", "Caf\u00e9"], ["PRINT_PATH_AIRCRAFT", "\u0141ata"],
        ["VERIFY_AIRCRAFT", "caf\u00e9"], ["DUMP_ALL_AIRCRAFT"]],
        files=with_files(aircraft(name="Caf\u00e9"), aircraft(name="Aata"))),
    Scenario("file names differing in Latin-1 case", [["VERIFY_AIRCRAFT", "caf\u00c9"]],
             files=aircraft(name="Caf\u00e9"),
             known="Windows file names ignore the case of every letter, POSIX of ASCII only"),
    Scenario("device names are not files", [
        ["APPEND_TEXT", "C172", "NUL"], ["APPEND_TEXT", "C172", "c:\\work\\con.txt"],
        ["INSTALL_VARIANT", "C172", "CON"], ["BINPATCH_APPLY_TO_FSX", "aux", "nul"]],
        files=aircraft()),
    Scenario("device names as output files", [
        ["BINPATCH_MAKE", "old.bin", "new.bin", "NUL.patch"]],
        files={"C:\\work\\old.bin": OLD_BIN, "C:\\work\\new.bin": NEW_BIN}),
    Scenario("trailing dots in names", [
        ["PRINT_PATH_AIRCRAFT", "C172."], ["VERIFY_TITLE", "C172.", "Cessna Red"],
        ["APPEND_TEXT", "C172", "add.txt."]],
        files=with_files(aircraft(), {"C:\\work\\add.txt": b"[x]\r\n"})),
    Scenario("two folders differing only in case", [
        ["PRINT_PATH_AIRCRAFT", "c172"], ["DUMP_ALL_TITLE", "c172"], ["DUMP_ALL_TITLE", "C172"],
        ["DUMP_ALL_AIRCRAFT"]],
        files=with_files(aircraft(), aircraft(crlf("[fltsim.0]", "title=lower"), name="c172"))),
    # Simulator location.
    Scenario("simulator folder", [["PRINT_PATH_FSX"], ["DUMP_ALL_AIRCRAFT"]], files=aircraft()),
    Scenario("no simulator registry value", [
        ["PRINT_PATH_FSX"], ["PRINT_PATH_AIRCRAFT", "C172"], ["VERIFY_AIRCRAFT", "C172"]],
        files=aircraft(), registry=user_reg(None)),
    Scenario("registry escapes", [["PRINT_PATH_FSX"]],
             registry=raw_registry(b'"AppPath"=str(2):"D:\\\\Jeux\\\\Caf\\xe9\\x141\\t\\\\"')),
    Scenario("registry value of 511 characters", [["PRINT_PATH_FSX"]],
             registry=user_reg("C:\\" + "x" * 508)),
    Scenario("registry value of 512 characters", [["PRINT_PATH_FSX"]],
             registry=user_reg("C:\\" + "x" * 509)),
    Scenario("simulator folder without final separator", [
        ["PRINT_PATH_AIRCRAFT", "C172"], ["DUMP_ALL_TITLE", "C172"]],
        files=aircraft(), registry=user_reg("c:\\fsx")),
    Scenario("application data folder ending in a separator", [["PRINT_PATH_AIRCRAFT", "C172"]],
             files=aircraft(),
             registry=user_reg("C:\\FSX\\", app_data="C:\\users\\pilot\\AppData\\Roaming\\")),
    Scenario("no fsx.cfg", [["PRINT_PATH_FSX"], ["PRINT_PATH_AIRCRAFT", "C172"],
                            ["DUMP_ALL_AIRCRAFT"]], files=aircraft(), fsx_cfg=None),
    Scenario("SimObjects paths and listing order", [
        ["DUMP_ALL_AIRCRAFT"], ["PRINT_PATH_AIRCRAFT", "bell"], ["PRINT_PATH_AIRCRAFT", "c172"],
        ["PRINT_PATH_AIRCRAFT", "Spit"], ["PRINT_PATH_AIRCRAFT", "Empty"],
        ["PRINT_PATH_AIRCRAFT", "..\\Airplanes\\C172"], ["PRINT_PATH_AIRCRAFT", "sub/inner"],
        ["PRINT_PATH_AIRCRAFT", "C1*"], ["VERIFY_AIRCRAFT", "zulu"]],
        files=with_files(aircraft(), aircraft(name="Bell", where="Rotorcraft"),
                         aircraft(name="C172", where="Rotorcraft"), aircraft(name="alpha"),
                         aircraft(name="Zulu"), aircraft(name="\u00e9clair"),
                         aircraft(name="sub\\inner"),
                         {"C:\\Addons\\Planes\\Spit\\aircraft.cfg": SIM_CFG,
                          "C:\\FSX\\SimObjects\\Airplanes\\Empty": None,
                          "C:\\FSX\\SimObjects\\Airplanes\\readme.txt": b"x"}),
        fsx_cfg=b"[main]\nSimObjectPaths.0=SimObjects\\Airplanes\nSimObjectPaths.1 = "
                b"SimObjects\\Rotorcraft\r\nSimObjectPaths.2=c:\\Addons\\Planes"),
    Scenario("first SimObjects path missing", [["DUMP_ALL_AIRCRAFT"],
                                               ["PRINT_PATH_AIRCRAFT", "C172"]],
             files=aircraft(), fsx_cfg=b"[MAIN]\r\nSimObjectPaths.0=SimObjects\\Gone\r\n"
                                       b"SimObjectPaths.1=SimObjects\\Airplanes\r\n"),
    # Reading aircraft.cfg.
    Scenario("verify and list variants", [
        ["VERIFY_AIRCRAFT", "C172"], ["VERIFY_TITLE", "c172", "cessna red"],
        ["VERIFY_TITLE", "C172", "Cessna Green"], ["VERIFY_TEXTURE", "C172", "BLUE"],
        ["VERIFY_TEXTURE", "C172", "none"], ["DUMP_ALL_TITLE", "C172"],
        ["DUMP_ALL_TEXTURE", "C172"], ["DUMP_ALL_TEXTURE_TITLE", "C172"],
        ["DUMP_ALL_TITLE", "B737"]], files=aircraft()),
    Scenario("read parameters", [
        ["READ_GLOBAL_PARAMETER", "C172", "General", "atc_model"],
        ["READ_GLOBAL_PARAMETER", "C172", "general", "ATC_MODEL", "/SHOW_EOL_COMMENTS"],
        ["READ_GLOBAL_PARAMETER", "C172", "General", "missing"],
        ["READ_VARIANT_PARAMETER_BY_TITLE", "C172", "Cessna Red", "ui_variation"],
        ["READ_VARIANT_PARAMETER_BY_TITLE", "C172", "Cessna Red", "ui_variation",
         "/SHOW_EOL_COMMENTS"],
        ["READ_VARIANT_PARAMETER_BY_TEXTURE", "C172", "blue", "title"],
        ["READ_VARIANT_PARAMETER_BY_TEXTURE", "C172", "nope", "title"]], files=aircraft()),
    Scenario("change parameters", [
        ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "PIPER"],
        ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "new_key", "1"],
        ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "new_key", "1", "/ADD_MISSING_PARAMETER"],
        ["CHANGE_VARIANT_PARAMETER_BY_TITLE", "C172", "Cessna Blue", "texture", "Navy"],
        ["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "red", "ui_variation", "Rouge"],
        ["CHANGE_VARIANT_PARAMETER_BY_TEXTURE", "C172", "gone", "x", "y"],
        ["READ_VARIANT_PARAMETER_BY_TEXTURE", "C172", "navy", "title"]], files=aircraft()),
    Scenario("text mode edges survive an edit", [
        ["CHANGE_GLOBAL_PARAMETER", "A", "S", "k", "2"], ["READ_GLOBAL_PARAMETER", "A", "S", "odd"]],
        files=aircraft(b"[S]\r\nk=1\r\ndescription=" + b"x" * 3000 + b"\r\nodd=a\rb\r\nnul=a\x00b"
                       b"\n\nlf=only\n\x1a tail \xff!", name="A")),
    Scenario("read-only aircraft.cfg", [
        ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "X"],
        ["REMOVE_VARIANT_BY_TITLE", "C172", "Cessna Red"], ["SANITIZE_VARIANTS", "C172"]],
        files=aircraft(), setup=read_only(C172 + "aircraft.cfg")),
    Scenario("symlinked aircraft.cfg", [
        ["CHANGE_GLOBAL_PARAMETER", "C172", "General", "atc_type", "X"],
        ["READ_GLOBAL_PARAMETER", "C172", "General", "atc_type"]],
        files=aircraft(), setup=symlinked_cfg),
    # Variant management.
    Scenario("install with texture folders", [
        ["INSTALL_VARIANT", "C172", "C:\\Downloads\\repaint\\fltsim.cfg", "/COPY_TEXTURE_FOLDERS",
         "/ALLOW_DUPLICATES_BY_TITLE"], ["DUMP_ALL_TEXTURE_TITLE", "C172"]], files=TEXTURES),
    Scenario("install, copy and delete texture folders", [
        ["INSTALL_VARIANT", "c172", "..\\Downloads\\repaint\\FLTSIM.CFG", "/COPY_TEXTURE_FOLDERS",
         "/DELETE_TEXTURE_FOLDERS_AFTER_INSTALL", "/PREVENT_DUPLICATES_BY_TEXTURE"]],
        files=TEXTURES),
    Scenario("install refusing a duplicate title", [
        ["INSTALL_VARIANT", "C172", "C:/Downloads/repaint/fltsim.cfg"],
        ["INSTALL_VARIANT", "C172", "C:/Downloads/repaint/fltsim.cfg",
         "/PREVENT_DUPLICATES_BY_TEXTURE"]], files=TEXTURES),
    Scenario("install by path and from the aircraft folder", [
        ["INSTALL_VARIANT_BY_PATH", "C:\\FSX\\SimObjects\\Airplanes\\C172",
         "C:\\Downloads\\repaint\\fltsim.cfg", "/ALLOW_DUPLICATES_BY_TITLE"],
        ["INSTALL_VARIANT", "C172", "repaint.cfg", "/SOURCEFILE_IN_AIRCRAFT_FOLDER",
         "/DELETE_SOURCEFILE_AFTER_INSTALL", "/COPY_TEXTURE_FOLDERS"]],
        files=with_files(TEXTURES, {C172 + "repaint.cfg": crlf("[fltsim.0]", "title=Local",
                                                               "texture=Local")})),
    Scenario("install failures", [
        ["INSTALL_VARIANT", "C172", "C:\\nowhere.cfg"],
        ["INSTALL_VARIANT", "B737", "C:\\Downloads\\repaint\\fltsim.cfg"],
        ["INSTALL_VARIANT", "C172", ""], ["INSTALL_VARIANT", "C172", "C:\\Downloads\\repaint"],
        ["INSTALL_VARIANT", "C172", "C:\\Downloads\\repaint\\empty.cfg"]],
        files=with_files(TEXTURES, {"C:\\Downloads\\repaint\\empty.cfg": b"\r\n"})),
    Scenario("remove non-destructively", [
        ["REMOVE_VARIANT_BY_TITLE", "C172", "cessna red"], ["DUMP_ALL_TITLE", "C172"],
        ["REMOVE_VARIANT_BY_TEXTURE", "C172", "nope"]], files=TEXTURES),
    Scenario("remove destructively with the texture folder", [
        ["REMOVE_VARIANT_BY_TEXTURE", "C172", "red", "/REMOVAL_DESTRUCTIVE",
         "/REMOVAL_DELETETEXTUREFOLDER"],
        ["REMOVE_VARIANT_BY_TITLE", "C172", "Cessna Blue", "/REMOVAL_DESTRUCTIVE",
         "/REMOVAL_DELETETEXTUREFOLDER", "/REMOVAL_NONDESTRUCTIVE"], ["DUMP_ALL_TEXTURE", "C172"]],
        files=TEXTURES),
    Scenario("sanitize and append", [
        ["SANITIZE_VARIANTS", "R"], ["APPEND_TEXT", "R", "add.txt"],
        ["APPEND_TEXT", "R", "C:\\work\\missing.txt"], ["SANITIZE_VARIANTS", "nope"]],
        files=with_files(aircraft(crlf("[fltsim.5]", "title=A", "", "[FLTSIM.5]", "title=B",
                                       "[fltsim.x]", "title=C", "", "", final_line_end=True),
                                  name="R"),
                         {"C:\\work\\add.txt": b"\r\n[extra]\nline=1\r\n\x1a hidden"})),
    # Binary patches.
    Scenario("make and apply a patch", [
        ["BINPATCH_MAKE", "old.bin", "C:\\work\\new.bin", "update.patch"],
        ["BINPATCH_APPLY", "C172", "panel\\gauge.bin", "C:\\work\\update.patch"],
        ["BINPATCH_APPLY", "C172", "panel\\gauge.bin", "C:\\work\\update.patch"],
        ["BINPATCH_APPLY_TO_FSX", "Gauges\\g.bin", "update.patch"],
        ["BINPATCH_MAKE", "new.bin", "new.bin", "same.patch"],
        ["BINPATCH_MAKE", "C:\\FSX\\Gauges\\other.bin", "old.bin", "back.patch"],
        ["BINPATCH_APPLY_TO_FSX", "Gauges\\other.bin", "back.patch"]],
        files=with_files(aircraft(), {
            "C:\\work\\old.bin": OLD_BIN, "C:\\work\\new.bin": NEW_BIN,
            C172 + "panel\\gauge.bin": OLD_BIN, "C:\\FSX\\Gauges\\g.bin": OLD_BIN,
            "C:\\FSX\\Gauges\\other.bin": NEW_BIN})),
    Scenario("patch failures", [
        ["BINPATCH_MAKE", "missing.bin", "new.bin", "p.patch"],
        ["BINPATCH_APPLY", "C172", "panel\\none.bin", "p.patch"],
        ["BINPATCH_APPLY", "C172", "panel\\gauge.bin", "bad.patch"],
        ["BINPATCH_APPLY_TO_FSX", "Gauges\\g.bin", "missing.patch"]],
        files=with_files(aircraft(), {
            "C:\\work\\new.bin": NEW_BIN, C172 + "panel\\gauge.bin": OLD_BIN,
            "C:\\work\\bad.patch": b"bdiff02\x1a" + b"\x00" * 40,
            "C:\\FSX\\Gauges\\g.bin": OLD_BIN})),
]


class Build:
    def __init__(self, name, command, argv0):
        self.name = name
        self.command = command
        self.argv0 = argv0


def scenario_roots(prefix, scenario):
    """The host folders a scenario owns: every top folder of drive_c it
    names, the work folder and the simulator's settings folder."""
    roots = {prefix.host("C:\\work"), prefix.host(prefix.app_data() + "\\Microsoft\\FSX"),
             prefix.host("C:\\FSX"), prefix.host("C:\\elsewhere")}
    for path in scenario.files:
        roots.add(prefix.host("C:\\" + path[3:].replace("/", "\\").split("\\")[0]))
    return sorted(roots)


def snapshot(roots):
    """Every entry below the roots: kind, read-only flag and bytes."""
    seen = {}
    for root in roots:
        if not os.path.lexists(root):
            continue
        for folder, dirs, files in os.walk(root):
            for name in dirs + files:
                path = os.path.join(folder, name)
                st = os.lstat(path)
                if stat.S_ISLNK(st.st_mode):
                    entry = ("link", os.readlink(path))
                elif stat.S_ISDIR(st.st_mode):
                    entry = ("folder",)
                else:
                    with open(path, "rb") as f:
                        entry = ("file", not (st.st_mode & 0o222), f.read())
                seen[path] = entry
    return seen


class DiffPrefix:
    """The real prefix, laid out for one scenario at a time."""

    def __init__(self):
        self.real = real_prefix()
        self.drive_c = self.real.drive_c

    def host(self, windows_path):
        parts = [p for p in windows_path[2:].replace("\\", "/").split("/") if p]
        return os.path.join(self.drive_c, *parts)

    def app_data(self):
        return self.real.app_data()

    def lay_out(self, scenario):
        self.real.clean()
        os.makedirs(self.host("C:\\work"))
        os.makedirs(self.host("C:\\FSX\\SimObjects\\Airplanes"))
        os.makedirs(self.host("C:\\FSX\\SimObjects\\Rotorcraft"))
        if scenario.fsx_cfg is not None:
            write(self.host(self.app_data() + "\\Microsoft\\FSX\\fsx.cfg"), scenario.fsx_cfg)
        for path, data in scenario.files.items():
            if data is None:
                os.makedirs(self.host(path), exist_ok=True)
            else:
                write(self.host(path), data)
        if scenario.setup:
            scenario.setup(self.host)
        # Both builds read user.reg: the POSIX one needs it written out.
        self.real.apply_user_reg(scenario.registry, flush=True)

    def run_scenario(self, scenario, build):
        self.lay_out(scenario)
        env = dict(self.real.env())
        env.pop("FUSELOX_VERBOSE", None)
        outputs = []
        for args in scenario.steps:
            out, code, _ = run_captured(build.command + args, cwd=self.host("C:\\work"), env=env)
            outputs.append((args, out.replace(build.argv0.encode("latin-1"), b"<program>"), code))
        return outputs, snapshot(scenario_roots(self, scenario))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def describe(entry):
    if entry is None:
        return "absent"
    if entry[0] == "file":
        text = entry[2][:120]
        return "file%s of %d bytes %r%s" % (" (read-only)" if entry[1] else "", len(entry[2]), text,
                                           "..." if len(entry[2]) > 120 else "")
    return " ".join(str(part) for part in entry)


def compare(scenario, results, builds):
    (out_a, files_a), (out_b, files_b) = results
    problems = []
    for (args, stdout_a, code_a), (_, stdout_b, code_b) in zip(out_a, out_b):
        if (stdout_a, code_a) != (stdout_b, code_b):
            problems.append("  %s\n    %s: %r exit %d\n    %s: %r exit %d" % (
                " ".join(args)[:120], builds[0].name, stdout_a[:300], code_a, builds[1].name,
                stdout_b[:300], code_b))
    for path in sorted(set(files_a) | set(files_b)):
        if files_a.get(path) != files_b.get(path):
            problems.append("  file %s\n    %s: %s\n    %s: %s" % (
                path, builds[0].name, describe(files_a.get(path)), builds[1].name,
                describe(files_b.get(path))))
    return problems


def main():
    if len(sys.argv) < 3 or not harness.WINE_PREFIX:
        sys.exit(__doc__)
    show = "--show" in sys.argv
    posix, windows = (os.path.abspath(p) for p in sys.argv[1:3])
    wanted = set(sys.argv[3:]) - {"--show"}
    builds = [Build("posix", [posix], posix),
              Build("windows", ["wine", windows], "Z:" + windows.replace("/", "\\"))]
    prefix = DiffPrefix()
    # Scenarios that share a registry state run together: a change costs a
    # restart of wineserver so that the POSIX build sees it.
    scenarios = [s for s in SCENARIOS if not wanted or s.name in wanted]
    scenarios.sort(key=lambda s: s.registry != SCENARIOS[0].registry)
    differing = known = 0
    for scenario in scenarios:
        results = [prefix.run_scenario(scenario, build) for build in builds]
        problems = compare(scenario, results, builds)
        if show:
            for args, stdout, code in results[0][0]:
                print("  %s -> %r %d" % (" ".join(args)[:100], stdout[:200], code))
        if not problems:
            print("same     %s%s" % (scenario.name, " (known difference gone: drop the note)"
                                     if scenario.known else ""))
            continue
        print("%s %s%s" % ("known   " if scenario.known else "DIFFERS ", scenario.name,
                           ": " + scenario.known if scenario.known else ""))
        for problem in problems:
            print(problem)
        known += bool(scenario.known)
        differing += not scenario.known
    prefix.real.clean()
    print("%d of %d scenarios differ (%d known differences)" % (differing, len(scenarios), known))
    sys.exit(1 if differing else 0)


if __name__ == "__main__":
    main()
