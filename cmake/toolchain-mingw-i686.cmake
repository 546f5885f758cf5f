# 32-bit Windows: the program that ships, since the terminal maker's library
# is 32-bit. Built and checked here, never run (this machine runs no 32-bit
# code).
set(BAYHAUL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
