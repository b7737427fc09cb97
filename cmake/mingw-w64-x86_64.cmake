# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix: the
# POSIX thread model, which std::thread and std::mutex need). The run-time is linked in
# statically, so that the programs run alone on a Windows machine, and the tests run under
# Wine here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUOREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUOREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUOREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUOREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ run-times and winpthread inside every executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows 10 and later: the high-resolution waitable timer, WSAPoll, long paths.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 WIN32_LEAN_AND_MEAN NOMINMAX
                        UNICODE _UNICODE)

# CTest and the test discovery run the programs under Wine.
find_program(QUOREL_WINE NAMES wine wine64)
if(QUOREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUOREL_WINE})
endif()
