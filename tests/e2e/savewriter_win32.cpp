// Saves large watch lists, one after another, through the programs' own file port, so a test
// can kill it in the middle of a save or let the disk fill up, and then look at what is left.
//
// Usage: savewriter.exe PATH FIRST LAST LINES
//   Saves generations FIRST..LAST (LAST 0: for ever) to PATH. Generation g is LINES lines
//   "C:\ツール\G<g>\P<j>.EXE HIGH" and a last line "END <g> <LINES>", each ending in CR LF.
//   Writes "saved <g>" to standard output after each save. Exit code 0 when every save
//   succeeded, 1 when one failed (it stops there), 2 on bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/files_win32.h"

namespace {

std::u16string Number(unsigned long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string Generation(unsigned long generation, unsigned long lines) {
  std::u16string text;
  const std::u16string folder = u"C:\\ツール\\G" + Number(generation) + u"\\P";
  for (unsigned long j = 0; j < lines; ++j) text += folder + Number(j) + u".EXE HIGH\r\n";
  return text + u"END " + Number(generation) + u" " + Number(lines) + u"\r\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  const std::u16string path(reinterpret_cast<const char16_t*>(argv[1]));
  const unsigned long first = std::wcstoul(argv[2], nullptr, 10);
  const unsigned long last = std::wcstoul(argv[3], nullptr, 10);
  const unsigned long lines = std::wcstoul(argv[4], nullptr, 10);
  platform::win32::FilesWin32 files;
  for (unsigned long g = first; last == 0 || g <= last; ++g) {
    if (!files.WriteText(path, Generation(g, lines))) {
      std::printf("failed %lu\n", g);
      return 1;
    }
    std::printf("saved %lu\n", g);
    std::fflush(stdout);
  }
  return 0;
}
