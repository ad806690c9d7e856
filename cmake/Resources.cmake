# Lays the gadget's resources out under ${CMAKE_BINARY_DIR}/res as they are
# installed: the compiled layout, the images and the compiled catalogues.
find_program(EDJE_CC edje_cc REQUIRED)
find_program(MSGFMT msgfmt REQUIRED)

set(VANTRO_RES_OUT ${CMAKE_BINARY_DIR}/res)
set(VANTRO_RES_OUTPUTS)

file(GLOB VANTRO_EDC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/edje/*.edc)
foreach(edc ${VANTRO_EDC_FILES})
  get_filename_component(name ${edc} NAME_WE)
  set(edj ${VANTRO_RES_OUT}/edje/${name}.edj)
  file(GLOB edc_deps CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/edje/*)
  add_custom_command(OUTPUT ${edj}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTRO_RES_OUT}/edje ${CMAKE_BINARY_DIR}/tmp
    # The toolkit may start its desktop-file daemon here: its log stays in the build tree.
    COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${CMAKE_BINARY_DIR}/tmp ${EDJE_CC} -id ${CMAKE_SOURCE_DIR}/res/edje/images -fd ${CMAKE_SOURCE_DIR}/res/edje/fonts
            ${edc} ${edj}
    DEPENDS ${edc_deps}
    COMMENT "edje_cc ${name}.edc"
    VERBATIM)
  list(APPEND VANTRO_RES_OUTPUTS ${edj})
endforeach()

file(GLOB_RECURSE VANTRO_PO_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/locale/*.po)
foreach(po ${VANTRO_PO_FILES})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/res/locale ${po})
  get_filename_component(dir ${rel} DIRECTORY)
  get_filename_component(name ${rel} NAME_WE)
  set(mo ${VANTRO_RES_OUT}/locale/${dir}/${name}.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTRO_RES_OUT}/locale/${dir}
    COMMAND ${MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "msgfmt ${rel}"
    VERBATIM)
  list(APPEND VANTRO_RES_OUTPUTS ${mo})
endforeach()

foreach(dir 1920X1080 images/1920X1080)
  file(GLOB pngs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/${dir}/*.png)
  foreach(png ${pngs})
    get_filename_component(name ${png} NAME)
    set(out ${VANTRO_RES_OUT}/${dir}/${name})
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy ${png} ${out}
      DEPENDS ${png}
      VERBATIM)
    list(APPEND VANTRO_RES_OUTPUTS ${out})
  endforeach()
endforeach()

add_custom_target(vantro_resources ALL DEPENDS ${VANTRO_RES_OUTPUTS})
