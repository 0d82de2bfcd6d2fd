# 32-bit Windows (PE32) with mingw-w64: cmake --preset windows-x86
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VOSTREL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
