# 64-bit ARM (Debian arm64).
# cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm64.cmake -DVANTRO_SYSROOT=/path/to/sysroot
set(VANTRO_TRIPLE aarch64-linux-gnu)
set(VANTRO_TARGET_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
