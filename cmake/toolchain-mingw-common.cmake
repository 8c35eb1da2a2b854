# What both MinGW-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR and
# KELVORA_MINGW_PREFIX first. The -posix thread variant: the C++ standard library's threads
# need it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KELVORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVORA_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${KELVORA_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No MinGW DLL needed beside kelvora.exe or the test programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
