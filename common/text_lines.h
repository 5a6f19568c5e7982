#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace common {

// The lines of a settings file's text, without their ends. CR LF or a lone CR ends a line; a
// lone LF does not, it stays in the line. Text after the last end is a line of its own.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// A folder path with one "\" at its end, for a file name to follow.
std::u16string WithTrailingBackslash(std::u16string_view folder);

}  // namespace common
