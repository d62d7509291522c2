#pragma once

// Compiles entries of the embedded stress program with D3DCompile, which is
// looked up in d3dcompiler_47.dll at run time: a system without that DLL still
// runs every other mode, and the GPU stress then fails with a compile error.

#include <d3dcommon.h>

#include <cstddef>

// The stress program text as embedded by the build; size is its exact byte length.
const char* StressProgramText();
size_t StressProgramSize();

constexpr size_t kMessageBytes = 600;        // compiler text kept for the "shader" line
constexpr size_t kMessageBufferBytes = 700;
constexpr size_t kShaderLineBytes = 1024;

// The first min(600, size) bytes of a compiler message (ending at a NUL) with
// every byte that could break the JSON string (quote, backslash, control and
// non-ASCII bytes) turned into a space. out holds kMessageBufferBytes.
void SanitizeCompilerMessage(const void* message, size_t size, char* out);

// {"event":"shader","entry":...,"message":...} into out (kShaderLineBytes).
void FormatShaderLine(const char* entry, const void* message, size_t size, char* out);

// Writes a "shader" line when the compiler reports anything (errors or warnings).
// True with *code set when the entry compiled.
bool CompileShader(const char* entry, const char* target, ID3DBlob** code);
