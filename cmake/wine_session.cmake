# The Wine session the Windows tests run in, as a ctest fixture. The test
# wine_session_start starts it with tools/wine-session.sh: a virtual screen
# unless a display is there, a private prefix in build/<tree>/wine-session,
# one wineserver and the native simulator (MODEMSIM) serving the COM ports;
# its environment goes to a file there. wine_session_stop ends it. Every
# other test of the tree requires it and runs through the same script, which
# takes that environment and runs the program under the session's Wine loader.
#
# Include this before the directories with tests, and add
# cmake/wine_session (the fixture's own tests) after the last of them.
set(WINE_SESSION_SCRIPT ${CMAKE_SOURCE_DIR}/tools/wine-session.sh)
set(WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine-session)

# A target takes its emulator when it is made: this comes before them all.
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_SESSION_SCRIPT} run ${WINE_SESSION_DIR})

# The tests of DIR and of the directories below it.
function(wine_session_collect_tests dir out)
  get_property(found DIRECTORY ${dir} PROPERTY TESTS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    wine_session_collect_tests(${subdir} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Makes every test of the tree require the session, however many directories
# add tests. CMake sets a test's properties only in the test's own directory;
# ctest sets them anywhere, so this writes them for ctest, into the fixture's
# directory: ctest reads that one last. ctest adds them to a test's fixtures,
# so those a directory names itself stay.
function(wine_session_require_everywhere)
  set(fixture_dir ${CMAKE_SOURCE_DIR}/cmake/wine_session)
  get_property(subdirs DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  list(GET subdirs -1 last)
  if(NOT last STREQUAL fixture_dir)
    message(FATAL_ERROR "add_subdirectory(cmake/wine_session) must come after every other "
                        "directory of the Windows tests (${last} comes later)")
  endif()
  wine_session_collect_tests(${CMAKE_SOURCE_DIR} tests)
  list(REMOVE_ITEM tests wine_session_start wine_session_stop)
  set(requirements "")
  foreach(test IN LISTS tests)
    string(APPEND requirements
           "set_tests_properties([==[${test}]==] PROPERTIES FIXTURES_REQUIRED wine_session)\n")
  endforeach()
  set(file ${CMAKE_BINARY_DIR}/cmake/wine_session/require_wine_session.cmake)
  file(CONFIGURE OUTPUT ${file} CONTENT "${requirements}")
  set_property(DIRECTORY ${fixture_dir} APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL wine_session_require_everywhere)
