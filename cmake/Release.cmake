# What the release command and its tests need to know about the deliverables,
# written once every folder has registered its own in VANTOREL_DELIVERABLES:
#   release/manifest.json   the version and the built files, for tools/package-release
#   generated/deliverable_versions.h   the file names and descriptions the tests expect
# and the target "release": build/release/Vantorel-<version>/ and its zip.

function(_vantorel_describe_deliverables)
  get_property(deliverables GLOBAL PROPERTY VANTOREL_DELIVERABLES)
  string(REGEX MATCHALL "[0-9]+" parts "${VANTOREL_VERSION}")
  list(APPEND parts 0 0 0 0)
  list(SUBLIST parts 0 4 parts)
  list(JOIN parts ", " numeric)

  set(files "")
  set(rows "")
  foreach(target IN LISTS deliverables)
    list(APPEND files "\"$<TARGET_FILE:${target}>\"")
    string(APPEND rows "    {L\"$<TARGET_FILE_NAME:${target}>\", L\"$<TARGET_PROPERTY:${target},VANTOREL_FILE_DESCRIPTION>\"},\n")
  endforeach()
  list(JOIN files ",\n    " files)

  set(manifest ${CMAKE_BINARY_DIR}/release/manifest.json)
  file(GENERATE OUTPUT ${manifest} CONTENT "{
  \"name\": \"Vantorel-${VANTOREL_VERSION}\",
  \"version\": \"${VANTOREL_VERSION}\",
  \"docs\": \"${CMAKE_SOURCE_DIR}/docs\",
  \"deliverables\": [
    ${files}
  ]
}
")
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/generated/deliverable_versions.h CONTENT "#pragma once
// Written by CMake from VANTOREL_DELIVERABLES: what each VERSIONINFO must say.

struct DeliverableVersion {
  const wchar_t* fileName;
  const wchar_t* description;  // empty when the target was not given a VERSIONINFO
};

constexpr wchar_t kVersionText[] = L\"${VANTOREL_VERSION}\";
constexpr unsigned kVersionParts[4] = {${numeric}};
constexpr DeliverableVersion kDeliverables[] = {
${rows}};
")

  find_program(VANTOREL_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(VANTOREL_PYTHON3 python3 REQUIRED)
  add_custom_target(release
    COMMAND ${VANTOREL_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/package-release ${manifest} ${CMAKE_BINARY_DIR}/release
    DEPENDS ${deliverables}
    COMMENT "Release folder and zip in ${CMAKE_BINARY_DIR}/release"
    VERBATIM)
  if(TARGET release_tests)
    add_dependencies(release_tests ${deliverables})
  endif()
endfunction()

cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _vantorel_describe_deliverables)
