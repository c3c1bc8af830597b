// The rewrite of aircraft.cfg on any bytes. The first input byte picks an
// edit; the rest is the file. Through the real working-file rewrite, an edit
// that changes nothing must give back the same text (only trailing line
// breaks go, and what follows a 0x1A stays). The line edits must change only
// what they are meant to: a parameter change only the parameter's lines
// (and leading blanks in its section), the renumbering only variant headers,
// a removal only one block; and the block a title lookup picks holds the
// title.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cfg/parameters.h"
#include "cfg/variant_table.h"
#include "fuzz_support.h"
#include "platform/platform.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/text_file.h"
#include "variants/variant_edits.h"

namespace {

using Lines = std::vector<std::string>;

std::string withoutLeadingWhiteSpace(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && isWhiteSpace(line[i])) ++i;
  return line.substr(i);
}

std::string keyOf(const std::string& line) {
  std::string rest = withoutLeadingWhiteSpace(line);
  size_t end = 0;
  while (end < rest.size() && !isWhiteSpace(rest[end]) && rest[end] != '=') ++end;
  return rest.substr(0, end);
}

void checkIdentityRewrite(const std::string& bytes) {
  const std::string folder = fuzz::scratchFolder();
  const std::string cfg = folder + "/aircraft.cfg";
  fuzz::writeFile(cfg, bytes);
  std::string err;
  bool rewritten = rewriteAircraftCfgText(
      folder, kTemporaryFileName, [](std::string*) { return true; }, &err);
  if (isUtf16Text(bytes)) {
    if (rewritten || fuzz::readFile(cfg) != bytes) fuzz::fail("UTF-16 text was rewritten");
    return;
  }
  if (!rewritten) fuzz::fail("an unchanged rewrite failed");
  bool workingLeft = false;
  fuzz::readFile(folder + "/" + kTemporaryFileName, &workingLeft);
  if (workingLeft) fuzz::fail("the working file was left");
  std::string result = fuzz::readFile(cfg);
  TextContent before = decodeText(bytes), after = decodeText(result);
  if (after.mark != before.mark) fuzz::fail("the byte-order mark was not kept");
  if (before.tail.empty()) {
    if (after.text != withoutTrailingLineBreaks(before.text) || !after.tail.empty()) {
      fuzz::fail("the rewrite changed the text");
    }
  } else if (after.text != before.text || after.tail != withoutTrailingLineBreaks(before.tail)) {
    fuzz::fail("the rewrite changed the text or what follows 0x1A");
  }
}

void checkParameterChange(const Lines& before, uint8_t choice) {
  static const char* const kParameters[] = {"atc_type", "title", "texture", "x"};
  static const char* const kSections[] = {"General", "fltsim.0", "fltsim.1", "a b"};
  const std::string parameter = kParameters[choice & 3];
  const std::string value = "NEW";
  SectionTarget target = (choice & 16) ? SectionTarget::variantAt((choice >> 2) & 3)
                                       : SectionTarget::named(kSections[(choice >> 2) & 3]);
  Lines after = before;
  changeParameter(parameter, value, target, (choice & 32) != 0, &after);
  auto same = [](const std::string& a, const std::string& b) {
    return a == b || withoutLeadingWhiteSpace(a) == b;
  };
  auto changed = [&](const std::string& a, const std::string& b) {
    return platform::equalsIgnoringAsciiCase(keyOf(a), parameter) && b == keyOf(a) + "=" + value;
  };
  if (after.size() == before.size()) {
    for (size_t i = 0; i < before.size(); ++i) {
      if (!same(before[i], after[i]) && !changed(before[i], after[i])) {
        fuzz::fail("a line outside the parameter changed");
      }
    }
    return;
  }
  if (after.size() != before.size() + 1) fuzz::fail("lines lost or added");
  size_t k = 0;
  while (k < before.size() && same(before[k], after[k])) ++k;
  if (after[k] != parameter + "=" + value) fuzz::fail("a line other than the parameter added");
  // A later section of the same name has its parameter lines changed too.
  for (size_t i = k; i < before.size(); ++i) {
    if (!same(before[i], after[i + 1]) && !changed(before[i], after[i + 1])) {
      fuzz::fail("a line changed beside an added parameter");
    }
  }
}

void checkRenumbering(const Lines& before) {
  Lines after = before;
  renumberVariants(&after);
  if (after.size() != before.size()) fuzz::fail("the renumbering changed the line count");
  int next = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    bool header = isVariantHeader(before[i]);
    if (header && after[i] != "[fltsim." + std::to_string(next++) + "]") {
      fuzz::fail("a header was not renumbered");
    }
    if (!header && after[i] != before[i]) fuzz::fail("the renumbering changed another line");
  }
}

void checkRemoval(const Lines& before, uint8_t choice) {
  int header = variantHeaderLine(before, choice & 7);
  if (header < 0) return;
  bool destructive = (choice & 8) != 0;
  Lines after = before;
  removeBlock(&after, header, destructive);
  size_t h = static_cast<size_t>(header);
  size_t removed = before.size() - after.size();
  if (destructive) {
    if (removed == 0 || after.size() > before.size()) fuzz::fail("nothing was dropped");
    for (size_t i = 0; i < after.size(); ++i) {
      if (after[i] != before[i < h ? i : i + removed]) fuzz::fail("the wrong lines dropped");
    }
    if (h + removed < before.size() && !isHeaderLine(before[h + removed])) {
      fuzz::fail("the drop stopped before a line that is not a header");
    }
    return;
  }
  if (removed != 0) fuzz::fail("a commenting removal changed the line count");
  size_t i = 0;
  while (i < h && after[i] == before[i]) ++i;
  if (i != h) fuzz::fail("a line before the block changed");
  while (i < before.size() && after[i] == "//" + before[i]) ++i;
  if (i == h) fuzz::fail("the header was not commented out");
  for (; i < before.size(); ++i) {
    if (after[i] != before[i]) fuzz::fail("a line after the block changed");
  }
}

// Finding and editing see the same lines: the block the edits would remove
// for a title holds that title.
void checkLookupFindsItsBlock(const std::string& text) {
  Lines lines = splitLines(text);
  for (const VariantRecord& record : readVariantTable(text)) {
    VariantRecord found = findVariant(text, record.title, kByTitle);
    int header = variantHeaderLine(lines, found.position);
    if (header < 0) fuzz::fail("a variant found has no header line");
    if (record.title.empty()) continue;
    bool holds = false;
    for (size_t i = header + 1; i < lines.size() && !isHeaderLine(lines[i]); ++i) {
      std::string part = upperCaseCopy(lines[i].substr(0, kLineCapacity)), value;
      while (!part.empty() && part.back() == '\r') part.pop_back();
      if (removeWhiteSpace(part).find("TITLE=") == std::string::npos) continue;
      valueAfterEquals(part, &value);
      holds = holds || value == found.title;
    }
    if (!holds) fuzz::fail("the block found for a title does not hold it");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t choice = data[0];
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  Lines lines = splitLines(decodeText(bytes).text);
  switch (choice >> 6) {
    case 0:
      checkIdentityRewrite(bytes);
      break;
    case 1:
      checkParameterChange(lines, choice);
      break;
    case 2:
      checkRenumbering(lines);
      break;
    default:
      checkLookupFindsItsBlock(decodeText(bytes).text);
      checkRemoval(lines, choice);
      break;
  }
  return 0;
}
