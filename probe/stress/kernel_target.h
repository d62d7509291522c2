#pragma once

// Lets one function use instructions beyond the build's baseline; the caller
// checks the processor before calling it. GCC and Clang need to be told per
// function; MSVC compiles any intrinsic without being told.
#if defined(__GNUC__)
#define VANTOREL_TARGET(features) __attribute__((target(features)))
#else
#define VANTOREL_TARGET(features)
#endif
