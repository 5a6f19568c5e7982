#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/call_log.h"
#include "platform/profile_strings.h"

namespace platform::fake {

// Settings files as texts with CR LF lines (path -> text), read and updated with the rules of
// the system's profile-string calls that the programs rely on: the first "[Section]" and the
// first "Key=" in it count, names match without regard to ASCII case, blanks around names and
// values are dropped, an updated key keeps its line, a new key goes after the section's last
// line, a new section at the end of the file.
class FakeProfileStrings : public ProfileStrings {
 public:
  explicit FakeProfileStrings(CallLog& log) : log_(log) {}

  std::u16string ReadString(const std::u16string& path, const std::u16string& section,
                            const std::u16string& key) override {
    log_.Add("ReadString " + Narrow(section) + " " + Narrow(key));
    const auto file = files_.find(path);
    if (file == files_.end() || unreadable_.count(path) != 0) return {};
    const std::vector<std::u16string> lines = Lines(file->second);
    const Place place = Find(lines, section, key);
    if (place.key == kNone) return {};
    const std::u16string& line = lines[place.key];
    return Trim(line.substr(line.find(u'=') + 1));
  }

  bool WriteString(const std::u16string& path, const std::u16string& section,
                   const std::u16string& key, const std::u16string& value) override {
    log_.Add("WriteString " + Narrow(section) + " " + Narrow(key) + "=" + Narrow(value));
    if (refuseWrites_ || refusedKeys_.count(key) != 0) return false;
    std::vector<std::u16string> lines = Lines(files_[path]);
    const Place place = Find(lines, section, key);
    const std::u16string entry = key + u"=" + value;
    if (place.key != kNone) {
      lines[place.key] = entry;
    } else if (place.section != kNone) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), entry);
    } else {
      lines.push_back(u"[" + section + u"]");
      lines.push_back(entry);
    }
    return Store(path, lines);
  }

  bool RemoveKey(const std::u16string& path, const std::u16string& section,
                 const std::u16string& key) override {
    log_.Add("RemoveKey " + Narrow(section) + " " + Narrow(key));
    if (refuseWrites_ || refusedKeys_.count(key) != 0) return false;
    const auto file = files_.find(path);
    if (file == files_.end()) return true;
    std::vector<std::u16string> lines = Lines(file->second);
    const Place place = Find(lines, section, key);
    if (place.key == kNone) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(place.key));
    return Store(path, lines);
  }

 private:
  bool Store(const std::u16string& path, const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (const auto& line : lines) text += line + u"\r\n";
    if (tornAfter_ && wholeWritesBeforeTear_-- <= 0) {
      // The system rewrites the whole file in place; a writer that dies part-way leaves the
      // first characters of the new text and nothing of the old.
      files_[path] = text.substr(0, std::min(*tornAfter_, text.size()));
      tornAfter_.reset();
      refuseWrites_ = true;  // the writer is gone
      return false;
    }
    files_[path] = text;
    return true;
  }

 public:
  std::map<std::u16string, std::u16string> files_;
  std::set<std::u16string> unreadable_;   // present, but reading gives nothing
  std::set<std::u16string> refusedKeys_;  // writing these keys fails
  bool refuseWrites_ = false;             // every write fails
  // A write stops after this many characters of the new file, as when the writer is killed
  // in the middle of a save; the writes before it are whole, the ones after it fail (the
  // writer is gone) until a test clears refuseWrites_.
  std::optional<size_t> tornAfter_;
  int wholeWritesBeforeTear_ = 0;

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  struct Place {
    size_t section = kNone;     // the "[Section]" line
    size_t sectionEnd = kNone;  // after the section's last non-blank line
    size_t key = kNone;         // the key's line
  };

  static std::string Narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  }

  static std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(u"\r\n", start);
      if (end == std::u16string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  static std::u16string Trim(const std::u16string& text) {
    const size_t first = text.find_first_not_of(u" \t");
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
  }

  static bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      const auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
      };
      if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
  }

  static Place Find(const std::vector<std::u16string>& lines, const std::u16string& section,
                    const std::u16string& key) {
    Place place;
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::u16string line = Trim(lines[i]);
      if (!line.empty() && line.front() == u'[') {
        if (place.section != kNone) break;  // the section ended
        const size_t close = line.find(u']');
        if (close != std::u16string::npos && SameName(Trim(line.substr(1, close - 1)), section)) {
          place.section = i;
          place.sectionEnd = i + 1;
        }
        continue;
      }
      if (place.section == kNone) continue;
      if (!line.empty()) place.sectionEnd = i + 1;
      const size_t equals = line.find(u'=');
      if (place.key == kNone && equals != std::u16string::npos &&
          SameName(Trim(line.substr(0, equals)), key)) {
        place.key = i;
      }
    }
    return place;
  }

  CallLog& log_;
};

}  // namespace platform::fake
