# The worker's event lines seen by the tests are checked against the reference
# docs/events.schema.json once all worker tests have run: every test program
# that starts the worker, or runs a mode in-process and catches its lines,
# requires the fixture "event_lines", whose set-up empties
# the collection folder and whose clean-up checks what the runs left in it.

# Debian's python3 with its python3-jsonschema (tools/setup installs both).
find_program(VANTOREL_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(VANTOREL_PYTHON3 python3 REQUIRED)

set(VANTOREL_EVENT_LINES_DIR ${CMAKE_BINARY_DIR}/event-lines)
# The tests are Windows programs: under Wine the build tree is on drive Z:.
if(CMAKE_HOST_UNIX)
  set(VANTOREL_EVENT_LINES_WINDOWS_DIR "Z:${VANTOREL_EVENT_LINES_DIR}")
else()
  set(VANTOREL_EVENT_LINES_WINDOWS_DIR "${VANTOREL_EVENT_LINES_DIR}")
endif()

function(vantorel_add_event_line_check)
  add_test(NAME event_lines_collect_fresh
           COMMAND ${CMAKE_COMMAND} -E rm -rf ${VANTOREL_EVENT_LINES_DIR})
  set_tests_properties(event_lines_collect_fresh PROPERTIES FIXTURES_SETUP event_lines)
  add_test(NAME event_lines_match_reference
           COMMAND ${VANTOREL_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/check-event-lines
                   ${CMAKE_SOURCE_DIR}/docs/events.schema.json ${VANTOREL_EVENT_LINES_DIR})
  set_tests_properties(event_lines_match_reference PROPERTIES FIXTURES_CLEANUP event_lines)
  # The check itself: every documented kind passes, every faulty line fails.
  add_test(NAME event_lines_check_tells_faulty_lines
           COMMAND ${VANTOREL_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/docs/check_event_lines_test.py
                   ${CMAKE_SOURCE_DIR}/tools/check-event-lines ${CMAKE_SOURCE_DIR}/docs/events.schema.json
                   ${CMAKE_SOURCE_DIR}/tests/docs ${CMAKE_BINARY_DIR}/event-lines-check)
endfunction()

# Called for every test program with the properties it gives its tests. The
# decision waits for the end of the folder's CMakeLists.txt, where the program's
# dependencies are known: a program that uses ProbeProcess and depends on the
# worker starts the worker.
function(vantorel_collect_event_lines name)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  # gtest_discover_tests cannot carry a property with two values, so the
  # fixtures are set after its own script has added the tests, keeping any
  # fixture the program already requires.
  set(fixtures event_lines)
  list(FIND ARG_PROPERTIES FIXTURES_REQUIRED at)
  if(at GREATER -1)
    math(EXPR at "${at} + 1")
    list(GET ARG_PROPERTIES ${at} required)
    list(APPEND fixtures ${required})
  endif()
  set_property(TARGET ${name} PROPERTY VANTOREL_TEST_FIXTURES ${fixtures})
  # Deferred arguments are read when the call runs: the name goes in as text.
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _vantorel_collect_event_lines [==[${name}]==])")
endfunction()

function(_vantorel_collect_event_lines name)
  get_target_property(dependencies ${name} MANUALLY_ADDED_DEPENDENCIES)
  get_target_property(sources ${name} SOURCES)
  get_target_property(folder ${name} SOURCE_DIR)
  set(uses_probe_process FALSE)
  # A mode run inside the test program (its lines caught by LineCapture or
  # CapturedOutput) writes the same lines as the worker and is collected too.
  set(captures_in_process FALSE)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder})
    if(EXISTS ${source})
      file(STRINGS ${source} uses REGEX "ProbeProcess" LIMIT_COUNT 1)
      if(uses)
        set(uses_probe_process TRUE)
      endif()
      file(STRINGS ${source} captures REGEX "LineCapture|CapturedOutput" LIMIT_COUNT 1)
      if(captures)
        set(captures_in_process TRUE)
      endif()
    endif()
  endforeach()
  if(NOT "vantorelprobe" IN_LIST dependencies)
    set(uses_probe_process FALSE)
  endif()
  if(NOT uses_probe_process AND NOT captures_in_process)
    return()
  endif()

  get_target_property(fixtures ${name} VANTOREL_TEST_FIXTURES)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_event_lines.cmake)
  file(WRITE ${script}
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
    "    FIXTURES_REQUIRED [==[${fixtures}]==]\n"
    "    ENVIRONMENT_MODIFICATION [==[VANTOREL_EVENT_LINES=set:${VANTOREL_EVENT_LINES_WINDOWS_DIR}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
