# Configures tests/layout/bad_link wired as CASE and compares the outcome with EXPECT:
# "ok" for a configuration that must succeed, else a regular expression the failure must show.
#   cmake -DCASE=... -DEXPECT=... -DSOURCE=... -DBINARY=... -DGENERATOR=... -DCC=... -P run_case.cmake
file(REMOVE_RECURSE ${BINARY})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR} -DCMAKE_C_COMPILER=${CC}
          -DPTP_BAD_LINK=${CASE}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
# CMake wraps long messages; compare with every run of white space as one blank
string(REGEX REPLACE "[ \t\r\n]+" " " all "${out}${err}")
if(EXPECT STREQUAL "ok")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${CASE}: a correct layout was refused:\n${all}")
  endif()
  if(NOT all MATCHES "Layout boundary: [0-9]+ Qt-free targets, none links Qt Widgets")
    message(FATAL_ERROR "${CASE}: the check did not run:\n${all}")
  endif()
else()
  if(rc EQUAL 0)
    message(FATAL_ERROR "${CASE}: a Qt-free target linking the window system was accepted:\n${all}")
  endif()
  if(NOT all MATCHES "${EXPECT}")
    message(FATAL_ERROR "${CASE}: failed, but not with '${EXPECT}':\n${all}")
  endif()
endif()
message(STATUS "${CASE}: as expected")
