#include "text/files.h"

#include <cstdio>

#include "platform/platform.h"
#include "text/text_file.h"

const char kTemporaryFileName[] = "fuselox.temp";
const char kRemovalWorkFileName[] = "liverymend.temp";

namespace {

constexpr size_t kCopyChunk = 65536;

std::string aircraftCfgIn(const std::string& folderPath) {
  return joinPath(folderPath, "aircraft.cfg");
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

bool copyAndClose(FILE* in, FILE* out, bool flush) {
  bool ok = in != nullptr && out != nullptr;
  static char buffer[kCopyChunk];
  size_t n;
  while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    ok = std::fwrite(buffer, 1, n, out) == n;
  }
  ok = ok && !std::ferror(in);
  if (in != nullptr) std::fclose(in);
  if (out == nullptr) return false;
  // On disk before anyone renames the copy into place.
  ok = (flush ? platform::syncFile(out) : std::fflush(out) == 0) && ok;
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

std::string workingPathFor(const std::string& target, const std::string& workingName) {
  std::string final = platform::finalPath(target);
  size_t sep = final.find_last_of("\\/");
  return sep == std::string::npos ? workingName : joinPath(final.substr(0, sep), workingName);
}

bool replaceFileContent(const std::string& working, const std::string& target,
                        const std::string& bytes, std::string* err) {
  FILE* out = platform::createNewFile(working);
  if (out == nullptr) {
    *err = "cannot create the working file " + working;
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = platform::syncFile(out) && ok;
  ok = std::fclose(out) == 0 && ok;
  if (!ok) *err = "cannot write the working file " + working + " (disk full?)";
  if (ok && !platform::putFileInPlace(working, target)) {
    ok = false;
    *err = platform::isReadOnlyFile(target) ? target + " is read-only"
                                            : "cannot put the new " + target + " in place";
  }
  if (!ok) platform::removeFile(working);
  return ok;
}

std::string withoutTrailingLineBreaks(const std::string& bytes) {
  size_t keep = bytes.size();
  while (keep > 0) {
    unsigned char c = static_cast<unsigned char>(bytes[keep - 1]);
    if (c != 0x0A && c != 0x0D && c != 0xFF) break;
    --keep;
  }
  return bytes.substr(0, keep);
}

bool rewriteAircraftCfgText(const std::string& folderPath, const std::string& workingName,
                            const std::function<bool(std::string* text)>& edit, std::string* err) {
  std::string cfg = aircraftCfgIn(folderPath);
  std::string bytes;
  if (!platform::readWholeFile(cfg, &bytes)) {
    *err = "cannot read " + cfg;
    return false;
  }
  if (isUtf16Text(bytes)) {
    *err = cfg + " is UTF-16 text, which Fuselox does not read or change";
    return false;
  }
  TextContent content = decodeText(bytes);
  bool endedWithLineEnd = content.text.empty() || content.text.back() == '\n';
  if (!edit(&content.text)) return false;
  // Bytes after a 0x1A stay joined to the text exactly as they were.
  if (!content.tail.empty() && !endedWithLineEnd && !content.text.empty() &&
      content.text.back() == '\n') {
    content.text.pop_back();
  }
  std::string result =
      content.mark + withoutTrailingLineBreaks(encodeText(content.text) + content.tail);
  if (result == bytes) return true;
  return replaceFileContent(workingPathFor(cfg, workingName), cfg, result, err);
}

bool rewriteAircraftCfg(const std::string& folderPath, const std::string& workingName,
                        const std::function<bool(std::vector<std::string>* lines)>& edit,
                        std::string* err) {
  return rewriteAircraftCfgText(
      folderPath, workingName,
      [&](std::string* text) {
        std::vector<std::string> lines = splitLines(*text);
        if (!edit(&lines)) return false;
        *text = joinLines(lines);
        return true;
      },
      err);
}
