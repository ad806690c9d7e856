# Debian packages: "vantro", the gadget (component gadget: the library and its
# resources under the install prefix, /usr/ug/vantro by default), and
# "vantro-sim", the simulated platform with the host viewer and make-bmk
# (component sim, under /usr/lib/vantro-sim and /usr/bin).
# `cmake --install` alone installs the gadget only; the simulator is asked for
# by name: `cmake --install BUILD --component sim`, or through `cpack -G DEB`.

set(VANTRO_SIM_LIBDIR /usr/lib/vantro-sim)

install(TARGETS vantro-platform-sim LIBRARY DESTINATION ${VANTRO_SIM_LIBDIR} COMPONENT sim EXCLUDE_FROM_ALL)
foreach(tool tv-viewer-sim make-bmk)
  if(TARGET ${tool})
    # Relative, so that an unpacked package runs wherever it was unpacked.
    set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/../lib/vantro-sim")
    install(TARGETS ${tool} RUNTIME DESTINATION /usr/bin COMPONENT sim EXCLUDE_FROM_ALL)
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "libvantro developers <vantro@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL gadget sim)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# cpack labels packages with the build machine's architecture unless told:
# a cross build's packages carry the target's Debian name.
if(CMAKE_CROSSCOMPILING)
  set(vantro_debian_archs aarch64 arm64 arm armhf x86_64 amd64 i686 i386)
  list(FIND vantro_debian_archs "${CMAKE_SYSTEM_PROCESSOR}" i)
  if(i GREATER -1)
    math(EXPR i "${i} + 1")
    list(GET vantro_debian_archs ${i} CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  endif()
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# A source package is the tracked tree, not the build directories beside it.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

# Each description's first line is its package's summary.
set(CPACK_DEBIAN_GADGET_PACKAGE_NAME vantro)
set(CPACK_DEBIAN_GADGET_DESCRIPTION "Sports-mode gadget of the TV's PVR
The UI gadget libvantro.so.0.1 that the live viewer loads, with its layout,
images and translations.")
# EFL comes from the distribution; the platform services come from whatever
# VANTRO_PLATFORM_LIBS names: on the host that is the simulated platform.
set(vantro_gadget_depends "libc6, libstdc++6, libelementary1, libedje1, libevas1, libecore1, libecore-x1")
if(VANTRO_PLATFORM_LIBS STREQUAL "vantro-platform-sim")
  string(APPEND vantro_gadget_depends ", vantro-sim (= ${PROJECT_VERSION})")
endif()
set(CPACK_DEBIAN_GADGET_PACKAGE_DEPENDS "${vantro_gadget_depends}")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME vantro-sim)
set(CPACK_DEBIAN_SIM_DESCRIPTION "Simulated TV platform and host viewer for libvantro
The simulated platform services, tv-viewer-sim (plays the live viewer and runs
scenarios) and make-bmk (writes bookmark files).")
set(CPACK_DEBIAN_SIM_PACKAGE_DEPENDS "libc6, libstdc++6, libelementary1, libecore-evas1, libevas1, libecore1")

# Every component is staged under the packaging prefix, so the simulator's
# staging tree holds an empty usr/ug/vantro: drop empty directories before the
# packages are made.
file(WRITE ${CMAKE_BINARY_DIR}/CPackPruneEmptyDirs.cmake [=[
foreach(component sim)
  file(GLOB_RECURSE dirs LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/${component}/*")
  list(SORT dirs)
  list(REVERSE dirs)  # children before their parents
  foreach(dir ${dirs})
    file(GLOB entries "${dir}/*")
    if(IS_DIRECTORY "${dir}" AND NOT entries)
      file(REMOVE_RECURSE "${dir}")
    endif()
  endforeach()
endforeach()
]=])
# A package whose library looks for its resources anywhere but where the
# package puts them would look in a build tree: refuse to make it. Checks that
# unpack a package under a scratch root and point the library there set
# VANTRO_PACKAGE_ANY_RES_DIR.
option(VANTRO_PACKAGE_ANY_RES_DIR "Package even when VANTRO_RES_DIR is not the installed resource root" OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/CPackPruneEmptyDirs.cmake)
if(NOT VANTRO_RES_DIR STREQUAL "${CMAKE_INSTALL_PREFIX}/res" AND NOT VANTRO_PACKAGE_ANY_RES_DIR)
  file(WRITE ${CMAKE_BINARY_DIR}/CPackResourceRoot.cmake
    "message(FATAL_ERROR \"vantro: refusing to package: this build's gadget reads its resources from "
    "'${VANTRO_RES_DIR}', but the package installs them in '${CMAKE_INSTALL_PREFIX}/res'. "
    "Configure with -DVANTRO_RES_DIR=${CMAKE_INSTALL_PREFIX}/res to package.\")\n")
  list(PREPEND CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/CPackResourceRoot.cmake)
endif()

include(CPack)
