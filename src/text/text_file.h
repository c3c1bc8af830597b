// Text mode, done by the program itself over binary reads and writes so
// that it is the same on every target: CR LF reads as LF, a lone CR stays,
// a byte 0x1A ends what is read as text, and LF is written as CR LF.
#ifndef FUSELOX_TEXT_TEXT_FILE_H_
#define FUSELOX_TEXT_TEXT_FILE_H_

#include <cstddef>
#include <string>
#include <vector>

// The longest piece one line read yields, its LF included (a 1024-byte
// buffer with its terminator).
constexpr size_t kLineCapacity = 1023;

// A file as text mode sees it, plus what text mode cannot see.
struct TextContent {
  std::string mark;  // a leading UTF-8 byte-order mark, kept but not text
  std::string text;  // the bytes before the first 0x1A, CR LF read as LF
  std::string tail;  // the raw bytes from the first 0x1A on (usually none)
};

// Splits raw file bytes into their mark, text and tail.
TextContent decodeText(const std::string& bytes);

// True when the bytes begin with a UTF-16 byte-order mark (FF FE or FE FF).
// Such a file is no one-byte text: reading it as one, or writing it back,
// would destroy it, so it is refused.
bool isUtf16Text(const std::string& bytes);

// The raw bytes of text written in text mode: every LF becomes CR LF.
std::string encodeText(const std::string& text);

// Reads a file as text. False, with the reason in `err`, when it cannot be
// opened or read or is UTF-16 text.
bool readTextFile(const std::string& path, TextContent* content, std::string* err);

// Reads text the way a C line read with a 1024-byte buffer does: each piece
// stops after a LF (kept) or after `capacity` bytes.
class LineReader {
 public:
  explicit LineReader(const std::string& text, size_t capacity = kLineCapacity)
      : text_(text), capacity_(capacity) {}

  // The next piece; false when nothing is left. After the piece that ran
  // into the end of the text (a final line without LF), atEnd() is true.
  bool next(std::string* line);
  bool atEnd() const { return at_end_; }
  size_t position() const { return pos_; }
  void seek(size_t position) {
    pos_ = position;
    at_end_ = false;
  }

 private:
  const std::string& text_;
  size_t capacity_;
  size_t pos_ = 0;
  bool at_end_ = false;
};

// The whole lines of a text, LF removed; a final line without LF counts,
// and an empty text has none.
std::vector<std::string> splitLines(const std::string& text);

// The text of lines each followed by LF.
std::string joinLines(const std::vector<std::string>& lines);

#endif  // FUSELOX_TEXT_TEXT_FILE_H_
