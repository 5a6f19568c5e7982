# GoogleTest for the Windows builds of the unit tests, compiled from the source Debian's
# libgtest-dev ships (its libraries are Linux ones). It is not ours: tw_warnings is not applied,
# so -Werror never judges its code.
set(TW_GTEST_SOURCE_DIR /usr/src/googletest/googletest
    CACHE PATH "GoogleTest source folder (googletest/ of the googletest package)")
if(NOT EXISTS ${TW_GTEST_SOURCE_DIR}/src/gtest-all.cc)
  message(FATAL_ERROR "No GoogleTest source in ${TW_GTEST_SOURCE_DIR} (Debian: libgtest-dev)")
endif()
add_library(tw_gtest_main STATIC
  ${TW_GTEST_SOURCE_DIR}/src/gtest-all.cc ${TW_GTEST_SOURCE_DIR}/src/gtest_main.cc)
target_include_directories(tw_gtest_main SYSTEM PUBLIC ${TW_GTEST_SOURCE_DIR}/include)
target_include_directories(tw_gtest_main PRIVATE ${TW_GTEST_SOURCE_DIR})

# MinGW's win32 thread model has no std::mutex before GCC 13; GoogleTest's Windows port uses
# its own mutexes but one std::mutex in its Notification, given here instead. The library and
# the tests must see the same class, hence PUBLIC.
include(CheckCXXSourceCompiles)
check_cxx_source_compiles("#include <mutex>
std::mutex m;
int main() { return 0; }" TW_HAVE_STD_MUTEX)
if(NOT TW_HAVE_STD_MUTEX)
  target_compile_options(tw_gtest_main PUBLIC
    "SHELL:-include ${PROJECT_SOURCE_DIR}/cmake/gtest_notification.h")
endif()
add_library(GTest::gtest_main ALIAS tw_gtest_main)
