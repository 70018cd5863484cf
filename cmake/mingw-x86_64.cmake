# The 64-bit twin of the 32-bit build: the same sources, for running the
# Windows-side tests under a Wine that cannot run 32-bit programs.
set(KESTRANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# wine64 itself: the wine wrapper starts the 32-bit loader first.
set(CMAKE_CROSSCOMPILING_EMULATOR "env;KESTRANE_WINE=/usr/lib/wine/wine64;${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh")
