#pragma once

#include <windows.h>

#include <cstddef>
#include <cwchar>

// The user's language: the host's "locale_code" setting, else the first of
// Windows' preferred UI languages. Both text tables pick their row by it.

inline constexpr size_t kLocaleCodeUnits = 85;  // a code holds at most 84 characters
using LocaleCodeBuffer = wchar_t[kLocaleCodeUnits];

// Same shape as GetUserPreferredUILanguages, so tests can stand in for Windows.
using PreferredLanguagesFunction = BOOL(WINAPI*)(DWORD flags, PULONG count, PZZWSTR buffer, PULONG size);

// Fills code with the setting or, when it is absent, empty or too long, the
// first preferred UI language; leaves it empty when neither is known.
void ReadLocaleCode(LocaleCodeBuffer& code,
                    PreferredLanguagesFunction preferredLanguages = &GetUserPreferredUILanguages);

// Case-insensitive ordinal comparison of the first count units of a and b
// (count -1: up to the terminator of each).
bool LocaleCodesEqual(const wchar_t* a, int aCount, const wchar_t* b, int bCount);

// Which row of a table answers code: "_" reads as "-", every regional Spanish
// but Spain's is Latin-American Spanish, then the exact code, then the first
// row of the same language, else row 0. Only the code column is read.
template <class Row>
size_t MatchLocaleRow(const wchar_t* rawCode, const Row* rows, size_t rowCount) {
  LocaleCodeBuffer code = {};
  int length = 0;
  for (; length < static_cast<int>(kLocaleCodeUnits) - 1 && rawCode[length] != L'\0'; ++length) {
    code[length] = rawCode[length] == L'_' ? L'-' : rawCode[length];
  }

  if (length >= 3 && LocaleCodesEqual(code, 3, L"es-", 3) && !LocaleCodesEqual(code, length, L"es-ES", -1)) {
    for (size_t row = 0; row < rowCount; ++row) {
      if (LocaleCodesEqual(rows[row].code, -1, L"es-419", -1)) return row;
    }
  }
  for (size_t row = 0; row < rowCount; ++row) {
    if (LocaleCodesEqual(rows[row].code, -1, code, length)) return row;
  }
  int language = 0;
  while (language < length && code[language] != L'-') ++language;
  if (language > 0) {
    for (size_t row = 0; row < rowCount; ++row) {
      const wchar_t* rowCode = rows[row].code;
      if (static_cast<int>(wcslen(rowCode)) > language && rowCode[language] == L'-' &&
          LocaleCodesEqual(rowCode, language, code, language)) {
        return row;
      }
    }
  }
  return 0;
}

// Never fails: with nothing to go by, row 0 (en-US) is the answer. Reads the
// setting on every call and keeps no state, so a changed setting shows at once.
template <class Row, size_t N>
const Row& SelectLocaleRow(const Row (&table)[N],
                           PreferredLanguagesFunction preferredLanguages = &GetUserPreferredUILanguages) {
  static_assert(N > 0);
  LocaleCodeBuffer code = {};
  ReadLocaleCode(code, preferredLanguages);
  return table[MatchLocaleRow(code, table, N)];
}
