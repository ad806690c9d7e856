# 32-bit ARM (Debian armhf), the userland of most TVs.
# cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake -DVANTRO_SYSROOT=/path/to/sysroot
set(VANTRO_TRIPLE arm-linux-gnueabihf)
set(VANTRO_TARGET_PROCESSOR arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
