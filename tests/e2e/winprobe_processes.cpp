// winprobe's process commands: starting a program with an exact command line, the running
// processes, their priority classes and what they cost, and the physical memory.
#include <windows.h>
// after windows.h
#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "winprobe.h"

namespace winprobe {
namespace {

int RunProgram(const Args& args) {
  const std::wstring exe = args.Text(0);
  std::wstring commandLine = args.Text(1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return Answer(JsonObject().Bool("started", false).Number("error", GetLastError()), 1);
  }
  CloseHandle(info.hThread);
  const bool ended = WaitForSingleObject(info.hProcess, args.Timeout(2)) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  if (!ended) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  return Answer(JsonObject().Bool("started", true).Bool("ended", ended).Number("exit", code),
                ended ? 0 : 1);
}

int Processes(const Args&) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return Answer(JsonObject().Number("error", GetLastError()), 1);
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  JsonArray list;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    list.Add(JsonObject()
                 .Number("pid", entry.th32ProcessID)
                 .Number("parent", entry.th32ParentProcessID)
                 .Text("name", entry.szExeFile)
                 .Number("threads", entry.cntThreads)
                 .Number("base", entry.pcPriClassBase)
                 .Str());
  }
  CloseHandle(snapshot);
  return Answer(list.Str(), 0);
}

// The classes of several processes in one go, so a test reads them all within one moment;
// null for a process that cannot be opened or read.
int Priorities(const Args& args) {
  JsonArray list;
  bool all = true;
  for (size_t i = 0; i < args.size(); ++i) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, args.Number(i));
    const DWORD priority = process != nullptr ? GetPriorityClass(process) : 0;
    if (process != nullptr) CloseHandle(process);
    list.Add(priority != 0 ? std::to_string(priority) : "null");
    all = all && priority != 0;
  }
  return Answer(JsonObject().Raw("classes", list.Str()), all ? 0 : 1);
}

int SetPriority(const Args& args) {
  HANDLE process = OpenProcess(PROCESS_SET_INFORMATION, FALSE, args.Number(0));
  if (process == nullptr) {
    return Answer(JsonObject().Bool("set", false).Number("error", GetLastError()), 1);
  }
  const bool set = SetPriorityClass(process, args.Number(1)) != FALSE;
  const DWORD error = GetLastError();
  CloseHandle(process);
  return Answer(JsonObject().Bool("set", set).Number("error", set ? 0UL : error), set ? 0 : 1);
}

// The process's handles, counted in the system's handle table: Wine answers
// GetProcessHandleCount with 0. -1 when the table cannot be read.
long HandlesInSystemTable(DWORD pid) {
  struct Entry {
    USHORT process;
    USHORT backTrace;
    UCHAR type;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<unsigned char> buffer(1u << 20);
  for (int attempt = 0; attempt < 6; ++attempt, buffer.resize(buffer.size() * 4)) {
    ULONG needed = 0;
    if (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
              &needed) != 0) {
      continue;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const size_t first = sizeof(ULONG_PTR);  // the count, padded to the entries' alignment
    if (first + static_cast<size_t>(count) * sizeof(Entry) > buffer.size()) return -1;
    long mine = 0;
    for (ULONG i = 0; i < count; ++i) {
      Entry entry{};
      std::memcpy(&entry, buffer.data() + first + i * sizeof(Entry), sizeof entry);
      mine += entry.process == static_cast<USHORT>(pid) ? 1 : 0;
    }
    return mine;
  }
  return -1;
}

// What a process costs the system now: CPU time, private bytes, handles, GDI and USER objects.
// GDI and USER are 0 under Wine; menuprobe's census counts those from inside the process.
int ProcessStats(const Args& args) {
  const auto pid = static_cast<DWORD>(args.Int(0));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) {
    return Answer(JsonObject().Bool("found", false).Number("error", GetLastError()), 1);
  }
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) /
           1e7;
  };
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  DWORD counted = 0;
  GetProcessHandleCount(process, &counted);
  const long handles = counted != 0 ? static_cast<long>(counted) : HandlesInSystemTable(pid);
  const JsonObject answer =
      JsonObject()
          .Bool("found", true)
          .Fixed("cpu_seconds", seconds(kernel) + seconds(user), 3)
          .Number("private_bytes", static_cast<unsigned long long>(memory.PrivateUsage))
          .Number("working_set", static_cast<unsigned long long>(memory.WorkingSetSize))
          .Number("handles", handles)
          .Number("gdi", GetGuiResources(process, GR_GDIOBJECTS))
          .Number("user", GetGuiResources(process, GR_USEROBJECTS));
  CloseHandle(process);
  return Answer(answer, 0);
}

int Memory(const Args&) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) {
    return Answer(JsonObject().Number("error", GetLastError()), 1);
  }
  return Answer(
      JsonObject().Number("total", status.ullTotalPhys).Number("avail", status.ullAvailPhys), 0);
}

constexpr probe::Command kCommands[] = {
    {L"run", "HEXEXE HEXCMDLINE [MS]",
     "start a program with exactly that command line and wait for it; prints its exit code", 2,
     probe::kAnyCount, RunProgram},
    {L"processes", "", "running processes: id, parent, exe name, threads, base priority", 0, 0,
     Processes},
    {L"priority", "PID [PID]...", "the priority classes of processes", 1, probe::kAnyCount,
     Priorities},
    {L"set-priority", "PID CLASS",
     "set it (CLASS as a number, 0x.. allowed), as another tool would", 2, 2, SetPriority},
    {L"procstats", "PID", "CPU time, private bytes, handles, GDI objects", 1, 1, ProcessStats},
    {L"memory", "", "physical memory as programs see it", 0, 0, Memory},
};

}  // namespace

std::span<const probe::Command> ProcessCommands() { return kCommands; }

}  // namespace winprobe
