# Cross compiling for 32-bit Windows with MinGW-w64 (build/win32), the build the program's
# manifest describes; it runs on 32- and 64-bit Windows alike.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KELVORA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
