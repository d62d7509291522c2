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
  set_tests_properties(event_lines_collect_fresh PROPERTIES FIXTURES_SETUP event_lines TIMEOUT 60)
  add_test(NAME event_lines_match_reference
           COMMAND ${VANTOREL_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/check-event-lines
                   ${CMAKE_SOURCE_DIR}/docs/events.schema.json ${VANTOREL_EVENT_LINES_DIR})
  set_tests_properties(event_lines_match_reference PROPERTIES FIXTURES_CLEANUP event_lines TIMEOUT 120)
  # The check itself: every documented kind passes, every faulty line fails.
  add_test(NAME event_lines_check_tells_faulty_lines
           COMMAND ${VANTOREL_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/docs/check_event_lines_test.py
                   ${CMAKE_SOURCE_DIR}/tools/check-event-lines ${CMAKE_SOURCE_DIR}/docs/events.schema.json
                   ${CMAKE_SOURCE_DIR}/tests/docs ${CMAKE_BINARY_DIR}/event-lines-check)
  set_tests_properties(event_lines_check_tells_faulty_lines PROPERTIES TIMEOUT 300)
endfunction()

# Whether a test program's tests take part in the collection: a program that
# uses ProbeProcess and depends on the worker starts the worker, and a mode
# run inside the test program (its lines caught by LineCapture or
# CapturedOutput) writes the same lines as the worker. Known only once the
# folder's CMakeLists.txt has added the program's dependencies.
function(vantorel_collects_event_lines name out)
  get_target_property(dependencies ${name} MANUALLY_ADDED_DEPENDENCIES)
  get_target_property(sources ${name} SOURCES)
  get_target_property(folder ${name} SOURCE_DIR)
  set(uses_probe_process FALSE)
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
  if(uses_probe_process OR captures_in_process)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()
