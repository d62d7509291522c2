# The second compiler: Debian's Clang for 64-bit Windows, over the same
# MinGW-w64 headers, libstdc++ and runtime libraries as the GCC build.
# Clang cannot find Debian's GCC folder by itself ("12-posix" is not a version
# number to it), so the C++ headers, the start files and the libraries are named here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTOREL_MINGW_SYSROOT /usr/x86_64-w64-mingw32)
file(GLOB VANTOREL_MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(SORT VANTOREL_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET VANTOREL_MINGW_GCC_DIRS 0 VANTOREL_MINGW_GCC_DIR)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_SYSROOT ${VANTOREL_MINGW_SYSROOT})

set(cxx_headers ${VANTOREL_MINGW_GCC_DIR}/include/c++)
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${cxx_headers} -isystem ${cxx_headers}/x86_64-w64-mingw32 -isystem ${cxx_headers}/backward")
# The MinGW linker, GCC's start files (-B) and libraries (-L); libstdc++ and
# libgcc_eh call winpthreads, which must therefore come after them.
# The link line repeats the compile flags, whose -nostdinc++ means nothing there.
set(link_flags "--ld-path=/usr/bin/x86_64-w64-mingw32-ld -B${VANTOREL_MINGW_GCC_DIR} -L${VANTOREL_MINGW_GCC_DIR}")
string(APPEND link_flags " -Wno-unused-command-line-argument")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link_flags}")
# The linker notes "duplicate section ... has different size" for the type
# names and records of a few standard exceptions: GCC's libstdc++ pads its
# copies to 16 bytes, Clang's are not padded; the bytes that count are the
# same, so either copy serves.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lstdc++ -lgcc_eh -lpthread -lkernel32")
set(CMAKE_C_STANDARD_LIBRARIES "-lgcc_eh -lpthread -lkernel32")

set(CMAKE_FIND_ROOT_PATH ${VANTOREL_MINGW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
