#include "common/command_line.h"

namespace common {

std::u16string ArgumentsOf(std::u16string_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == u'"') {
    const size_t close = commandLine.find(u'"', 1);
    i = close == std::u16string_view::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && commandLine[i] != u' ' && commandLine[i] != u'\t') ++i;
  while (i < commandLine.size() && (commandLine[i] == u' ' || commandLine[i] == u'\t')) ++i;
  return std::u16string(commandLine.substr(i));
}

}  // namespace common
