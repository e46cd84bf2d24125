# Cross-builds for 64-bit Windows with Debian's mingw-w64 toolchain, the
# posix-thread flavour (std::thread, std::mutex and friends as on Linux).
#   cmake --preset windows-cross        (scripts/windows.sh does it all)
# Libraries built for Windows (GoogleTest, the header-only ones copied over)
# live in TRIPCONF_WINDOWS_DEPS; nothing is taken from the Linux /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(tripconf_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${tripconf_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tripconf_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${tripconf_mingw}-windres)

if(NOT TRIPCONF_WINDOWS_DEPS)
  set(TRIPCONF_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${tripconf_mingw} ${TRIPCONF_WINDOWS_DEPS})
set(CMAKE_PREFIX_PATH ${TRIPCONF_WINDOWS_DEPS})
# Header-only libraries copied there (nlohmann-json, CLI11) are found by
# their CMake files or, included plainly, through this folder.
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${TRIPCONF_WINDOWS_DEPS}/include)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their C and C++ runtime, so tripconf-cli.exe runs from
# any folder without the mingw DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under wine on the build machine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(TRIPCONF_WINE NAMES wine wine64 NO_CMAKE_FIND_ROOT_PATH)
  if(TRIPCONF_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TRIPCONF_WINE})
  endif()
endif()
