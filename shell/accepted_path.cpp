#include "shell/accepted_path.h"

bool IsAcceptedPath(const wchar_t* path) {
  if (path == nullptr) return false;
  int length = 0;
  // Counted only as far as the limit, so a huge text costs no more than an accepted one.
  while (length <= kMaxAcceptedPath && path[length] != L'\0') ++length;
  if (length < kMinAcceptedPath || length > kMaxAcceptedPath) return false;
  const wchar_t drive = path[0];
  const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
  if (!letter || path[1] != L':' || path[2] != L'\\' || path[3] == L'\\') return false;
  for (int i = 0; i < length; ++i) {
    if (path[i] == L'"') return false;
    if (i >= 2 && path[i] == L':') return false;
  }
  return true;
}
