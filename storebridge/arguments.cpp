#include "storebridge/arguments.h"

#include <windows.h>

#include <cwctype>

std::wstring NormaliseArgument(const wchar_t* text, size_t keep, bool lowerCase) {
  if (text == nullptr) return {};
  while (*text != L'\0' && iswspace(*text)) ++text;
  std::wstring kept(text, wcsnlen(text, keep));
  while (!kept.empty() && iswspace(kept.back())) kept.pop_back();
  if (lowerCase && !kept.empty()) CharLowerBuffW(kept.data(), static_cast<DWORD>(kept.size()));
  return kept;
}

ArgumentCheck CheckArguments(int argc, const wchar_t* const* argv) {
  if (argv == nullptr || argc < 3) return ArgumentCheck::Usage;
  // The mode is judged before the identifier, so a wrong word is named as such
  // even when the identifier is missing too.
  if (NormaliseArgument(argv[1], kModeWordChars, true) != kUpdatesMode) return ArgumentCheck::BadMode;
  if (NormaliseArgument(argv[2], kIdentifierChars, false).empty()) return ArgumentCheck::Usage;
  return ArgumentCheck::Accepted;
}
