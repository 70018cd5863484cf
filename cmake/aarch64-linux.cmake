# kestrane for Linux on ARM (aarch64), cross-built with Debian's
# g++-aarch64-linux-gnu against its arm64 zlib (zlib1g-dev:arm64, through
# multiarch). Its tests run under qemu's user-mode emulator.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# zlib of arm64 in /usr/lib/aarch64-linux-gnu and /usr/include, beside the
# machine's own: only that folder of libraries is searched.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /usr)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu)

# The static programs need no libraries of the target to start; the C
# library's loader is there for what is not static.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
