// The variant source reader on any bytes, and the install edits that use
// its sections: never a crash or overrun; every section starts with its
// header and ends with a line end, and appending keeps the aircraft's text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "text/text_file.h"
#include "variants/source_file.h"
#include "variants/variant_edits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string text = decodeText(bytes).text;
  int count = countSourceSections(text);
  std::vector<SourceSection> sections = loadSourceSections(text, 3);
  if (static_cast<int>(sections.size()) > count) fuzz::fail("more sections than headers");
  for (size_t i = 0; i < sections.size(); ++i) {
    const std::string& section = sections[i].text;
    if (section.compare(0, 8, "[fltsim.") != 0 && section.compare(0, 1, "[") != 0) {
      fuzz::fail("a section does not start with its header");
    }
    // Only a section that runs to the end of the file can lack a line end.
    if (i + 1 < sections.size() && (section.empty() || section.back() != '\n')) {
      fuzz::fail("a section without a line end");
    }
  }
  static const std::string cfg =
      "[fltsim.0]\ntitle=A\ntexture=a\n\n[fltsim.1]\ntitle=B\ntexture=b\n\n[General]\nx=1";
  std::vector<bool> leaveOut = duplicateSections(cfg, sections, true, true);
  if (leaveOut.size() != sections.size()) fuzz::fail("one verdict per section");
  std::string appended = appendSections(cfg, sections, leaveOut);
  if (appended.compare(0, cfg.size(), cfg) != 0) fuzz::fail("the aircraft's text changed");
  std::vector<std::string> lines = splitLines(appended);
  renumberVariants(&lines);
  return 0;
}
