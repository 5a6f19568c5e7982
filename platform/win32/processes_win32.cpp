#include "platform/win32/processes_win32.h"

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include "platform/win32/wide_text.h"

namespace platform::win32 {

std::optional<std::vector<ProcessRecord>> ProcessesWin32::Snapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<ProcessRecord> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    ProcessRecord record;
    record.th32ProcessID = entry.th32ProcessID;
    record.cntThreads = entry.cntThreads;
    record.pcPriClassBase = entry.pcPriClassBase;
    // The whole fixed-size field: the core cuts it at the first NUL.
    record.szExeFile = FromWide(std::wstring_view(entry.szExeFile, MAX_PATH));
    processes.push_back(std::move(record));
  }
  CloseHandle(snapshot);
  return processes;
}

bool ProcessesWin32::SetPriorityClass(std::uint32_t processId, PriorityClass priority) {
  HANDLE process = OpenProcess(PROCESS_SET_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  ::SetPriorityClass(process, static_cast<DWORD>(priority));
  CloseHandle(process);
  return true;
}

}  // namespace platform::win32
