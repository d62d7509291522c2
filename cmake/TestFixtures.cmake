# The fixtures a test program's tests require: the Wine prefix they run in,
# the ones the program names itself, and "event_lines" when the program's
# runs go to the event-line collection (cmake/EventLineCollection.cmake).
#   vantorel_set_test_fixtures(<program> <prefix fixture> PROPERTIES <its test properties>)

function(vantorel_set_test_fixtures name prefix_fixture)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  # gtest_discover_tests cannot carry a property with two values, so the
  # fixtures are set after its own script has added the tests.
  set(fixtures ${prefix_fixture})
  list(FIND ARG_PROPERTIES FIXTURES_REQUIRED at)
  if(at GREATER -1)
    math(EXPR at "${at} + 1")
    list(GET ARG_PROPERTIES ${at} required)
    list(APPEND fixtures ${required})
  endif()
  set_property(TARGET ${name} PROPERTY VANTOREL_TEST_FIXTURES ${fixtures})
  # The decision on the collection waits for the end of the folder's
  # CMakeLists.txt, where the program's dependencies are known. Deferred
  # arguments are read when the call runs: the name goes in as text.
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _vantorel_set_test_fixtures [==[${name}]==])")
endfunction()

function(_vantorel_set_test_fixtures name)
  get_target_property(fixtures ${name} VANTOREL_TEST_FIXTURES)
  vantorel_collects_event_lines(${name} collects)
  set(environment "")
  if(collects)
    list(APPEND fixtures event_lines)
    set(environment
      "    ENVIRONMENT_MODIFICATION [==[VANTOREL_EVENT_LINES=set:${VANTOREL_EVENT_LINES_WINDOWS_DIR}]==]\n")
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_fixtures.cmake)
  file(WRITE ${script}
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
    "    FIXTURES_REQUIRED [==[${fixtures}]==]\n"
    "${environment}"
    "  )\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
