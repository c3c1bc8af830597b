"""The simulators of the family: the switches, DUMP_ALL_SIMULATORS, and where FSX Steam Edition and
Prepar3D keep their install folder and their aircraft containers."""

from test_commands import NEW, OLD, PATCH_XX
from harness import APP_DATA, DIR, E, OK, SIM, SHELL_KEY, Case as C, PrefixTest, crlf, hive, \
    user_reg

LM, SE = "Software\\Lockheed Martin\\Prepar3D v%s", "Software\\Microsoft\\Microsoft Games\\" \
    "Flight Simulator - Steam Edition\\10.0"
LOCAL, PDATA, DOCS = "C:\\sim\\Local", "C:\\sim\\ProgramData", "C:\\sim\\Docs"
SIMPLE, P5 = crlf("[fltsim.0]", "title=A", "texture=a"), "/SIMULATOR_P3D_V5"


def reg(*user, machine=(), docs=DOCS, fsx=SIM):
    """FSX, the shell folders, and more values (key, name, value) of the user and the machine."""
    shell = [(SHELL_KEY, "Local AppData", LOCAL), (SHELL_KEY, "Personal", docs)]
    return {"USER.REG": user_reg(fsx, APP_DATA, shell + list(user)),
            "SYSTEM.REG": hive([(SHELL_KEY, "Common AppData", PDATA)] + list(machine), True)}


def utf16(text, codec="utf-16-le", mark=b"\xff\xfe"):
    return mark + text.encode(codec)


def addon(*components, head='<?xml version="1.0" encoding="UTF-8"?>\n'):
    return head + '<SimBase.Document Type="AddOnXml" version="4,5" id="add-on">%s' \
        '</SimBase.Document>' % "".join("<AddOn.Component><Category>%s</Category><Path>%s</Path>"
                                        "</AddOn.Component>" % c for c in components)


ALL = {**reg((SE, "AppPath", "C:\\FSXSE"), (LM % 5, "AppPath", "C:\\P3D5\\"),
             (LM % 6, "AppPath", "C:\\P3D6\\"), machine=[
    ("Software\\Wow6432Node\\Lockheed Martin\\Prepar3D v3", "SetupPath", "C:\\P3D3\\"),
    (LM % 4, "SetupPath", "C:\\P3D4"), (LM % 5, "SetupPath", "C:\\Other")]),
       **{"/P3D%s" % v: DIR for v in "3456"}, "/FSXSE": DIR}
WRONG_VIEWS = reg((LM % 6, "AppPath", "C:\\Gone"), machine=[
    (LM % 3, "SetupPath", "C:\\P3D3"), ("Software\\Wow6432Node\\" + LM % 4, "SetupPath", "C:\\P3D4")])
FINDING = ({}, [
    C("DUMP_ALL_SIMULATORS", b"", reg(fsx=None), code=0, why="no simulator"),
    C("dump_all_simulators", b"/SIMULATOR_FSX\tC:\\FSX\\\n", dict(WRONG_VIEWS, **{
        "/P3D3": DIR, "/P3D4": DIR})),
    C("DUMP_ALL_SIMULATORS", b"/SIMULATOR_FSX\tC:\\FSX\\\n/SIMULATOR_FSX_SE\tC:\\FSXSE\n"
      b"/SIMULATOR_P3D_V3\tC:\\P3D3\\\n/SIMULATOR_P3D_V4\tC:\\P3D4\n/SIMULATOR_P3D_V5\tC:\\P3D5"
      b"\\\n/SIMULATOR_P3D_V6\tC:\\P3D6\\\n", ALL),
    C("PRINT_PATH_FSX /SIMULATOR_P3D_V5", b"C:\\P3D5\\\n", ALL),
    C("PRINT_PATH_FSX /simulator_p3d_v4", b"C:\\P3D4\n", ALL),
    C("PRINT_PATH_FSX /SIMULATOR_P3D_V3 /SIMULATOR_FSX", b"C:\\FSX\\\n", ALL),
    C("BINPATCH_APPLY_TO_FSX m.mdl p.bdiff /SIMULATOR_P3D_V5", OK, dict(ALL, **{
        "/P3D5/m.mdl": OLD, "/work/p.bdiff": PATCH_XX}), {"/P3D5/m.mdl": NEW}),
    C("PRINT_PATH_FSX /SIMULATOR_P3D_V6", E, reg(), why=("AppPath (HKCU", "SetupPath (HKLM")),
    C("PRINT_PATH_AIRCRAFT C172 /SIMULATOR_FSX_SE", b"C:\\FSXSE\\SIMOBJECTS\\AIRPLANES\\C172\\\n",
      dict(ALL, **{"/FSXSE/SimObjects/Airplanes/C172/aircraft.cfg": SIMPLE,
                   "/users/pilot/AppData/Roaming/Microsoft/FSX-SE/fsx_se.cfg": utf16(
                       "[Main]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n")})),
    C("VERIFY_AIRCRAFT C172 /SIMULATOR_FSX_SE", E, ALL, why=("cannot read", "fsx_se.cfg"))])

# Prepar3D v5 with every source of containers: simobjects.cfg (or its two default folders),
# add-ons.cfg in the three application-data folders in their encodings, discovery folders.
P3D, CFGS = "/P3D5/SimObjects/", "/Lockheed Martin/Prepar3D v5/"
SIMOBJECTS = "/sim/ProgramData" + CFGS + "simobjects.cfg"
DISCOVERED = "/Disqu\u00e9/"
PACKAGES = dict(reg((LM % 5, "AppPath", "C:\\P3D5")), **{
    P3D + "Airplanes/C172/aircraft.cfg": SIMPLE, P3D + "Rotorcraft/Heli/aircraft.cfg": SIMPLE,
    "/Fleet/Jet/aircraft.cfg": SIMPLE, "/Fleet/C172/aircraft.cfg": SIMPLE,
    "/sim/Local" + CFGS + "add-ons.cfg": b"\xef\xbb\xbf[Package.0]\r\nPATH=C:\\Pkg\\A\r\n",
    "/users/pilot/AppData/Roaming" + CFGS + "add-ons.cfg": b"[package.1]\npath = C:\\Pkg\\B\n"
    b"active = FALSE\n[DiscoveryPath.0]\nPath=C:\\Disqu\xe9\n",
    "/sim/ProgramData" + CFGS + "add-ons.cfg": utf16(
        "[Package.0]\r\nPATH=c:/pkg/a/\r\n[Package.1]\r\nPATH=C:\\Pkg\\B\r\nACTIVE=true\r\n",
        "utf-16-be", b"\xfe\xff"),
    "/Pkg/A/add-on.xml": addon(("Scenery", "Scen"), ("SimObjects", "SimObjects\\Planes")).encode(),
    "/Pkg/A/Scen/Scenic/aircraft.cfg": SIMPLE, "/Pkg/A/SimObjects/Planes/Pkg/aircraft.cfg": SIMPLE,
    "/Pkg/B/add-on.xml": addon(("SimObjects", "S")).encode(), "/Pkg/B/S/Off/aircraft.cfg": SIMPLE,
    DISCOVERED + "b2/add-on.xml": addon(("SimObjects", "S"))[:-3].encode(),
    DISCOVERED + "b2/S/Broken/aircraft.cfg": SIMPLE, "/Abs/AbsPlane/aircraft.cfg": SIMPLE,
    DISCOVERED + "A1/add-on.xml": utf16(addon(("SimObjects", "C:\\Abs"), head="")),
    "/sim/Docs/Prepar3D v5 Add-ons/Z/add-on.xml": addon(("SimObjects", "SimObjects")).encode(),
    "/sim/Docs/Prepar3D v5 Add-ons/Z/SimObjects/C172/aircraft.cfg": SIMPLE})
XML = ('<?xml version="1.0"?><!-- a package --><SimBase.Document><AddOn.Component a="1"><Path>'
       '<![CDATA[Sim]]>&#79;bjects\\P&amp;</Path><!-- x --><Category> SimObjects </Category>'
       '</AddOn.Component></SimBase.Document>')
PKG = b"C:\\Pkg\\A\\SimObjects\\Planes\\Pkg\\\n"
CONTAINERS = (PACKAGES, [
    C("DUMP_ALL_AIRCRAFT " + P5, b"C172\nHeli\nPkg\nAbsPlane\nC172\n"),
    C("VERIFY_AIRCRAFT Broken " + P5, E, why="b2\\add-on.xml is not well-formed"),
    C("PRINT_PATH_AIRCRAFT C172 " + P5, b"C:\\P3D5\\SimObjects\\Airplanes\\C172\\\n"),
    C("PRINT_PATH_AIRCRAFT Pkg " + P5, PKG), C("PRINT_PATH_AIRCRAFT Off " + P5, E),
    C("DUMP_ALL_AIRCRAFT " + P5, b"C172\nJet\nPkg\nAbsPlane\nC172\n", {SIMOBJECTS: utf16(
        "[Entry.0]\r\nTitle=x\r\nPath=SimObjects\\Airplanes\r\nActive=False\r\n[entry.1]\r\n"
        "path=C:\\Fleet") + b"!"}),  # an odd last byte is no character
    C("DUMP_ALL_AIRCRAFT " + P5, b"C172\nPkg\nAbsPlane\nC172\n", {SIMOBJECTS: b"Path=C:\\Fleet\n"
      b"[Entry.0]\nPath=SimObjects\\Airplanes\nno value\n"}),  # nothing before a section
    C("PRINT_PATH_AIRCRAFT Jet " + P5, b"C:\\A\\Jet\\\n",  # the low byte of U+0141
      {SIMOBJECTS: "[Entry.1]\nPath=C:\\\u0141".encode(), "/\u0141/Jet/aircraft.cfg": SIMPLE}),
    C("PRINT_PATH_AIRCRAFT P /simulator_P3D_v5", b"C:\\Pkg\\A\\SimObjects\\P&\\P\\\n",
      {"/Pkg/A/add-on.xml": XML.encode(), "/Pkg/A/SimObjects/P&/P/aircraft.cfg": SIMPLE}),
    C("PRINT_PATH_AIRCRAFT Pkg " + P5, PKG, {"/Pkg/A/add-on.xml": b"\xef\xbb\xbf" + XML.replace(
        "&#79;bjects\\P&amp;", "Objects\\Planes").encode()}),
    C("PRINT_PATH_AIRCRAFT Pkg " + P5, PKG, {"/Pkg/A/add-on.xml": utf16(XML.replace(
        '"1.0"', '"1.0" encoding="UTF-16"').replace("&#79;bjects\\P&amp;", "Objects\\Planes"))}),
    C("VERIFY_AIRCRAFT Pkg " + P5, E, {"/Pkg/A/add-on.xml": b"<!DOCTYPE x>" + XML.encode()},
      why="A\\add-on.xml is not well-formed"),  # as XmlLite refuses a document type
] + [C("PRINT_PATH_AIRCRAFT P " + P5, b"C:\\Pkg\\A\\Caf\xe9%c\\P\\\n" % (ord(euro) & 255), {
    "/Pkg/A/add-on.xml": addon(("SimObjects", "Caf\xe9\x80"), head='<?xml version="1.0" '
                               'encoding="%s"?>' % code).encode("latin-1"),
    "/Pkg/A/Caf\u00e9%s/P/aircraft.cfg" % euro: SIMPLE}) for code, euro in (
        ("ISO-8859-1", "\x80"), ("windows-1252", "\u20ac"))] + [
    C("PRINT_PATH_AIRCRAFT L " + P5, b"C:\\users\\\x41ukasz\\Documents\\Prepar3D v5 Add-ons"
      b"\\Z\\SimObjects\\L\\\n", dict(reg((LM % 5, "AppPath", "C:\\P3D5"),
                                            docs="C:\\users\\\u0141ukasz\\Documents"), **{
          "/users/\u0141ukasz/Documents/Prepar3D v5 Add-ons/Z/add-on.xml": addon(
              ("SimObjects", "SimObjects")).encode(),
          "/users/\u0141ukasz/Documents/Prepar3D v5 Add-ons/Z/SimObjects/L/aircraft.cfg": SIMPLE})),
    C("INSTALL_VARIANT Pkg C:\\r\\fltsim.cfg /COPY_TEXTURE_FOLDERS " + P5, b"NOERROR-1\n",
      {"/r/fltsim.cfg": b"[fltsim.9]\r\ntitle=B\r\ntexture=b\r\n", "/r/texture.b/t": b"t"},
      {"/Pkg/A/SimObjects/Planes/Pkg/aircraft.cfg": SIMPLE + b"\r\n\r\n" + crlf(
          "[fltsim.1]", "title=B", "texture=b"), "/Pkg/A/SimObjects/Planes/Pkg/texture.b/t": b"t"}),
    C("REMOVE_VARIANT_BY_TITLE Pkg B %s /REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER" % P5, OK,
      {"/Pkg/A/SimObjects/Planes/Pkg/aircraft.cfg": SIMPLE + crlf("", "[fltsim.1]", "title=B", "texture=b"),
       "/Pkg/A/SimObjects/Planes/Pkg/texture.b/t": b"t"},
      {"/Pkg/A/SimObjects/Planes/Pkg/aircraft.cfg": SIMPLE,
       "/Pkg/A/SimObjects/Planes/Pkg/texture.b": None})])


class SimulatorTest(PrefixTest):
    TABLES = (FINDING, CONTAINERS)

    def test_an_installer_serves_all_six(self):
        """What an installer does: DUMP_ALL_SIMULATORS, then one install per simulator."""
        cfgs = ["FSX/SimObjects/Airplanes", "FSXSE/SimObjects/Airplanes"] + [
            "P3D%s/SimObjects/Airplanes" % v for v in "3456"]
        self.p.reset(dict(ALL, **{"/%s/C172/aircraft.cfg" % c: SIMPLE for c in cfgs}, **{
            "/users/pilot/AppData/Roaming/Microsoft/FSX-SE/fsx_se.cfg":
                b"[Main]\nSimObjectPaths.0=SimObjects\\Airplanes\n",
            "/r/fltsim.cfg": b"[fltsim.0]\r\ntitle=B\r\ntexture=b\r\n"}))
        out, rc, _ = self.p.run("DUMP_ALL_SIMULATORS")
        switches = [line.split(b"\t")[0].decode() for line in out.splitlines()]
        self.assertEqual((1, 6), (rc, len(switches)))
        for switch in switches:
            self.assertEqual((b"NOERROR-1\n", 1, b""),
                             self.p.run("INSTALL_VARIANT", "C172", "C:\\r\\fltsim.cfg", switch))
        for cfg in cfgs:
            self.assertEqual(SIMPLE + b"\r\n\r\n" + crlf("[fltsim.1]", "title=B", "texture=b"),
                             self.p.files()["/%s/C172/aircraft.cfg" % cfg], cfg)
