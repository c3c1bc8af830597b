// The variant sections of aircraft.cfg: the table of (number, texture,
// title) the listings print and the lookups search, and the numbering check.
// All operations work on the file's text as text mode reads it, so a caller
// reads the file once and asks several questions.
#ifndef FUSELOX_CFG_VARIANT_TABLE_H_
#define FUSELOX_CFG_VARIANT_TABLE_H_

#include <string>
#include <vector>

struct VariantRecord {
  int number = -1;      // as written in the header that opened the record
  int position = -1;    // which variant header of the file that was (from 0)
  std::string texture;  // upper-cased, comments and trailing blanks kept
  std::string title;    // upper-cased, comments and trailing blanks kept
};

// How findVariant compares.
enum LookupMode { kByTitle = 0, kByTexture = 1 };

// One record per variant header. A record is filled from the lines after
// its header up to the next header line; its texture line ends it early.
// A line is everything up to its LF, and only its first kLineCapacity bytes
// can hold a title or texture.
std::vector<VariantRecord> readVariantTable(const std::string& text);

// True when, after the first variant header, some line is "TITLE=<title>"
// (key and value compared ignoring case; the value taken whole).
bool variantTitleExists(const std::string& text, const std::string& title);

// True when some record's texture equals `texture` ignoring case.
bool variantTextureExists(const std::string& text, const std::string& texture);

// The last record whose title (or texture) equals `key` ignoring case; a
// record with position -1 when none does.
VariantRecord findVariant(const std::string& text, const std::string& key, LookupMode mode);

// The position of the first variant header whose number differs from its
// position, else the position of the last header; -1 when there is none.
int firstNumberingGap(const std::string& text);

#endif  // FUSELOX_CFG_VARIANT_TABLE_H_
