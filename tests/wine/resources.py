"""fuselox.exe's resources as Windows reads them (read_resources.exe under
Wine): the version shown in the file's properties is the one PRINT_VERSION
prints, and the manifest runs the program as its caller, allows long paths
and names the Windows releases it supports.

Usage: resources.py READ_RESOURCES_EXE FUSELOX_EXE   (WINEPREFIX set)
"""

import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def wine(*args):
    # Output through a file, not a pipe: the prefix's wineserver outlives the run.
    with tempfile.TemporaryFile() as out:
        rc = subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, stdout=out,
                            timeout=120).returncode
        out.seek(0)
        return out.read(), rc


def main(reader, program):
    program = os.path.abspath(program)
    out, rc = wine(program, "PRINT_VERSION")
    assert rc == 1 and out.endswith(b"\n"), (out, rc)
    version = out[:-1].decode()
    out, rc = wine(reader, "Z:" + program.replace("/", "\\"))
    assert rc == 0, "read_resources.exe found no version resource or no manifest"
    head, manifest = out.split(b"Manifest=", 1)
    values = dict(line.split("=", 1) for line in head.decode().splitlines())
    quad = ".".join((version.split(".") + ["0"] * 4)[:4])
    assert values == {"ProductName": "Fuselox", "FileVersion": version,
                      "ProductVersion": version, "Fixed": quad}, (values, version)

    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    compat = "{urn:schemas-microsoft-com:compatibility.v1}"
    root = ET.fromstring(manifest)
    assert root.tag == v1 + "assembly"
    assert root.find(v1 + "assemblyIdentity").get("version") == quad
    levels = [e.get("level") for e in root.iter(v3 + "requestedExecutionLevel")]
    assert levels == ["asInvoker"], levels
    long_paths = root.findall("%sapplication/%swindowsSettings/"
                              "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}longPathAware"
                              % (v3, v3))
    assert [e.text for e in long_paths] == ["true"], long_paths
    supported = {e.get("Id") for e in root.iter(compat + "supportedOS")}
    assert supported == {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
    }, supported
    print("fuselox.exe %s: version resource and manifest as expected" % version)


if __name__ == "__main__":
    main(*sys.argv[1:])
