# make dist: build/Mirtavolen-<version>.zip with exactly the stripped
# program and the two help files, no directories.
find_program(MIRTAVOLEN_ZIP NAMES zip REQUIRED)

set(DIST_STAGE ${CMAKE_BINARY_DIR}/dist)
set(DIST_ZIP ${CMAKE_BINARY_DIR}/Mirtavolen-${PROJECT_VERSION}.zip)

add_custom_command(
  OUTPUT ${DIST_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DIST_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_STAGE}
  COMMAND ${CMAKE_STRIP} --strip-all -o ${DIST_STAGE}/Mirtavolen.exe $<TARGET_FILE:Mirtavolen>
  COMMAND ${CMAKE_COMMAND} -E copy ${HELP_CHM} ${HELP_TXT} ${DIST_STAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${DIST_ZIP}
  COMMAND ${MIRTAVOLEN_ZIP} -q -X -D -j ${DIST_ZIP} ${DIST_STAGE}/Mirtavolen.exe
          ${DIST_STAGE}/Mirtavolen.chm ${DIST_STAGE}/Mirtavolen.txt
  DEPENDS Mirtavolen ${HELP_CHM} ${HELP_TXT}
  COMMENT "Packing Mirtavolen-${PROJECT_VERSION}.zip"
  VERBATIM)

add_custom_target(dist DEPENDS ${DIST_ZIP})
