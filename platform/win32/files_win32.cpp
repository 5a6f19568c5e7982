#include "platform/win32/files_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/ansi_text.h"
#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

// Settings files are a few lines; anything beyond this is read only this far, so a huge or
// runaway file costs neither the memory nor the time to read it all.
constexpr DWORD kLargestRead = 64u * 1024u * 1024u;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

namespace {

// The attributes of what is there under that name; empty when nothing is.
std::optional<DWORD> AttributesOf(const std::u16string& path) {
  // Wildcards would turn the look-up into a search for other names.
  if (path.find_first_of(u"*?") != std::u16string::npos) return std::nullopt;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Wide(path), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  return found.dwFileAttributes;
}

}  // namespace

bool FilesWin32::Exists(const std::u16string& path) {
  const auto attributes = AttributesOf(path);
  return attributes && (*attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool FilesWin32::ExistsAtAll(const std::u16string& path) { return AttributesOf(path).has_value(); }

std::optional<std::u16string> FilesWin32::ReadText(const std::u16string& path) {
  Handle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return std::nullopt;
  const DWORD wanted =
      size.QuadPart > kLargestRead ? kLargestRead : static_cast<DWORD>(size.QuadPart);
  std::string bytes(wanted, '\0');
  DWORD got = 0;
  if (wanted > 0 && !ReadFile(file.get(), bytes.data(), wanted, &got, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(got);
  return FromAnsi(bytes);
}

bool FilesWin32::WriteText(const std::u16string& path, const std::u16string& text) {
  const std::u16string temporary = path + u".new";
  const std::string bytes = ToAnsi(text);
  bool ok = false;
  {
    Handle file(CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.get());
  }
  // Only a closed file can be deleted: the handle above shares nothing.
  if (!ok) {
    DeleteFileW(Wide(temporary));
    return false;
  }
  if (!MoveFileExW(Wide(temporary), Wide(path),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(Wide(temporary));
    return false;
  }
  return true;
}

bool FilesWin32::StoresExactly(const std::u16string& text) {
  return FromAnsi(ToAnsi(text)) == text;
}

}  // namespace platform::win32
