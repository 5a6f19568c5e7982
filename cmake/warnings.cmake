# Warnings on for every target of ours; -Werror when TW_WERROR is set (CI does).
add_library(tw_warnings INTERFACE)
target_compile_options(tw_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2)
if(TW_WERROR)
  target_compile_options(tw_warnings INTERFACE -Werror)
endif()
