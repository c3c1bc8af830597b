"""Binary patches end to end, the worked example of docs/patch_format.md byte for byte."""

import hashlib
import struct

from harness import E, OK, Case as C, PrefixTest
from test_commands import SIMPLE, read_only

OLD, NEW, MDL = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", b"xxABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "C/m.mdl"
PATCH_XX = (b"2b1f468fbb6f23893ca4bc004521210fbdiff02\x1a\x1e\x00\x00\x00\x20\x00\x00\x00\x2b\x02"
            b"\x00\x00\x00xx\x40\x00\x00\x00\x00\x1e\x00\x00\x00\x87\x48\x55\x95")


def patch(records, new_size, old=OLD, magic=b"bdiff02\x1a", old_size=None):
    return (hashlib.md5(old).hexdigest().encode() + magic +
            struct.pack("<II", len(old) if old_size is None else old_size, new_size) + records)


def literal(data, length=None):
    return b"+" + struct.pack("<I", len(data) if length is None else length) + data


def copy(offset, length, checksum=0):
    return b"@" + struct.pack("<III", offset, length, checksum)


APPLY, BIG = "BINPATCH_APPLY C m.mdl p.bdiff", 0x7FFFFFFF
BAD = [  # patches that must leave the file alone; sizes near 2^31 are never trusted
    (PATCH_XX[:40], "bad header"), (PATCH_XX + b"\n", "record kind 0x0A at byte 68"),
    (PATCH_XX[:-1] + b"\x96", "checksum"), (PATCH_XX[:50], ""),
    (patch(literal(b"x"), 1, magic=b"bdiff03\x1a"), "not a patch"),
    (patch(literal(b"x"), 1, old=b"other"), "not the file this patch was made for"),
    (patch(literal(b"0123456789")[:-4], 10), "ends at byte 59"),
    (patch(literal(b"ab") + copy(500, 24), 26), "record at byte 55"),
    (patch(literal(b"abc"), 4), "do not add up"), (patch(literal(b"abcdef"), 3), "more"),
    (patch(b"", BIG, old_size=BIG), ""), (patch(literal(b"abcd"), BIG + 1), ""),
    (patch(literal(b"abcd"), 0xFFFFFFFF), ""), (patch(literal(b"abc", BIG), BIG), ""),
    (patch(literal(b"abc", BIG + 1), BIG), ""), (patch(literal(b"abc", 0xFFFFFFFF), 16), ""),
    (patch(copy(BIG - 15, 32), BIG), "outside the old file"),
    (patch(copy(0, BIG), BIG, old_size=BIG), ""), (patch(copy(0xFFFFFFF0, 32), 32), ""),
    (patch(copy(0, 0xFFFFFFFF), 32), ""), (patch(copy(BIG, BIG), BIG), ""),
    (patch(copy(len(OLD) - 16, 64), 64, old_size=BIG), "")]
PATCHES = ({"C/aircraft.cfg": SIMPLE, MDL: OLD, "/work/old.bin": OLD, "/work/new.bin": NEW,
            "/work/empty.bin": b"", "/work/p.bdiff": PATCH_XX}, [
    C("BINPATCH_MAKE old.bin new.bin x.bdiff", OK, after={"/work/x.bdiff": PATCH_XX}),
    C("BINPATCH_MAKE no.bin new.bin x.bdiff", b"ERROR1\n", why="no.bin: cannot be opened"),
    C("BINPATCH_MAKE old.bin gone.bin x.bdiff", E, why="gone.bin: cannot be opened"),
    C("BINPATCH_MAKE old.bin OLD.BIN x.bdiff", E, why="three different files"),
    C("BINPATCH_MAKE old.bin new.bin ./old.bin", E),
    C("BINPATCH_MAKE empty.bin new.bin e.bdiff", E, why="empty old file"),
    C("BINPATCH_APPLY C M.MDL C:\\work\\p.bdiff", OK, after={MDL: NEW}),
    C(APPLY, E, {MDL: NEW}, why="not the file this patch was made for"),
    C("BINPATCH_APPLY_TO_FSX SimObjects\\Airplanes\\C\\m.mdl p.bdiff", OK,
      {"/work/p.bdiff": PATCH_XX[:32].upper() + PATCH_XX[32:]}, {MDL: NEW}),
    C(APPLY, E, {MDL: read_only(OLD)}, why="m.mdl: the file is read-only"),
    C("BINPATCH_APPLY C m.mdl no.bdiff", E, why="no.bdiff: the patch cannot be"),
    C("BINPATCH_APPLY C gauge.bin p.bdiff", E, why="gauge.bin: cannot be opened"),
    C("BINPATCH_APPLY B737 m.mdl p.bdiff", E, why='"B737" not found'),
] + [C(APPLY, E, {"/work/p.bdiff": data}, why=why) for data, why in BAD])


class PatchTest(PrefixTest):
    TABLES = (PATCHES,)
