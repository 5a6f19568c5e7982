#pragma once

#include <string>
#include <string_view>

namespace common {

// The arguments part of a whole Windows command line (as GetCommandLineW gives it): the
// program name is skipped by the system's own rule (a quoted name runs to the closing quote,
// an unquoted one to the first blank or tab), then the blanks and tabs after it.
std::u16string ArgumentsOf(std::u16string_view commandLine);

}  // namespace common
