#include "cfg/parameters.h"

#include "platform/platform.h"
#include "text/lines.h"
#include "text/text_file.h"

namespace {

// Walks lines and tells which belong to a target section.
class SectionTracker {
 public:
  explicit SectionTracker(const SectionTarget& target)
      : target_(target), targetHeader_(compactForm("[" + target.name + "]")) {}

  // Feeds the next line; true when it is a header line. inside() then tells
  // whether the header opens a target section.
  bool feed(const std::string& line) {
    if (!isHeaderLine(line)) return false;
    bool isTarget = target_.position < 0 ? compactForm(line) == targetHeader_
                                         : isVariantHeader(line) && variants_ == target_.position;
    if (isVariantHeader(line)) ++variants_;
    inside_ = isTarget;
    return true;
  }
  bool inside() const { return inside_; }

 private:
  SectionTarget target_;
  std::string targetHeader_;
  int variants_ = 0;
  bool inside_ = false;
};

}  // namespace

bool changeParameter(const std::string& parameter, const std::string& newValue,
                     const SectionTarget& target, bool addMissing,
                     std::vector<std::string>* lines) {
  SectionTracker tracker(target);
  bool changed = false, pending = false;
  std::vector<std::string> out;
  out.reserve(lines->size() + 1);
  auto addIfMissing = [&]() {
    if (changed || !pending || !addMissing) return;
    out.push_back(parameter + "=" + newValue);
    changed = true;
    pending = false;
  };
  for (std::string& line : *lines) {
    bool header = tracker.feed(line);
    if (header && tracker.inside()) pending = true;
    if (header && !tracker.inside()) addIfMissing();
    if (!tracker.inside()) {
      out.push_back(std::move(line));
      continue;
    }
    std::string key, value;
    if (splitKeyValue(&line, &key, &value) && platform::equalsIgnoringAsciiCase(key, parameter)) {
      out.push_back(key + "=" + newValue);
      changed = true;
    } else {
      out.push_back(std::move(line));
    }
  }
  // The target section runs to the end of the file: add there.
  addIfMissing();
  *lines = std::move(out);
  return changed;
}

std::vector<std::string> readParameter(const std::string& parameter, const SectionTarget& target,
                                       bool showComments, const std::string& text) {
  std::vector<std::string> values;
  SectionTracker tracker(target);
  for (std::string line : splitLines(text)) {
    tracker.feed(line);
    if (!tracker.inside()) continue;
    std::string key, value;
    if (!splitKeyValue(&line, &key, &value) || !platform::equalsIgnoringAsciiCase(key, parameter))
      continue;
    if (!showComments) {
      stripSlashComment(&value);
      stripSemicolonComment(&value);
    }
    values.push_back(value);
  }
  return values;
}

bool hasSection(const SectionTarget& target, const std::string& text) {
  SectionTracker tracker(target);
  for (const std::string& line : splitLines(text)) {
    if (tracker.feed(line) && tracker.inside()) return true;
  }
  return false;
}
