#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into corpus/<target>/ from
the inputs the tests and the bundled examples use. Run again when those
change: python3 tests/fuzz/make_corpus.py <built fuselox>. The program
makes the seed patches."""

import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tests", "reliability"))

import harness  # noqa: E402
import scenarios  # noqa: E402


def example(*parts):
    with open(os.path.join(ROOT, "examples", *parts), "rb") as f:
        return f.read()


def e2e_byte_literals():
    """The bytes literals of the end-to-end tests that look like
    aircraft.cfg or variant source text."""
    found = []
    for name in sorted(os.listdir(os.path.join(ROOT, "tests", "e2e"))):
        if not name.startswith("test_"):
            continue
        with open(os.path.join(ROOT, "tests", "e2e", name), encoding="utf-8") as f:
            source = f.read()
        for literal in re.findall(r'b"((?:[^"\\\n]|\\.)*\[fltsim(?:[^"\\\n]|\\.)*)"', source,
                                  re.IGNORECASE):
            found.append(eval('b"%s"' % literal))  # noqa: S307 (our own test sources)
    return found


AIRCRAFT = [
    example("sample-sim", "drive_c", "FSX", "SimObjects", "Airplanes", "Fuselox_C172",
            "aircraft.cfg"),
    example("sample-sim", "drive_c", "FSX", "SimObjects", "Airplanes", "Fuselox_DC3",
            "aircraft.cfg"),
    scenarios.BASE_CFG[:1500],
    b"[fltsim.0]\r\ntitle=A\r\ntexture=a\r\n\x1a\r\n[fltsim.1]\r\n",
    b"  [FLTSIM.3]\ntitle = B // c\rd\ntexture=\n[General]\natc_type=X\n\n\xff\xff",
] + e2e_byte_literals()

SOURCES = [example("repaint", "fltsim.cfg"), scenarios.REPAINT,
           b"[fltsim.x]\ntitle=A\ntitle=A\n  texture = b \nnoequals\n[fltsim.y=1]\ntexture=c"]

FSX_CFGS = [example("sample-sim", "drive_c", "users", "pilot", "AppData", "Roaming", "Microsoft",
                    "FSX", "fsx.cfg"), harness.DEFAULT_FSX_CFG,
            b"[MAIN]\nSimObjectPaths.0=D:\\Other\\Airplanes\nSimObjectPaths.1=\n"]

USER_REGS = [example("sample-sim", "user.reg"), harness.user_reg("C:\\FSX\\"),
             harness.user_reg("C:\\Program Files (x86)\\Microsoft Games\\FSX\\\\x141\\xe9"),
             harness.user_reg(None)]


def fixed_old_file():
    """The old file of the patch target (as fuzz_patch_apply.cpp makes it)."""
    return bytes((i * 7 + (i >> 5)) & 0xFF for i in range(1000))


def seed_patches(program):
    old = fixed_old_file()
    news = [old, old[:500] + b"inserted" + old[500:], old[::-1], b"", old[100:900] * 2,
            b"x" * 40 + old[:30]]
    patches = []
    with tempfile.TemporaryDirectory() as tmp:
        with open(os.path.join(tmp, "old"), "wb") as f:
            f.write(old)
        for i, new in enumerate(news):
            with open(os.path.join(tmp, "new"), "wb") as f:
                f.write(new)
            made = subprocess.run([program, "BINPATCH_MAKE", "old", "new", "p%d" % i], cwd=tmp,
                                  stdout=subprocess.PIPE)
            assert made.stdout == b"NOERROR\n", made.stdout
            with open(os.path.join(tmp, "p%d" % i), "rb") as f:
                patch = f.read()
            assert patch[:32] == hashlib.md5(old).hexdigest().encode()
            patches.append(patch[32:])
    return patches


def write_corpus(target, inputs):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for data in inputs:
        name = hashlib.sha1(data).hexdigest()[:16]
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    write_corpus("cfg_read", AIRCRAFT)
    write_corpus("cfg_rewrite", [bytes([choice]) + data for data in AIRCRAFT
                                 for choice in (0x00, 0x40, 0x45, 0x70, 0x80, 0xC0, 0xC9)])
    write_corpus("variant_source", SOURCES)
    write_corpus("fsx_cfg", FSX_CFGS)
    write_corpus("user_reg", USER_REGS)
    write_corpus("patch_apply", seed_patches(sys.argv[1]))


if __name__ == "__main__":
    main()
