#include "cli/pipe_security.h"

#include <sddl.h>

#include <vector>

namespace {

// The SID of our token's user in its string form ("S-1-5-21-..."); empty on failure.
std::wstring TokenUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  std::wstring text;
  if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    wchar_t* sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
      text = sid;
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return text;
}

}  // namespace

std::wstring PipeSecurityText(std::wstring_view userSid) {
  // "P" keeps inheritable entries of a parent out; without an entry for
  // Everyone or anonymous, no other account can take the single instance.
  std::wstring text = L"D:P(A;;GA;;;";
  text += userSid;
  text += L")(A;;GA;;;BA)(A;;GA;;;SY)";
  return text;
}

PipeSecurity::PipeSecurity() {
  const std::wstring user = TokenUserSid();
  if (user.empty()) return;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(PipeSecurityText(user).c_str(), SDDL_REVISION_1,
                                                            &descriptor_, nullptr)) {
    descriptor_ = nullptr;
    return;
  }
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

PipeSecurity::~PipeSecurity() {
  if (descriptor_ != nullptr) LocalFree(descriptor_);
}
