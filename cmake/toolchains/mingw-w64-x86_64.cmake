# Cross-build for 64-bit Windows with Debian's mingw-w64. The -posix compilers: with the win32
# thread model GCC 12 has no std::thread or std::jthread, which the link workers need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LIVNA_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${LIVNA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LIVNA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LIVNA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LIVNA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs run under wine (and on a bare Windows) without the toolchain's
# libstdc++ and winpthread DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest and gtest_discover_tests run the test programs through wine.
find_program(LIVNA_WINE NAMES wine64 wine)
if(LIVNA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LIVNA_WINE})
endif()
