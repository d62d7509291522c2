#include "cli/system_random.h"

#include <bcrypt.h>

#include "common/system/system_library.h"

namespace {

using GenRandomFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

}  // namespace

bool FillSystemRandom(unsigned char* bytes, ULONG count) {
  // Left loaded: the pipe name is made once per process.
  const HMODULE bcrypt = LoadSystemLibrary(L"bcrypt.dll");
  if (bcrypt == nullptr) return false;
  const GenRandomFunction genRandom = LookUpEntry<GenRandomFunction>(bcrypt, "BCryptGenRandom");
  return genRandom != nullptr && BCRYPT_SUCCESS(genRandom(nullptr, bytes, count, BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}
