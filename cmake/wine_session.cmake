# The Wine session the Windows tests run in, as a ctest fixture. The test
# wine_session_start starts it with tools/wine-session.sh: a virtual screen
# unless a display is there, a private prefix in build/<tree>/wine-session,
# one wineserver and the native simulator (MODEMSIM) serving the COM ports;
# its environment goes to a file there. wine_session_stop ends it.
#
# Each Windows test is added by add_windows_test(), which runs it in that
# session (the same script, under the session's Wine loader) and makes it
# require the fixture. Without the native tree's simulator the session and
# its tests are skipped, and say so (cmake/test_inputs.cmake).
#   add_windows_test(NAME name COMMAND target|program [arg...]
#                    [NEEDS file...] [WORKING_DIRECTORY dir])
set(WINE_SESSION_SCRIPT ${CMAKE_SOURCE_DIR}/tools/wine-session.sh)
set(WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine-session)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(wine_arch win32)
else()
  set(wine_arch win64)
endif()
add_test_needing(NAME wine_session_start NEEDS ${MODEMSIM}
                 COMMAND ${WINE_SESSION_SCRIPT} start ${WINE_SESSION_DIR} ${wine_arch} ${MODEMSIM})
add_test(NAME wine_session_stop COMMAND ${WINE_SESSION_SCRIPT} stop ${WINE_SESSION_DIR})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)

function(add_windows_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;WORKING_DIRECTORY" "NEEDS;COMMAND")
  list(POP_FRONT arg_COMMAND program)
  test_program(${program} program)
  set(where "")
  if(arg_WORKING_DIRECTORY)
    set(where WORKING_DIRECTORY ${arg_WORKING_DIRECTORY})
  endif()
  add_test_needing(NAME ${arg_NAME} NEEDS ${MODEMSIM} ${arg_NEEDS} ${where}
                   COMMAND ${WINE_SESSION_SCRIPT} run ${WINE_SESSION_DIR} ${program} ${arg_COMMAND})
  set_tests_properties(${arg_NAME} PROPERTIES FIXTURES_REQUIRED wine_session)
endfunction()
