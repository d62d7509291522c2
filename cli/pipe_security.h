#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The pipe's descriptor in SDDL: full access for the user who runs
// vantorel-cli, Administrators and SYSTEM, and for no one else; nothing is
// inherited. The elevated host runs as that user or, when another
// administrator consented, as a member of Administrators.
std::wstring PipeSecurityText(std::wstring_view userSid);

// The descriptor of PipeSecurityText for the user of our process token, ready
// for CreateNamedPipeW. Empty (Get() is null) when the token or the SDDL
// could not be read; the pipe must then not be made with default security.
class PipeSecurity {
 public:
  PipeSecurity();
  ~PipeSecurity();
  PipeSecurity(const PipeSecurity&) = delete;
  PipeSecurity& operator=(const PipeSecurity&) = delete;

  SECURITY_ATTRIBUTES* Get() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;  // from LocalAlloc
  SECURITY_ATTRIBUTES attributes_ = {};
};
