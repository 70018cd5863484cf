# The MinGW-w64 toolchain settings; KESTRANE_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model by default: the win32 one has no std::mutex, which
# GoogleTest needs. The program itself needs neither, and is built with the
# win32 one (see mingw-i686-program.cmake).
if(NOT KESTRANE_MINGW_THREADS)
    set(KESTRANE_MINGW_THREADS posix)
endif()
set(CMAKE_C_COMPILER ${KESTRANE_MINGW_TRIPLE}-gcc-${KESTRANE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${KESTRANE_MINGW_TRIPLE}-g++-${KESTRANE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${KESTRANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One file that needs nothing but Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
