"""fuselox.exe's resources, parsed from the file as the Windows loader finds them: the version
shown in the file's properties is the one PRINT_VERSION prints (under Wine), and the manifest runs
the program as its caller, allows long paths and names the Windows releases it supports.

Usage: resources.py FUSELOX_EXE   (WINEPREFIX set)
"""

import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def resources(exe):
    """{(type, name): data} of a PE32+ file: the resource tree's first language of each."""
    u16, u32 = (lambda at: struct.unpack_from("<H", exe, at)[0]), \
        (lambda at: struct.unpack_from("<I", exe, at)[0])
    pe = u32(0x3C)
    optional, sections = pe + 24, [pe + 24 + u16(pe + 20) + 40 * i for i in range(u16(pe + 6))]
    assert exe[pe:pe + 4] == b"PE\0\0" and u16(optional) == 0x20B, "not a PE32+ file"

    def offset(rva):  # of a virtual address, in the file
        return next(u32(s + 20) + rva - u32(s + 12) for s in sections
                    if u32(s + 12) <= rva < u32(s + 12) + u32(s + 8))

    tree = offset(u32(optional + 112 + 2 * 8))  # data directory 2: the resources

    def entries(table):  # (id, offset of what it leads to)
        first, count = tree + table + 16, u16(tree + table + 12) + u16(tree + table + 14)
        return [(u32(e), u32(e + 4) & 0x7FFFFFFF) for e in range(first, first + 8 * count, 8)]

    found = {}
    for kind, names in entries(0):
        for name, languages in entries(names):
            leaf = tree + entries(languages)[0][1]
            found[kind, name] = exe[offset(u32(leaf)):offset(u32(leaf)) + u32(leaf + 4)]
    return found


def version_node(block, at=0):
    """A VS_VERSIONINFO node at `at`: (key, value, children); lengths in the header, each part
    aligned to 4 bytes, a text value counted in UTF-16 units."""
    length, value_length, is_text = struct.unpack_from("<3H", block, at)
    end = next(i for i in range(at + 6, len(block), 2) if block[i:i + 2] == b"\0\0")
    value_at, size = (end + 5) & ~3, value_length * (2 if is_text else 1)
    children, child = [], (value_at + size + 3) & ~3
    while child < at + length:
        children.append(version_node(block, child))
        child = (child + struct.unpack_from("<H", block, child)[0] + 3) & ~3
    return block[at + 6:end].decode("utf-16-le"), block[value_at:value_at + size], children


def main(program):
    with tempfile.TemporaryFile() as out:  # a file, not a pipe: the wineserver outlives the run
        subprocess.run(["wine", program, "PRINT_VERSION"], stdout=out, check=False, timeout=120)
        version = (out.seek(0) or out.read()).decode().rstrip("\n")
    with open(program, "rb") as f:
        found = resources(f.read())
    key, fixed, children = version_node(found[16, 1])  # RT_VERSION
    ms, ls = struct.unpack_from("<II", fixed, 8)
    quad = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    values = {k: v.decode("utf-16-le").rstrip("\0") for c in children if c[0] == "StringFileInfo"
              for table in c[2] for k, v, _ in table[2]}
    assert (key, quad, {k: values.get(k) for k in ("ProductName", "FileVersion", "ProductVersion")}
            ) == ("VS_VERSION_INFO", ".".join((version.split(".") + ["0"] * 4)[:4]), {
                "ProductName": "Fuselox", "FileVersion": version, "ProductVersion": version}), \
        (key, quad, values, version)

    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    compat = "{urn:schemas-microsoft-com:compatibility.v1}"
    root = ET.fromstring(found[24, 1])  # RT_MANIFEST, the one read when the program starts
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
