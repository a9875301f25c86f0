# Cross-compiles draft2d for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix).
#
# The posix-threads flavour of the compiler is required: GoogleTest needs std::mutex, which the
# win32-threads flavour does not provide. Executables and the DLL link the C++ runtime statically
# (-static), so the only DLL a test needs beside it is the library itself; scripts/check-windows.sh
# also puts every executable and DLL into one folder (CMAKE_RUNTIME_OUTPUT_DIRECTORY) for that reason.
#
# Tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR, so ctest and gtest_discover_tests work
# unchanged. GoogleTest has to be a MinGW build too; pass its package folder with -DGTest_DIR=...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DRAFT2D_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${DRAFT2D_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${DRAFT2D_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${DRAFT2D_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW sysroot (and from any prefix the caller adds); build
# tools such as pkg-config or Python come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DRAFT2D_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# The 64-bit loader directly: the `wine` wrapper prints a warning about a missing 32-bit Wine for
# every process, which would end up in every failing test's output.
find_program(DRAFT2D_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT DRAFT2D_WINE)
    find_program(DRAFT2D_WINE NAMES wine64 wine)
endif()
if(DRAFT2D_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${DRAFT2D_WINE}")
endif()
