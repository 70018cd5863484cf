# Cross-compiles Kestrane for 32-bit Windows with MinGW-w64 and runs the
# Windows programs (tests, the program itself) under Wine.
set(KESTRANE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh")
