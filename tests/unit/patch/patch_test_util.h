// Building expected patches and generated file pairs for the patch tests.
#ifndef FUSELOX_TESTS_UNIT_PATCH_PATCH_TEST_UTIL_H_
#define FUSELOX_TESTS_UNIT_PATCH_PATCH_TEST_UTIL_H_

#include <cstdint>
#include <random>
#include <string>

#include "patch/md5.h"
#include "patch/patch_format.h"
#include "patch/patch_maker.h"
#include "patch/patch_writer.h"

inline std::string le32(uint32_t value) {
  uint8_t bytes[4];
  putLe32(value, bytes);
  return std::string(reinterpret_cast<char*>(bytes), 4);
}

inline std::string literalRecord(const std::string& data) {
  return std::string(1, '+') + le32(static_cast<uint32_t>(data.size())) + data;
}

inline std::string copyRecord(uint32_t offset, uint32_t length, uint32_t checksum) {
  return std::string(1, '@') + le32(offset) + le32(length) + le32(checksum);
}

inline std::string md5OfText(const std::string& text) {
  return md5OfBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline std::string patchHeader(const std::string& old, uint32_t newSize) {
  return md5OfText(old) + std::string(kMagic, kMagicSize) +
         le32(static_cast<uint32_t>(old.size())) + le32(newSize);
}

// The fast maker's patch, made in memory.
inline std::string fastPatch(std::string old, std::string fresh) {
  std::string out;
  PatchWriter writer(&out);
  makePatch(reinterpret_cast<uint8_t*>(&old[0]), static_cast<uint32_t>(old.size()),
            reinterpret_cast<uint8_t*>(&fresh[0]), static_cast<uint32_t>(fresh.size()), &writer);
  return out;
}

// Texts of the kinds that trouble suffix sorting and matching.
class TextMaker {
 public:
  explicit TextMaker(uint32_t seed) : random_(seed) {}

  uint32_t below(uint32_t bound) { return bound == 0 ? 0 : random_() % bound; }

  std::string text(size_t size) {
    switch (below(6)) {
      case 0:
        return randomBytes(size, 256, 0);
      case 1:
        return randomBytes(size, 2 + below(3), 'a');
      case 2:
        return randomBytes(size, 1 + below(4), 0x80 + below(100));
      case 3:
        return runs(size);
      case 4:
        return repeated(size);
      default:
        return std::string(size, static_cast<char>(below(256)));
    }
  }

  // A new version: the old one with a few edits, or something else.
  std::string edit(const std::string& old) {
    std::string out = old;
    for (uint32_t edits = below(5); edits > 0; --edits) editOnce(&out);
    return out;
  }

 private:
  std::string randomBytes(size_t size, uint32_t alphabet, uint32_t first) {
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(first + below(alphabet));
    return out;
  }

  std::string runs(size_t size) {
    std::string out;
    while (out.size() < size) out.append(1 + below(300), static_cast<char>(below(3) * 0x7F));
    return out.substr(0, size);
  }

  std::string repeated(size_t size) {
    std::string unit = randomBytes(1 + below(40), 256, 0);
    std::string out;
    while (out.size() < size) out += below(8) == 0 ? randomBytes(1, 256, 0) : unit;
    return out.substr(0, size);
  }

  void editOnce(std::string* s) {
    size_t at = below(static_cast<uint32_t>(s->size() + 1));
    size_t length = below(static_cast<uint32_t>(s->size() - at + 1)) % 200;
    switch (below(5)) {
      case 0:
        s->insert(at, text(below(100)));
        break;
      case 1:
        s->erase(at, length);
        break;
      case 2: {
        std::string block = s->substr(at, length);
        s->erase(at, length);
        s->insert(below(static_cast<uint32_t>(s->size() + 1)), block);
        break;
      }
      case 3:
        for (size_t i = at; i < at + length && i < s->size(); i += 1 + below(40)) {
          (*s)[i] = static_cast<char>(below(256));
        }
        break;
      default:
        *s = text(s->size());
    }
  }

  std::mt19937 random_;
};

#endif  // FUSELOX_TESTS_UNIT_PATCH_PATCH_TEST_UTIL_H_
