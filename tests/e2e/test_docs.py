"""The documents' examples as they stand; README.md, "The examples are tested", says how."""

import os
import re

from harness import COMMAND, UNDER_WINE, WINE_PREFIX, PrefixTest, read, run_captured, write

ROOT, TROFF = os.path.join(os.path.dirname(__file__), "..", ".."), {"e": "\\", "-": "-", "&": ""}
SAMPLE = {k + os.path.relpath(os.path.join(d, n), os.path.join(ROOT, top)): read(
    os.path.join(d, n)) for top, k in (("examples/sample-sim/drive_c", "/"), ("examples/repaint",
    "/work/repaint/")) for d, _, names in os.walk(os.path.join(ROOT, top)) for n in names}
SAMPLE["FSX.CFG"] = SAMPLE.pop("/users/pilot/AppData/Roaming/Microsoft/FSX/fsx.cfg")


def examples(text):  # (kind, script, what it prints) of each sh or bat block
    blocks = re.findall(r"^```(sh|bat|output)\n(.*?)^```$", text, re.M | re.S) + [
        (kind, re.sub(r"\\([-e&])", lambda m: TROFF[m.group(1)], body)) for kind, body in
        re.findall(r'^\.\\" (sh|bat|output)\n\.EX\n(.*?^)\.EE$', text, re.M | re.S)]
    for (kind, body), after in zip(blocks, blocks[1:] + [("", "(an output block)")]):
        run = [(line[:2] in ("$ ", "> "), line) for line in body.splitlines(True)]
        yield (kind, "exec 2>&1\n" + "".join(x[2:] for r, x in run if r), "".join(
            x for r, x in run if not r)) if kind == "sh" else (kind, body, after[1])


class DocumentTest(PrefixTest):
    def test_examples(self):
        env = dict(os.environ, FUSELOX_VERBOSE="", WINEDEBUG="-all",
                   PATH=os.path.dirname(COMMAND[-1]) + os.pathsep + os.environ["PATH"])
        for name in ("README.md", "docs/fuselox.1.in"):
            for kind, script, shown in examples(read(os.path.join(ROOT, name)).decode()):
                if kind == "output" or (kind == "bat") != UNDER_WINE:
                    continue
                with self.subTest(name + ": " + script[:90]):
                    self.p.reset(SAMPLE)
                    w = self.p.path("/work/repaint")
                    write(w + "/fuselox.exe", read(COMMAND[-1]))
                    write(w + "/example.bat", script.replace("\n", "\r\n").encode())
                    out = run_captured(["wine", "cmd", "/c", "C:\\work\\repaint\\example.bat"]
                                       if UNDER_WINE else ["bash", "-c", script], w + "/..",
                                       dict(env, WINEPREFIX=WINE_PREFIX or self.p.root))
                    self.assertEqual(shown, b"".join(out[::2]).decode("latin-1").replace("\r", ""))
