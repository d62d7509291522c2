// Test stand-in for D3DCompile. It knows exactly one program, the stress
// program as the build embedded it, and returns the DXBC that vkd3d compiled
// from that same text. Any other text is refused with a message, so the worker
// is tested for passing its exact embedded bytes.
//
// Built a second time with PLANTED, as a copy that refuses everything, to be
// planted beside the worker (which must load the one in system32).
//
// VANTOREL_STANDIN_COMPILER changes one entry, to test the worker's reactions:
//   fail:ENTRY:MESSAGE   the entry fails to compile with MESSAGE
//   warn:ENTRY:MESSAGE   the entry compiles, with MESSAGE as a warning
//   faulty:ENTRY         the entry returns a kernel that gets some words wrong
#include <windows.h>
#include <d3dcommon.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#define EMBEDDED(name)                          \
  extern "C" const unsigned char name[];        \
  extern "C" const size_t name##Count;
EMBEDDED(kProgramText)
EMBEDDED(kCode_CheckCS)
EMBEDDED(kCode_FillCS)
EMBEDDED(kCode_VerifyCS)
EMBEDDED(kCode_MoveCS)
EMBEDDED(kCode_BurnCS)
EMBEDDED(kCode_DrawVS)
EMBEDDED(kCode_DrawPS)
EMBEDDED(kFaulty_CheckCS)
EMBEDDED(kFaulty_FillCS)

namespace {

struct Entry {
  const char* name;
  const char* target;
  const unsigned char* code;
  const size_t* size;
  const unsigned char* faultyCode;
  const size_t* faultySize;
};

const Entry kEntries[] = {
    {"CheckCS", "cs_5_0", kCode_CheckCS, &kCode_CheckCSCount, kFaulty_CheckCS, &kFaulty_CheckCSCount},
    {"FillCS", "cs_5_0", kCode_FillCS, &kCode_FillCSCount, kFaulty_FillCS, &kFaulty_FillCSCount},
    {"VerifyCS", "cs_5_0", kCode_VerifyCS, &kCode_VerifyCSCount, nullptr, nullptr},
    {"MoveCS", "cs_5_0", kCode_MoveCS, &kCode_MoveCSCount, nullptr, nullptr},
    {"BurnCS", "cs_5_0", kCode_BurnCS, &kCode_BurnCSCount, nullptr, nullptr},
    {"DrawVS", "vs_5_0", kCode_DrawVS, &kCode_DrawVSCount, nullptr, nullptr},
    {"DrawPS", "ps_5_0", kCode_DrawPS, &kCode_DrawPSCount, nullptr, nullptr},
};

class Blob final : public ID3D10Blob {
 public:
  Blob(const void* data, size_t size) : bytes_(static_cast<const char*>(data), static_cast<const char*>(data) + size) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(ID3D10Blob)) {
      AddRef();
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.data(); }
  SIZE_T STDMETHODCALLTYPE GetBufferSize() override { return bytes_.size(); }

 private:
  std::vector<char> bytes_;
  std::atomic<ULONG> count_{1};
};

ID3D10Blob* TextBlob(const std::string& text) { return new Blob(text.data(), text.size() + 1); }

struct Directive {
  std::string kind, entry, message;
};

Directive ReadDirective() {
  char value[1024] = {};
  if (GetEnvironmentVariableA("VANTOREL_STANDIN_COMPILER", value, sizeof(value)) == 0) return {};
  const std::string text = value;
  const size_t first = text.find(':');
  if (first == std::string::npos) return {};
  const size_t second = text.find(':', first + 1);
  Directive d;
  d.kind = text.substr(0, first);
  d.entry = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  if (second != std::string::npos) d.message = text.substr(second + 1);
  return d;
}

}  // namespace

extern "C" HRESULT WINAPI D3DCompile(const void* data, SIZE_T size, const char* /*sourceName*/,
                                     const D3D_SHADER_MACRO* /*defines*/, ID3DInclude* /*include*/,
                                     const char* entry, const char* target, UINT /*flags1*/, UINT /*flags2*/,
                                     ID3D10Blob** code, ID3D10Blob** messages) {
  if (code) *code = nullptr;
  if (messages) *messages = nullptr;
  auto refuse = [&](const std::string& why) {
    if (messages) *messages = TextBlob("vantorel(1,1): error X0000: stand-in compiler: " + why);
    return E_FAIL;
  };
#ifdef PLANTED
  // The copy planted beside the worker: the worker must never load it.
  return refuse("planted copy beside the worker was loaded");
#endif
  if (!data || size != kProgramTextCount || std::memcmp(data, kProgramText, size) != 0) {
    return refuse("the source text differs from the precompiled program");
  }
  const Entry* found = nullptr;
  for (const Entry& e : kEntries) {
    if (entry && std::strcmp(entry, e.name) == 0) found = &e;
  }
  if (!found) return refuse(std::string("unknown entry ") + (entry ? entry : "(null)"));
  if (!target || std::strcmp(target, found->target) != 0) return refuse("wrong target for " + std::string(entry));

  const Directive d = ReadDirective();
  const bool mine = d.entry == found->name;
  if (mine && d.kind == "fail") {
    if (messages) *messages = TextBlob(d.message);
    return E_FAIL;
  }
  const bool faulty = mine && d.kind == "faulty" && found->faultyCode;
  if (code) *code = faulty ? new Blob(found->faultyCode, *found->faultySize) : new Blob(found->code, *found->size);
  if (mine && d.kind == "warn" && messages) *messages = TextBlob(d.message);
  return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
