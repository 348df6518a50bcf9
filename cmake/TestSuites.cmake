# One CTest test per GoogleTest suite, each run in a process of its own.
#
# A process per test (gtest_discover_tests) costs a program start, and for the
# GUI suites a private X server, for each of some 700 tests per tree; under
# qemu-i386 and the sanitizers a start costs most. A suite's tests share their
# fixture's set-up and were written to run one after the other, so a process
# per suite keeps what they check and drops most of those starts.
#
# tarvenna_discover_suites(<target> PREFIX <prefix> [PROPERTIES <name value>...])
# lists the suites when CTest runs (so a rebuilt program's new suites are
# seen), and names each test <prefix><suite>. i386 programs are listed and run
# under the tree's emulator.
#
# Run as a script (cmake -P) it writes the CTest file for one program.

if(CMAKE_SCRIPT_MODE_FILE)
  # Arguments: PROGRAM, EMULATOR (a ;-list), PREFIX, PROPERTIES (a ;-list),
  # WORKING_DIRECTORY, OUTPUT.
  execute_process(COMMAND ${EMULATOR} "${PROGRAM}" --gtest_list_tests
                  WORKING_DIRECTORY "${WORKING_DIRECTORY}"
                  TIMEOUT 120
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} could not list its tests (${status}):\n${listing}${errors}")
  endif()
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(script "")
  foreach(line IN LISTS lines)
    # Suites start in the first column ("Suite." or "Prefix/Suite/0.  # TypeParam = ...").
    if(line MATCHES "^([^ #]+)\\.")
      set(suite "${CMAKE_MATCH_1}")
      set(name "${PREFIX}${suite}")
      string(APPEND script
        "add_test([==[${name}]==] ${EMULATOR} [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
        "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==] ${PROPERTIES})\n")
    endif()
  endforeach()
  file(WRITE "${OUTPUT}" "${script}")
  return()
endif()

set(TARVENNA_TEST_SUITES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(tarvenna_discover_suites target)
  cmake_parse_arguments(D "" "PREFIX" "PROPERTIES" ${ARGN})
  set(listing "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  set(include "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake")
  string(REPLACE ";" " " properties "${D_PROPERTIES}")
  set(program "$<TARGET_FILE:${target}>")
  set(emulator "$<TARGET_PROPERTY:${target},CROSSCOMPILING_EMULATOR>")
  file(GENERATE OUTPUT "${include}" CONTENT
"if(EXISTS \"${program}\")
  if(NOT EXISTS \"${listing}\" OR \"${program}\" IS_NEWER_THAN \"${listing}\")
    execute_process(COMMAND \"${CMAKE_COMMAND}\"
      \"-DPROGRAM=${program}\" \"-DEMULATOR=${emulator}\" \"-DPREFIX=${D_PREFIX}\"
      \"-DPROPERTIES=${properties}\" \"-DWORKING_DIRECTORY=${CMAKE_CURRENT_BINARY_DIR}\"
      \"-DOUTPUT=${listing}\" -P \"${TARVENNA_TEST_SUITES_SCRIPT}\"
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      add_test(${target}_NOT_LISTED ${target}_NOT_LISTED)
      return()
    endif()
  endif()
  include(\"${listing}\")
else()
  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include}")
endfunction()
