# Shared part of the two MinGW-w64 toolchains. Set BAYHAUL_MINGW_TRIPLE
# before including. The -posix compilers give std::thread and std::mutex;
# everything links statically, so a program needs no DLL of the compiler's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${BAYHAUL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BAYHAUL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BAYHAUL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BAYHAUL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
