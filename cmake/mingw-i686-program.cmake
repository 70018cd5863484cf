# Kestrane.exe alone for 32-bit Windows, with the win32 thread model of
# MinGW-w64: the program starts no thread through the C++ library, and the
# posix model's threads library would add about 30 KB to it. The windows-x86
# build makes the program this way in a build folder of its own.
set(KESTRANE_MINGW_TRIPLE i686-w64-mingw32)
set(KESTRANE_MINGW_THREADS win32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
