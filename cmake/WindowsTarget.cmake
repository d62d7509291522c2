# Settings every Windows target of the project shares.

# The checked build: the same sources and tests, with undefined behaviour and
# out-of-bounds access trapped where they happen. A trap ends the process
# with an illegal-instruction exception, which every test program reports as a
# crash of the test that ran. It needs no sanitizer runtime, so the programs
# still import only system DLLs. Shipped binaries come from a build without it.
option(VANTOREL_CHECKED "Trap undefined behaviour, out-of-bounds indexing, buffer overflows and stack smashing" OFF)
if(VANTOREL_CHECKED)
  if(MSVC)
    message(FATAL_ERROR "VANTOREL_CHECKED is made for the MinGW-w64 GCC build")
  endif()
  # Every sub-check of -fsanitize=undefined that traps inline, and the
  # conversion of an out-of-range floating value to an integer, which is
  # just as undefined. vptr needs the runtime library, so it stays out.
  set(VANTOREL_CHECKED_FLAGS
    -fsanitize=undefined -fsanitize=float-cast-overflow -fno-sanitize=vptr
    -fsanitize-undefined-trap-on-error
    -fstack-protector-strong)
  # Directory-wide, before any target exists: GoogleTest and the stand-ins
  # are built with the same checks as the code they run.
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${VANTOREL_CHECKED_FLAGS}>")
  # _FORTIFY_SOURCE=2 makes the MinGW-w64 headers check memcpy, snprintf and
  # their kin against the size of a fixed buffer; an overflow ends the process
  # through libssp's __chk_fail.
  add_compile_definitions("$<$<COMPILE_LANGUAGE:C,CXX>:_GLIBCXX_ASSERTIONS;_FORTIFY_SOURCE=2>")
  # The stack protector's libssp is linked statically like the rest of the runtime.
  add_link_options(-fstack-protector-strong)
endif()

# The same commit gives the same bytes in any folder at any time: no build
# folder in debug information or __FILE__, no link time in the PE header.
# Sources become ./<path in the checkout> and the compilation folder "build";
# the build folder's map comes last, so it wins when the build folder lies
# inside the source folder.
if(NOT MSVC)
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>")
  add_link_options(-Wl,--no-insert-timestamp)
endif()

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
