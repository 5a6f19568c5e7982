// winprobe: the end-to-end tests' hands and eyes inside the Wine desktop. A console program
// that finds, reads and presses the windows of other processes and prints what it saw as one
// line of JSON (UTF-8). Texts on its command line come hex-encoded as UTF-8, so they arrive
// intact whatever the locale of the Wine session.
//
//   winprobe windows                          every top-level window
//   winprobe msgbox HEXTITLE [MS] [press]      wait for a message box with that caption, read
//                                              its text and buttons; "press" clicks its OK
//   winprobe absent HEXTITLE [MS]              wait until no window has that caption
//   winprobe run HEXEXE HEXCMDLINE [MS]        start a program with exactly that command
//                                              line and wait for it; prints its exit code
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring FromHexUtf8(const std::wstring& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::wcstoul(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                       nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                      size);
  return out;
}

std::string Json(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : ToUtf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// Control texts of another process must be asked for with the W message (GetWindowText does
// not ask other processes for controls, and the A message loses the Japanese); a timeout
// keeps a hung window from hanging the probe.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                           reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000, &got)) {
    return {};
  }
  text.resize(static_cast<size_t>(got));
  return text;
}

// A top-level window's caption is kept by the system, so reading it never waits on the owner.
std::wstring CaptionOf(HWND window) {
  wchar_t caption[512] = {};
  GetWindowTextW(window, caption, 512);
  return caption;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindByCaption(const std::wstring& caption, const wchar_t* className) {
  for (HWND window : TopLevelWindows()) {
    if (className != nullptr && ClassOf(window) != className) continue;
    if (CaptionOf(window) == caption) return window;
  }
  return nullptr;
}

int ListWindows() {
  std::printf("[");
  bool first = true;
  for (HWND window : TopLevelWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("%s{\"hwnd\":%llu,\"pid\":%lu,\"class\":%s,\"title\":%s,\"visible\":%s}",
                first ? "" : ",", static_cast<unsigned long long>(
                                      reinterpret_cast<ULONG_PTR>(window)),
                pid, Json(ClassOf(window)).c_str(), Json(CaptionOf(window)).c_str(),
                IsWindowVisible(window) ? "true" : "false");
    first = false;
  }
  std::printf("]\n");
  return 0;
}

int ReadMessageBox(const std::wstring& title, DWORD timeoutMs, bool press) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  HWND box = nullptr;
  while ((box = FindByCaption(title, L"#32770")) == nullptr) {
    if (GetTickCount64() > deadline) {
      std::printf("{\"found\":false}\n");
      return 1;
    }
    Sleep(50);
  }
  std::wstring text;
  std::string buttons;
  for (HWND child : ChildWindows(box)) {
    if (GetDlgCtrlID(child) == 0xFFFF && ClassOf(child) == L"Static") text = TextOf(child);
    if (ClassOf(child) == L"Button") {
      if (!buttons.empty()) buttons += ',';
      buttons += Json(TextOf(child));
    }
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  std::printf("{\"found\":true,\"pid\":%lu,\"title\":%s,\"text\":%s,\"buttons\":[%s]}\n", pid,
              Json(CaptionOf(box)).c_str(), Json(text).c_str(), buttons.c_str());
  std::fflush(stdout);
  if (press) {
    HWND ok = GetDlgItem(box, IDOK);
    if (ok == nullptr) return 2;
    SendMessageW(ok, BM_CLICK, 0, 0);
  }
  return 0;
}

int WaitAbsent(const std::wstring& title, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (FindByCaption(title, nullptr) != nullptr) {
    if (GetTickCount64() > deadline) {
      std::printf("{\"absent\":false}\n");
      return 1;
    }
    Sleep(50);
  }
  std::printf("{\"absent\":true}\n");
  return 0;
}

int RunProgram(const std::wstring& exe, std::wstring commandLine, DWORD timeoutMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    std::printf("{\"started\":false,\"error\":%lu}\n", GetLastError());
    return 1;
  }
  CloseHandle(info.hThread);
  const bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  if (!ended) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  std::printf("{\"started\":true,\"ended\":%s,\"exit\":%lu}\n", ended ? "true" : "false",
              code);
  return ended ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  auto timeoutAt = [&](size_t i) {
    return args.size() > i ? static_cast<DWORD>(std::wcstoul(args[i].c_str(), nullptr, 10))
                           : DWORD{10000};
  };
  if (args.size() == 1 && args[0] == L"windows") return ListWindows();
  if (args.size() >= 2 && args[0] == L"msgbox") {
    return ReadMessageBox(FromHexUtf8(args[1]), timeoutAt(2),
                          args.size() > 3 && args[3] == L"press");
  }
  if (args.size() >= 2 && args[0] == L"absent") {
    return WaitAbsent(FromHexUtf8(args[1]), timeoutAt(2));
  }
  if (args.size() >= 3 && args[0] == L"run") {
    return RunProgram(FromHexUtf8(args[1]), FromHexUtf8(args[2]), timeoutAt(3));
  }
  std::fprintf(stderr, "usage: winprobe windows | msgbox HEXTITLE [MS] [press] | absent HEXTITLE [MS] |"
               " run HEXEXE HEXCMDLINE [MS]\n");
  return 64;
}
