// The aircraft.cfg readers on any bytes: text mode, the variant table, the
// lookups and parameter reads never crash or overrun, and splitting text
// into lines and joining them again loses nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cfg/parameters.h"
#include "cfg/variant_table.h"
#include "fuzz_support.h"
#include "text/lines.h"
#include "text/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  TextContent content = decodeText(bytes);
  const std::string& text = content.text;
  if (content.text.size() + content.tail.size() > bytes.size()) fuzz::fail("text mode grew");
  if (decodeText(encodeText(text)).text != text) fuzz::fail("text mode round trip");

  std::vector<std::string> lines = splitLines(text);
  std::string joined = joinLines(lines);
  if (joined != text && joined != text + "\n") fuzz::fail("split and join lost bytes");

  std::vector<VariantRecord> table = readVariantTable(text);
  int headers = 0;
  for (const std::string& line : splitLines(text)) headers += isVariantHeader(line);
  if (static_cast<int>(table.size()) != headers) fuzz::fail("table size");
  firstNumberingGap(text);
  // Each lookup scans the whole text: a few records are enough.
  for (size_t i = 0; i < table.size() && i < 8; ++i) {
    const VariantRecord& record = table[i];
    if (!variantTextureExists(text, record.texture)) fuzz::fail("a listed texture is not found");
    findVariant(text, record.texture, kByTexture);
    findVariant(text, record.title, kByTitle);
    variantTitleExists(text, record.title);
  }
  for (const char* section : {"General", "fltsim.0", "WEIGHT_AND_BALANCE"}) {
    readParameter("atc_type", SectionTarget::named(section), false, text);
    readParameter("title", SectionTarget::named(section), true, text);
  }
  for (int position = 0; position < 3; ++position) {
    readParameter("texture", SectionTarget::variantAt(position), false, text);
  }
  return 0;
}
