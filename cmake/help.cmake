# The user manual: docs/manual/manual.txt becomes Mirtavolen.txt (code page
# 932, CRLF) and the pages of Mirtavolen.chm, which chmcmd compiles. Both
# land beside Mirtavolen.exe, where the Help menu looks for them.
find_program(MIRTAVOLEN_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)
find_program(MIRTAVOLEN_CHMCMD NAMES chmcmd REQUIRED)

set(HELP_SOURCE ${CMAKE_SOURCE_DIR}/docs/manual/manual.txt)
set(HELP_TOOL ${CMAKE_SOURCE_DIR}/docs/manual/makehelp.py)
set(HELP_PAGES ${CMAKE_BINARY_DIR}/help)
set(HELP_TXT ${CMAKE_BINARY_DIR}/Mirtavolen.txt)
set(HELP_CHM ${CMAKE_BINARY_DIR}/Mirtavolen.chm)

add_custom_command(
  OUTPUT ${HELP_TXT} ${HELP_PAGES}/Mirtavolen.hhp
  COMMAND ${MIRTAVOLEN_PYTHON} ${HELP_TOOL} --version ${PROJECT_VERSION}
          --txt ${HELP_TXT} --html ${HELP_PAGES} ${HELP_SOURCE}
  DEPENDS ${HELP_TOOL} ${HELP_SOURCE}
  COMMENT "Writing Mirtavolen.txt and the help pages"
  VERBATIM)

# chmcmd writes the file next to the project; a failed compile leaves none,
# so the copy fails with it. fixchm.py zeroes the two build-time stamps
# chmcmd puts in it: the same manual always gives the same .chm, which the
# release archive needs to be reproducible (cmake/dist.cmake).
add_custom_command(
  OUTPUT ${HELP_CHM}
  COMMAND ${CMAKE_COMMAND} -E rm -f Mirtavolen.chm
  COMMAND ${MIRTAVOLEN_CHMCMD} --verbosity 0 Mirtavolen.hhp
  COMMAND ${MIRTAVOLEN_PYTHON} ${CMAKE_SOURCE_DIR}/docs/manual/fixchm.py Mirtavolen.chm
  COMMAND ${CMAKE_COMMAND} -E copy Mirtavolen.chm ${HELP_CHM}
  WORKING_DIRECTORY ${HELP_PAGES}
  DEPENDS ${HELP_PAGES}/Mirtavolen.hhp ${CMAKE_SOURCE_DIR}/docs/manual/fixchm.py
  COMMENT "Compiling Mirtavolen.chm"
  VERBATIM)

add_custom_target(manual ALL DEPENDS ${HELP_TXT} ${HELP_CHM})
