set(CMAKE_SYSTEM_PROCESSOR i686)
set(TW_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# SSE2 doubles, as the 64-bit build computes them: x87 extended precision would make a free
# share equal to the threshold compare as below it. Every Windows still supported has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
