# Tests that read another tree's output (CMakePresets.json names those inputs:
# the simulator, the shipped exe). Each tree's tests pass when it is built
# alone: such a test is skipped (SKIP_RETURN_CODE) and says which tree to
# build (cmake/if_built.sh); where that tree is built it runs. ctest repeats
# the reasons after its summary.
#   add_test_needing(NAME name NEEDS file... COMMAND command... [WORKING_DIRECTORY dir])
set(IF_BUILT_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/if_built.sh)
set(IF_BUILT_REASONS ${CMAKE_BINARY_DIR}/skipped-tests)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/CTestCustom.cmake CONTENT
     "set(CTEST_CUSTOM_PRE_TEST [[\"${IF_BUILT_SCRIPT}\" \"${IF_BUILT_REASONS}\" clear]])
set(CTEST_CUSTOM_POST_TEST [[\"${IF_BUILT_SCRIPT}\" \"${IF_BUILT_REASONS}\" report]])
")

# The preset that builds FILE (every tree is build/<preset>), or "-".
function(preset_building file out)
  cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${file}" NORMALIZE inside)
  set(preset -)
  if(inside)
    cmake_path(RELATIVE_PATH file BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE relative)
    if(relative MATCHES "^build/([^/]+)/")
      set(preset ${CMAKE_MATCH_1})
    endif()
  endif()
  set(${out} ${preset} PARENT_SCOPE)
endfunction()

# What runs PROGRAM: the file of the target of that name, or PROGRAM itself.
function(test_program program out)
  if(TARGET ${program})
    set(program $<TARGET_FILE:${program}>)
  endif()
  set(${out} ${program} PARENT_SCOPE)
endfunction()

function(add_test_needing)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;WORKING_DIRECTORY" "NEEDS;COMMAND")
  set(where "")
  if(arg_WORKING_DIRECTORY)
    set(where "WORKING_DIRECTORY [==[${arg_WORKING_DIRECTORY}]==]")
  endif()
  list(POP_FRONT arg_COMMAND program)
  test_program(${program} program)
  set(command ${IF_BUILT_SCRIPT} ${IF_BUILT_REASONS} run ${arg_NAME})
  foreach(file IN LISTS arg_NEEDS)
    if(file)  # an input left empty is not needed
      preset_building(${file} preset)
      list(APPEND command ${file} ${preset})
    endif()
  endforeach()
  list(APPEND command -- ${program})
  # Each argument quoted, so that an empty one (no emulator, say) stays one.
  set(quoted "")
  foreach(argument IN LISTS command arg_COMMAND)
    string(APPEND quoted " [==[${argument}]==]")
  endforeach()
  cmake_language(EVAL CODE "add_test(NAME [==[${arg_NAME}]==] COMMAND ${quoted} ${where})")
  set_tests_properties(${arg_NAME} PROPERTIES SKIP_RETURN_CODE 77)  # if_built.sh's skip
endfunction()
