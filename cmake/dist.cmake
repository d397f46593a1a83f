# make dist: build/Mirtavolen-<version>.zip with exactly the stripped
# program and the two help files, no directories.
#
# The archive is reproducible: two builds of one commit, from two clones in
# any directories, give the same bytes (tests/reproducible.sh checks it).
# Mirtavolen.exe has no link time stamp (src/app/CMakeLists.txt), and strip
# writes none either: it puts the time of its run into the PE header unless
# SOURCE_DATE_EPOCH says otherwise, and 0 means no time stamp, as the linker
# leaves it. The .chm has none of chmcmd's (cmake/help.cmake), the text
# manual never had one, and scripts/pack-dist.py writes the entries in a
# fixed order with fixed attributes, dated with the commit's date. The
# target packs afresh every time it is made, so the date follows the commit
# even when nothing else changed.
set(DIST_STAGE ${CMAKE_BINARY_DIR}/dist)
set(DIST_ZIP ${CMAKE_BINARY_DIR}/Mirtavolen-${PROJECT_VERSION}.zip)

add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DIST_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_STAGE}
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
          ${CMAKE_STRIP} --strip-all -o ${DIST_STAGE}/Mirtavolen.exe $<TARGET_FILE:Mirtavolen>
  COMMAND ${CMAKE_COMMAND} -E copy ${HELP_CHM} ${HELP_TXT} ${DIST_STAGE}
  COMMAND ${MIRTAVOLEN_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/pack-dist.py
          --source ${CMAKE_SOURCE_DIR} --output ${DIST_ZIP}
          ${DIST_STAGE}/Mirtavolen.exe ${DIST_STAGE}/Mirtavolen.chm ${DIST_STAGE}/Mirtavolen.txt
  BYPRODUCTS ${DIST_ZIP}
  COMMENT "Packing Mirtavolen-${PROJECT_VERSION}.zip"
  VERBATIM)
add_dependencies(dist Mirtavolen manual)
