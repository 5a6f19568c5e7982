// recorder: stands in for a program another program starts, and notes how it was started.
// Each run appends one line to "recorder.log" in its own folder and ends with exit code 0:
//
//   <start time><TAB><priority class><TAB><start flags><TAB><the exact command line>\n
//
// The start time is the process creation time (100 ns units since 1601) as the system
// recorded it when the parent created the process. The class (GetPriorityClass) and the
// flags of its STARTUPINFO (GetStartupInfoW) are hexadecimal, as the parent passed them. While
// a file "recorder.hold" is in its folder the run stays alive after its line (two minutes at
// most), as a program busy for longer than its parent waits would. Copies started back to back run
// concurrently and may reach the log in any order; sorting by this time gives the order in
// which they were started. The line is UTF-8 and goes out in one append-mode write. Under load
// Wine's appends from processes side by side are not reliable (of 19 copies started at once, a
// line was now and then lost), so the copies take turns through a named mutex.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ToUtf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

std::wstring Folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return {};
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path;
}

unsigned long long StartTime() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%020llu\t%lx\t%lx\t", StartTime(),
                static_cast<unsigned long>(GetPriorityClass(GetCurrentProcess())),
                static_cast<unsigned long>(startup.dwFlags));
  const std::string line = stamp + ToUtf8(GetCommandLineW()) + "\n";
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"TidewardenTestRecorderLog");
  if (turn == nullptr || WaitForSingleObject(turn, 30000) == WAIT_TIMEOUT) return 1;
  // FILE_APPEND_DATA alone: every write lands at the current end of the file.
  HANDLE log = CreateFileW((Folder() + L"recorder.log").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  BOOL ok = FALSE;
  DWORD written = 0;
  if (log != INVALID_HANDLE_VALUE) {
    ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
  }
  ReleaseMutex(turn);
  CloseHandle(turn);
  const std::wstring hold = Folder() + L"recorder.hold";
  for (int wait = 0; wait < 1200 && GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES;
       ++wait) {
    Sleep(100);
  }
  return ok && written == line.size() ? 0 : 1;
}
