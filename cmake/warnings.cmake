# Warnings on for every target of ours; -Werror when TW_WERROR is set (CI does).
add_library(tw_warnings INTERFACE)
target_compile_options(tw_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2)
# GCC 12 reports false -Wrestrict overlaps inside std::string's operator+ at -O2 and above
# (GCC bug 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tw_warnings INTERFACE -Wno-restrict)
endif()
if(TW_WERROR)
  target_compile_options(tw_warnings INTERFACE -Werror)
endif()
