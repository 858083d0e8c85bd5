# Cross-builds for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which C++20's
# std::thread and std::mutex need). ICU comes from the folder TANSEL_ICU_ROOT names, ICU built for
# Windows (scripts/windows/build-icu.sh makes one; a plug-in author may point it at the host's own).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# Configure checks compile a test program once per try; the toolchain file is read for each.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TANSEL_ICU_ROOT)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
if(TANSEL_ICU_ROOT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TANSEL_ICU_ROOT})
  set(ICU_ROOT ${TANSEL_ICU_ROOT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and DLLs carry the C++ run-time, libgcc and the thread library inside them, so they need
# only Windows' own DLLs and ICU's (which is linked by the full path of its import library).
foreach(_kind EXE SHARED MODULE)
  set(CMAKE_${_kind}_LINKER_FLAGS_INIT -static)
endforeach()

# Programs built here run under Wine when it is installed (tests, the simulator's own tools).
find_program(TANSEL_WINE NAMES wine wine64)
if(TANSEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TANSEL_WINE})
endif()

# The printf family as C99 defines it (mingw-w64's own, as today's Windows C run-time prints), not
# the old msvcrt's: the library's formatting falls back to it and prints alike on both systems.
set(CMAKE_C_FLAGS_INIT -D__USE_MINGW_ANSI_STDIO=1)
set(CMAKE_CXX_FLAGS_INIT -D__USE_MINGW_ANSI_STDIO=1)
