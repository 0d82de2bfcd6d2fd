# Shared part of the mingw-w64 cross toolchains; the including file sets VOSTREL_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model gives std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VOSTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VOSTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VOSTREL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VOSTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The executables must start on a bare Windows: the compiler's runtime, the C++ library and
# winpthread are linked in instead of being looked for as DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O2 rather than CMake's -O3: at -O3 GCC 12 reports false -Wrestrict warnings inside
# std::string's operator+, which -Werror turns into errors.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")
