# Settings every Windows target of the project shares.

# Each deliverable must run on a clean Windows: the C++ runtime, libgcc and
# winpthread are linked into it, so it imports only system DLLs.
function(vantorel_windows_target target)
  target_compile_features(${target} PRIVATE cxx_std_20)
  target_compile_definitions(${target} PRIVATE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 /fp:precise)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE" OR kind STREQUAL "SHARED_LIBRARY" OR kind STREQUAL "MODULE_LIBRARY")
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
  endif()
endfunction()
