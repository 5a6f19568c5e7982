#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/fake/call_log.h"
#include "platform/files.h"

namespace platform::fake {

// An in-memory folder tree: path -> decoded text.
class FakeFiles : public Files {
 public:
  explicit FakeFiles(CallLog& log) : log_(log) {}

  bool Exists(const std::u16string& path) override {
    return files_.count(path) != 0 && hidden_.count(path) == 0;
  }
  bool ExistsAtAll(const std::u16string& path) override { return files_.count(path) != 0; }
  std::optional<std::u16string> ReadText(const std::u16string& path) override {
    ++reads_;
    if (unreadable_.count(path) != 0) return std::nullopt;
    const auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }
  bool StoresExactly(const std::u16string& text) override {
    return text.find_first_of(notInCodePage_) == std::u16string::npos;
  }
  bool WriteText(const std::u16string& path, const std::u16string& text) override {
    log_.Add("WriteText " + std::string(path.begin(), path.end()));
    if (refuseWrites_) return false;
    files_[path] = text;
    return true;
  }

  std::map<std::u16string, std::u16string> files_;
  std::set<std::u16string> hidden_;      // hidden or system attribute
  std::set<std::u16string> unreadable_;  // present, but reading fails
  bool refuseWrites_ = false;
  std::u16string notInCodePage_;  // characters the file's code page cannot hold
  int reads_ = 0;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
