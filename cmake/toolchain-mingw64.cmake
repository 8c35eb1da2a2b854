# Cross compiling for 64-bit Windows with MinGW-w64 (build/windows).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVORA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
