# Shared by the per-architecture toolchain files: a Debian-style multiarch
# sysroot (a device team points VANTRO_SYSROOT at its SDK's instead) and the
# GNU cross compilers named by VANTRO_TRIPLE.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${VANTRO_TARGET_PROCESSOR})

if(NOT VANTRO_SYSROOT)
  set(VANTRO_SYSROOT "$ENV{VANTRO_SYSROOT}")
endif()
if(NOT VANTRO_SYSROOT OR NOT IS_DIRECTORY "${VANTRO_SYSROOT}")
  message(FATAL_ERROR "Set VANTRO_SYSROOT to the target's sysroot (got '${VANTRO_SYSROOT}')")
endif()
# try_compile projects configure with this file again: hand them the sysroot.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTRO_SYSROOT VANTRO_EMULATOR)

set(CMAKE_SYSROOT "${VANTRO_SYSROOT}")
set(CMAKE_C_COMPILER ${VANTRO_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VANTRO_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${VANTRO_TRIPLE})
# GCC notes that the ARM ABI for some argument types changed in GCC 7; every
# part of the build uses one compiler, so the note says nothing here.
set(CMAKE_C_FLAGS_INIT "-Wno-psabi")
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

# Build tools (edje_cc, msgfmt, compare) run on the build machine; libraries,
# headers and packages come from the sysroot only.
set(CMAKE_FIND_ROOT_PATH "${VANTRO_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_SYSROOT_DIR} "${VANTRO_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
    "${VANTRO_SYSROOT}/usr/lib/${VANTRO_TRIPLE}/pkgconfig:${VANTRO_SYSROOT}/usr/share/pkgconfig")

# The libraries' own dependencies are resolved inside the sysroot as well.
foreach(dir usr/lib/${VANTRO_TRIPLE} lib/${VANTRO_TRIPLE})
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,-rpath-link,${VANTRO_SYSROOT}/${dir}")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,-rpath-link,${VANTRO_SYSROOT}/${dir}")
endforeach()

# How CTest (and the tests that start programs themselves) run target
# programs here; unset on a device SDK without an emulator.
if(NOT VANTRO_EMULATOR)
  set(VANTRO_EMULATOR "$ENV{VANTRO_EMULATOR}")
endif()
if(VANTRO_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${VANTRO_EMULATOR}")
endif()

