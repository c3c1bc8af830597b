// The fuzz targets: each program runs one function of this file (FUZZ_TARGET
// names it) on every input, under the sanitizers. A crash, an overrun or a
// violated property stops the run, and libFuzzer keeps the input.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "cfg/parameters.h"
#include "cfg/variant_table.h"
#include "location/simulator.h"
#include "location/simulators.h"
#include "patch/md5.h"
#include "patch/patch_applier.h"
#include "patch/patch_format.h"
#include "platform/platform.h"
#include "protocol/request.h"
#include "text/config_text.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/text_file.h"
#include "unit/scratch_folder.h"
#include "variants/source_file.h"
#include "variants/variant_edits.h"

namespace {

using Lines = std::vector<std::string>;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  abort();
}

// In $TMPDIR, removed when libFuzzer ends the process with exit().
const ScratchFolder scratch;

// What the records build from `old`; false when the patch is invalid.
bool expectedResult(const std::string& old, const std::string& p, std::string* out) {
  auto field = [&p](size_t at) {
    return int64_t{static_cast<int32_t>(getLe32(reinterpret_cast<const uint8_t*>(&p[at])))};
  };
  if (p.size() < kSizesSize || p.compare(0, kMagicSize, kMagic, kMagicSize) != 0) return false;
  int64_t oldSize = std::min<int64_t>(field(8), old.size()), outstanding = field(12);
  for (size_t at = kSizesSize; at < p.size();) {
    uint8_t kind = static_cast<uint8_t>(p[at++]);
    if (kind == kLiteralKind && p.size() - at >= 4) {
      int64_t length = field(at) & 0xFFFFFFFF;
      if (outstanding < 0 || length > outstanding || length > int64_t(p.size() - at - 4)) {
        return false;
      }
      out->append(p, at + 4, length);
      at += 4 + length, outstanding -= length;
    } else if (kind == kCopyKind && p.size() - at >= kCopyFieldsSize) {
      int64_t offset = field(at), length = field(at + 4), checksum = field(at + 8) & 0xFFFFFFFF;
      at += kCopyFieldsSize;
      if (offset < 0 || length <= 0 || offset + length > oldSize || length > outstanding) {
        return false;
      }
      uint32_t sum = 0;  // rotate left by 2, xor the byte taken as signed
      for (int64_t i = offset; i < offset + length; ++i) {
        sum = ((sum << 2) | (sum >> 30)) ^ static_cast<uint32_t>(static_cast<int8_t>(old[i]));
      }
      if (sum != checksum) return false;
      out->append(old, offset, length), outstanding -= length;
    } else {
      return false;
    }
  }
  return outstanding == 0;
}

// The applier on any patch after the digest of a fixed old file (so that the
// records are reached): the target changes only when the patch is valid, into
// exactly what its records describe as worked out above.
void patchApply(const std::string& body) {
  std::string old(1000, '\0');
  for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>(i * 7 + (i >> 5));
  const std::string target = scratch.path("target.bin"), patch = target + ".bdiff";
  scratch.write("target.bin", old);
  scratch.write("target.bin.bdiff",
                md5OfBytes(reinterpret_cast<const uint8_t*>(old.data()), 1000) + body);
  std::string expected, err;
  bool valid = expectedResult(old, body, &expected), applied = applyPatchFile(target, patch, &err);
  if (!applied && err.empty()) fail("a failure without a reason");
  if (applied != valid) fail(applied ? "an invalid patch applied" : "a valid patch failed");
  if (scratch.read("target.bin") != (valid ? expected : old)) fail("wrong target content");
  if (std::filesystem::exists(rebuildPath(target))) fail("the rebuild file was left");
}

// The aircraft.cfg readers: the variant table, the lookups and the parameter
// reads; splitting into lines and joining them loses nothing.
void cfgRead(const std::string& bytes) {
  std::string text = decodeText(bytes).text;
  std::vector<VariantRecord> table = readVariantTable(text);
  Lines lines = splitLines(text);
  std::string joined = joinLines(lines);
  if (joined != text && joined != text + "\n") fail("split and join lost bytes");
  auto headers = std::count_if(lines.begin(), lines.end(), isVariantHeader);
  if (table.size() != static_cast<size_t>(headers)) fail("table size");
  firstNumberingGap(text);
  // Each lookup scans the whole text: a few records are enough.
  for (size_t i = 0; i < table.size() && i < 8; ++i) {
    if (!variantTextureExists(text, table[i].texture)) fail("a listed texture not found");
    findVariant(text, table[i].texture, kByTexture);
    findVariant(text, table[i].title, kByTitle);
    variantTitleExists(text, table[i].title);
  }
  const char* sections[] = {"General", "fltsim.0", "WEIGHT_AND_BALANCE"};
  for (int i = 0; i < 3; ++i) {
    readParameter("atc_type", SectionTarget::named(sections[i]), false, text);
    readParameter("title", SectionTarget::named(sections[i]), true, text);
    readParameter("texture", SectionTarget::variantAt(i), false, text);
  }
}

std::string trimmed(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && isWhiteSpace(line[i])) ++i;
  return line.substr(i);
}

// Through the real working-file rewrite, an edit that changes nothing gives
// the text back: only trailing line breaks go, and what follows a 0x1A stays.
void checkIdentityRewrite(const std::string& bytes) {
  const std::string folder = scratch.path("");
  scratch.write("aircraft.cfg", bytes);
  std::string err;
  bool rewritten = rewriteAircraftCfgText(
      folder, kTemporaryFileName, [](std::string*) { return true; }, &err);
  if (scratch.exists(kTemporaryFileName)) fail("the working file was left");
  if (isUtf16Text(bytes)) {
    if (rewritten || scratch.read("aircraft.cfg") != bytes) fail("UTF-16 text was rewritten");
    return;
  }
  TextContent before = decodeText(bytes), after = decodeText(scratch.read("aircraft.cfg"));
  if (!rewritten || after.mark != before.mark ||
      after.text != (before.tail.empty() ? withoutTrailingLineBreaks(before.text) : before.text) ||
      after.tail != withoutTrailingLineBreaks(before.tail)) {
    fail("the rewrite changed the text, its mark or what follows 0x1A");
  }
}

// A parameter change touches only the parameter's lines (and leading blanks
// in its section); a line it adds comes where nothing changed before it.
void checkParameterChange(const Lines& before, uint8_t choice) {
  static const char* const kParameters[] = {"atc_type", "title", "texture", "x"};
  static const char* const kSections[] = {"General", "fltsim.0", "fltsim.1", "a b"};
  const std::string parameter = kParameters[choice & 3];
  SectionTarget target = (choice & 16) ? SectionTarget::variantAt((choice >> 2) & 3)
                                       : SectionTarget::named(kSections[(choice >> 2) & 3]);
  Lines after = before;
  changeParameter(parameter, "NEW", target, (choice & 32) != 0, &after);
  auto same = [](const std::string& a, const std::string& b) { return a == b || trimmed(a) == b; };
  size_t extra = after.size() - before.size(), added = extra == 1 ? 0 : before.size();
  while (added < before.size() && same(before[added], after[added])) ++added;
  if (extra > 1 || (extra == 1 && after[added] != parameter + "=NEW")) fail("lines lost or added");
  for (size_t i = 0; i < before.size(); ++i) {
    const std::string &was = before[i], &now = after[i + (i >= added)];
    std::string key = trimmed(was).substr(0, trimmed(was).find_first_of(" \t\n\v\f\r="));
    if (!same(was, now) &&
        !(platform::equalsIgnoringAsciiCase(key, parameter) && now == key + "=NEW")) {
      fail("a line outside the parameter changed");
    }
  }
}

// The renumbering changes only variant headers, into [fltsim.0], [fltsim.1]...
void checkRenumbering(const Lines& before) {
  Lines after = before;
  renumberVariants(&after);
  if (after.size() != before.size()) fail("the renumbering changed the line count");
  for (size_t i = 0, next = 0; i < before.size(); ++i) {
    bool header = isVariantHeader(before[i]);
    if (after[i] != (header ? "[fltsim." + std::to_string(next++) + "]" : before[i])) {
      fail("the renumbering changed a line it should not have, or missed a header");
    }
  }
}

// A removal takes one variant away and leaves the lines before its header
// and from the next header on as they were (commenting keeps the count).
void checkRemoval(const Lines& before, uint8_t choice) {
  int header = variantHeaderLine(before, choice & 7);
  if (header < 0) return;
  Lines after = before;
  removeBlock(&after, header, (choice & 8) != 0);
  auto variants = [](const Lines& l) { return std::count_if(l.begin(), l.end(), isVariantHeader); };
  size_t rest =
      before.end() - std::find_if(before.begin() + header + 1, before.end(), isHeaderLine);
  if (variants(after) != variants(before) - 1 || after.size() < header + rest ||
      ((choice & 8) == 0 && after.size() != before.size()) ||
      !std::equal(before.begin(), before.begin() + header, after.begin()) ||
      !std::equal(before.end() - rest, before.end(), after.end() - rest)) {
    fail("a removal changed more or less than one variant's block");
  }
}

// The edits of aircraft.cfg; the first byte picks the check, the rest is the
// file.
void cfgRewrite(const std::string& input) {
  if (input.empty()) return;
  uint8_t choice = static_cast<uint8_t>(input[0]);
  std::string bytes = input.substr(1), text = decodeText(bytes).text;
  if (choice >> 6 == 0) checkIdentityRewrite(bytes);
  if (choice >> 6 == 1) checkParameterChange(splitLines(text), choice);
  if (choice >> 6 == 2) checkRenumbering(splitLines(text));
  if (choice >> 6 == 3) checkRemoval(splitLines(text), choice);
}

// The variant source reader and the install edits that use its sections:
// each section starts with its header and, but for one running to the end,
// ends with a line end; appending keeps the aircraft's text.
void variantSource(const std::string& bytes) {
  std::string text = decodeText(bytes).text;
  std::vector<SourceSection> sections = loadSourceSections(text, 3);
  if (static_cast<int>(sections.size()) > countSourceSections(text)) fail("sections");
  for (size_t i = 0; i < sections.size(); ++i) {
    if (sections[i].text.compare(0, 1, "[") != 0) fail("a section without its header");
    if (i + 1 < sections.size() && sections[i].text.back() != '\n') fail("no line end");
  }
  static const std::string cfg =
      "[fltsim.0]\ntitle=A\ntexture=a\n\n[fltsim.1]\ntitle=B\ntexture=b\n\n[General]\nx=1";
  std::vector<bool> leaveOut = duplicateSections(cfg, sections, true, true);
  if (leaveOut.size() != sections.size()) fail("one verdict per section");
  std::string appended = appendSections(cfg, sections, leaveOut);
  if (appended.compare(0, cfg.size(), cfg) != 0) fail("the aircraft's text changed");
  Lines lines = splitLines(appended);
  renumberVariants(&lines);
}

// The fsx.cfg reader: every valid SimObjects path is non-empty and fits a slot
// (a slot counts characters, so a Latin-1 byte that widens to two UTF-8 bytes
// still counts once).
void fsxCfg(const std::string& bytes) {
  for (const SimObjectsPath& entry :
       parseSimObjectsPaths(decodeText(bytes).text, "C:\\Program Files\\FSX\\")) {
    if (entry.valid && (entry.path.empty() || platform::pathLength(entry.path) >= kSlotSize)) {
      fail("a valid path that is empty or too long");
    }
  }
}

// The user.reg reader through the calls the program makes (the hive is
// $WINEPREFIX/user.reg): a simulator folder never longer than the registry
// call allows, an application-data folder never empty.
void userReg(const std::string& bytes) {
  static const bool prefixSet = setenv("WINEPREFIX", scratch.path("").c_str(), 1) == 0;
  if (!prefixSet) fail("cannot set WINEPREFIX");
  scratch.write("user.reg", bytes);
  std::string appPath, appData;
  if (platform::readSimulatorAppPath(&appPath) && platform::pathLength(appPath) > 511) {
    fail("AppPath too long");
  }
  if (platform::readRoamingAppDataFolder(&appData) && appData.empty()) fail("empty AppData");
}

bool validUtf8(const std::string& text) {
  return platform::pathFromWide(platform::wideFromPath(text)) == text;
}

// The configuration files of FSX Steam Edition and Prepar3D: decoding gives
// valid UTF-8 and keeps unmarked valid UTF-8 as it is; entries carry no line
// break or outer blank; simobjects.cfg's folders lie below the install folder
// or stand for themselves; add-ons.cfg switches off only packages it lists.
void configText(const std::string& bytes) {
  std::string text = decodeConfigText(bytes);
  bool marked = bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0 ||
                bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (!validUtf8(text) || (!marked && validUtf8(bytes) && text != bytes)) fail("decoding");
  for (const IniSection& section : parseIni(text)) {
    for (const auto& [key, value] : section.entries) {
      for (const std::string* part : {&key, &value, &section.name}) {
        if (part->find_first_of("\r\n") != std::string::npos ||
            (!part->empty() && (isWhiteSpace(part->front()) || isWhiteSpace(part->back())))) {
          fail("an entry with a line break or an outer blank");
        }
      }
    }
  }
  for (const std::string& folder : readSimObjectsCfg(bytes, "C:\\P3D")) {
    if (folder.compare(0, 7, "C:\\P3D\\") != 0 && resolveBelow("C:\\X", folder) != folder) {
      fail("a relative folder not below the install folder");
    }
  }
  AddOnsList list;
  readAddOnsCfg(bytes, &list);
  for (const std::string& off : list.off) {
    if (std::find(list.packages.begin(), list.packages.end(), off) == list.packages.end()) {
      fail("a package switched off that is not listed");
    }
  }
}

// add-on.xml through the system's parser: a document read as well-formed has
// its elements nested; a malformed one gives no folder; every folder lies
// below the package or stands for itself.
void addOnXml(const std::string& bytes) {
  std::vector<platform::XmlEvent> events;
  if (platform::readXmlEvents(bytes, &events)) {
    std::vector<std::string> open;
    for (const platform::XmlEvent& event : events) {
      if (event.kind == platform::XmlEvent::kStart) open.push_back(event.text);
      if (event.kind != platform::XmlEvent::kEnd) continue;
      if (open.empty() || open.back() != event.text) fail("elements not nested");
      open.pop_back();
    }
    if (!open.empty()) fail("an element left open");
  }
  std::vector<std::string> folders;
  bool wellFormed = addOnSimObjects(bytes, "C:\\Pkg", &folders);
  for (const std::string& folder : folders) {
    if (!wellFormed || folder.empty() ||
        (folder.compare(0, 7, "C:\\Pkg\\") != 0 && resolveBelow("C:\\X", folder) != folder)) {
      fail("a folder from a malformed document, or one outside the package");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::map<std::string, void (*)(const std::string&)> kTargets = {
      {"patch_apply", patchApply},       {"cfg_read", cfgRead},   {"cfg_rewrite", cfgRewrite},
      {"variant_source", variantSource}, {"fsx_cfg", fsxCfg},     {"user_reg", userReg},
      {"config_text", configText},       {"add_on_xml", addOnXml}};
  static void (*const target)(const std::string&) = kTargets.at(FUZZ_TARGET);
  target(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
