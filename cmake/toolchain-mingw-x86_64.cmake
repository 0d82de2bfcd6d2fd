# 64-bit Windows (PE32+) with mingw-w64: cmake --preset windows-x64
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOSTREL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
