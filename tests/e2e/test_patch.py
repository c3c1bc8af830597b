"""Binary patches end to end: BINPATCH_MAKE, BINPATCH_APPLY, BINPATCH_APPLY_TO_FSX."""

import os

from harness import PrefixTest, read, write

OLD = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"
PATCH_XX = (b"2b1f468fbb6f23893ca4bc004521210f" + b"bdiff02\x1a" + b"\x1e\x00\x00\x00\x20\x00\x00\x00"
            + b"\x2b\x02\x00\x00\x00xx" + b"\x40\x00\x00\x00\x00\x1e\x00\x00\x00\x87\x48\x55\x95")


class PatchTest(PrefixTest):
    def setUp(self):
        super().setUp()
        self.work = os.path.join(self.tmp, "work")
        write(os.path.join(self.work, "old.bin"), OLD)
        write(os.path.join(self.work, "new.bin"), b"xx" + OLD)
        self.folder = self.p.aircraft("C172", b"[fltsim.0]\r\ntitle=A\r\ntexture=a")
        self.target = os.path.join(self.folder, "model", "c172.mdl")
        write(self.target, OLD)

    def make(self, *args, expected=b"NOERROR\n", code=1):
        self.assertRun(["BINPATCH_MAKE"] + list(args), expected, code, cwd=self.work)

    def test_make_writes_the_worked_example_byte_for_byte(self):
        self.make("old.bin", "new.bin", "x.bdiff")
        self.assertEqual(PATCH_XX, read(os.path.join(self.work, "x.bdiff")))
        self.assertFalse(os.path.exists(os.path.join(self.work, "x.bdiff.temp")))

    def test_make_refuses_in_order(self):
        self.make("missing.bin", "new.bin", "x.bdiff", expected=b"ERROR1\n", code=0)
        self.make("old.bin", "missing.bin", "x.bdiff", expected=b"ERROR\n", code=0)
        self.make("old.bin", "OLD.BIN", "x.bdiff", expected=b"ERROR\n", code=0)
        self.make("old.bin", "new.bin", "./old.bin", expected=b"ERROR\n", code=0)
        self.assertEqual(OLD, read(os.path.join(self.work, "old.bin")))
        write(os.path.join(self.work, "empty.bin"), b"")
        self.make("empty.bin", "new.bin", "e.bdiff", expected=b"ERROR\n", code=0)
        self.assertFalse(os.path.exists(os.path.join(self.work, "e.bdiff")))

    def test_apply_in_an_aircraft_folder_and_once_only(self):
        self.make("old.bin", "new.bin", "x.bdiff")
        patch = os.path.join(self.work, "x.bdiff")
        self.assertRun(["BINPATCH_APPLY", "C172", "model\\C172.MDL", patch], b"NOERROR\n", 1)
        self.assertEqual(b"xx" + OLD, read(self.target))
        self.assertFalse(os.path.exists(self.target + ".temp"))
        self.assertRun(["BINPATCH_APPLY", "C172", "model\\c172.mdl", patch], b"ERROR\n", 0)
        self.assertEqual(b"xx" + OLD, read(self.target))

    def test_apply_to_the_simulator_folder_accepts_a_capital_digest(self):
        write(os.path.join(self.p.sim, "fsx.dat"), OLD)
        upper = PATCH_XX[:32].upper() + PATCH_XX[32:]
        write(os.path.join(self.work, "u.bdiff"), upper)
        self.assertRun(["BINPATCH_APPLY_TO_FSX", "fsx.dat", os.path.join(self.work, "u.bdiff")],
                       b"NOERROR\n", 1)
        self.assertEqual(b"xx" + OLD, read(os.path.join(self.p.sim, "fsx.dat")))

    def test_apply_failures_leave_the_target_alone(self):
        patch = os.path.join(self.work, "bad.bdiff")
        cases = [
            PATCH_XX[:40],                                  # cut inside the header
            PATCH_XX[:32] + b"bdiff03\x1a" + PATCH_XX[40:],  # foreign magic
            PATCH_XX[:-1] + b"\x96",                       # wrong copy checksum
            PATCH_XX + b"\n",                              # unknown record kind
            PATCH_XX[:50],                                  # cut inside a literal record
        ]
        for data in cases:
            write(patch, data)
            self.assertRun(["BINPATCH_APPLY", "C172", "model\\c172.mdl", patch], b"ERROR\n", 0)
            self.assertEqual(OLD, read(self.target))
            self.assertFalse(os.path.exists(self.target + ".temp"))
        self.assertRun(["BINPATCH_APPLY", "B737", "model\\c172.mdl", patch], b"ERROR\n", 0)
        self.p.write_user_reg(None)
        self.assertRun(["BINPATCH_APPLY_TO_FSX", "fsx.dat", patch], b"ERROR\n", 0)

    def test_a_read_only_target_keeps_its_content(self):
        self.make("old.bin", "new.bin", "x.bdiff")
        os.chmod(self.target, 0o444)
        self.assertRun(["BINPATCH_APPLY", "C172", "model\\c172.mdl", os.path.join(self.work, "x.bdiff")],
                       b"ERROR\n", 0)
        self.assertEqual(OLD, read(self.target))
