# A cross-build has no GoogleTest for its target among the system's packages: build it with the
# same toolchain from the sources Debian's googletest package installs.
set(LIVNA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources built for a cross-build")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${LIVNA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The test programs run through the emulator (wine): list their tests when CTest runs, not as
# part of the build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
