# The Windows program's resources. ui/CMakeLists.txt includes this file and
# calls plcburn_add_windows_resources(<target>) on PlcBurn (and on any test
# program that needs the icon, the logo or the image):
#   icon 1     one 128x128 24-bit image
#   bitmap 12  the 708x218 24-bit logo
#   "BIN" 8    the built-in image, PLCBURN_IMAGE_FILE from resources/CMakeLists.txt
# The icon and the logo come from a small Python generator at build time.

set(PLCBURN_WINDOWS_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/windows)
if(WIN32)
  enable_language(RC)
endif()

function(plcburn_add_windows_resources target)
  if(NOT PLCBURN_IMAGE_FILE)
    message(FATAL_ERROR "plcburn_add_windows_resources: PLCBURN_IMAGE_FILE is not set "
                        "(resources/CMakeLists.txt must come before ${CMAKE_CURRENT_SOURCE_DIR})")
  endif()
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(PLCBURN_ICON_FILE ${out}/plcburn.ico)
  set(PLCBURN_LOGO_FILE ${out}/logo.bmp)
  set(generator ${PLCBURN_WINDOWS_RESOURCES_DIR}/make_art.py)
  add_custom_command(
    OUTPUT ${PLCBURN_ICON_FILE} ${PLCBURN_LOGO_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND Python3::Interpreter ${generator} ${PLCBURN_ICON_FILE} ${PLCBURN_LOGO_FILE}
    DEPENDS ${generator}
    COMMENT "Generating the icon and the logo for ${target}"
    VERBATIM)
  configure_file(${PLCBURN_WINDOWS_RESOURCES_DIR}/plcburn.rc.in ${out}/plcburn.rc @ONLY)
  set_source_files_properties(${out}/plcburn.rc PROPERTIES
    OBJECT_DEPENDS "${PLCBURN_ICON_FILE};${PLCBURN_LOGO_FILE};${PLCBURN_IMAGE_FILE}")
  target_sources(${target} PRIVATE ${out}/plcburn.rc ${PLCBURN_ICON_FILE} ${PLCBURN_LOGO_FILE})
  if(TARGET builtin_image_file)
    add_dependencies(${target} builtin_image_file)
  endif()
endfunction()
