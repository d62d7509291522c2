#include "probe/gpu/shader_compile.h"

#include <d3dcompiler.h>

#include <cstdio>
#include <cstring>

#include "probe/core/event_line.h"
#include "common/system/system_library.h"

extern "C" const unsigned char kStressProgramBytes[];
extern "C" const size_t kStressProgramBytesCount;

const char* StressProgramText() { return reinterpret_cast<const char*>(kStressProgramBytes); }
size_t StressProgramSize() { return kStressProgramBytesCount; }

void SanitizeCompilerMessage(const void* message, size_t size, char* out) {
  const size_t take = size < kMessageBytes ? size : kMessageBytes;
  const auto* bytes = static_cast<const unsigned char*>(message);
  size_t n = 0;
  // cppcheck-suppress knownConditionTrueFalse ; it follows a call with size 0 and takes that for every call
  for (; n < take && bytes[n] != 0; ++n) {
    const signed char c = static_cast<signed char>(bytes[n]);
    out[n] = (c == '"' || c == '\\' || c < 0x20) ? ' ' : static_cast<char>(c);
  }
  out[n] = '\0';
}

void FormatShaderLine(const char* entry, const void* message, size_t size, char* out) {
  char text[kMessageBufferBytes];
  SanitizeCompilerMessage(message, size, text);
  snprintf(out, kShaderLineBytes, "{\"event\":\"shader\",\"entry\":\"%s\",\"message\":\"%s\"}", entry, text);
}

namespace {

pD3DCompile LookUpCompiler() {
  // Looked up once; a missing DLL or entry point is a failed compilation.
  static const pD3DCompile compile = [] {
    const HMODULE module = LoadSystemLibrary(L"d3dcompiler_47.dll");
    return module ? LookUpEntry<pD3DCompile>(module, "D3DCompile") : nullptr;
  }();
  return compile;
}

}  // namespace

bool CompileShader(const char* entry, const char* target, ID3DBlob** code) {
  *code = nullptr;
  const pD3DCompile compile = LookUpCompiler();
  if (!compile) {
    static const char kMissing[] = "D3DCompile is not available (d3dcompiler_47.dll)";
    char line[kShaderLineBytes];
    FormatShaderLine(entry, kMissing, sizeof(kMissing) - 1, line);
    WriteEventLine(line);
    return false;
  }
  ID3DBlob* messages = nullptr;
  const HRESULT result = compile(StressProgramText(), StressProgramSize(), "vantorel", nullptr, nullptr, entry,
                                 target, D3DCOMPILE_OPTIMIZATION_LEVEL3, 0, code, &messages);
  if (messages) {
    char line[kShaderLineBytes];
    FormatShaderLine(entry, messages->GetBufferPointer(), messages->GetBufferSize(), line);
    WriteEventLine(line);
    messages->Release();
  }
  if (FAILED(result)) {
    if (*code) (*code)->Release();
    *code = nullptr;
    return false;
  }
  return *code != nullptr;
}
