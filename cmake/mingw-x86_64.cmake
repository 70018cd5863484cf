# The 64-bit twin of the 32-bit build: the same sources, for running the
# Windows-side tests under a Wine that cannot run 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

# The posix thread model: the win32 one has no std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One file that needs nothing but Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# wine64 itself: the wine wrapper starts the 32-bit loader first.
set(CMAKE_CROSSCOMPILING_EMULATOR "env;KESTRANE_WINE=/usr/lib/wine/wine64;${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh")
