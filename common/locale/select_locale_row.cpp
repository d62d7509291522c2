#include "common/locale/select_locale_row.h"

#include <cwchar>
#include <new>

#include "common/host/host_executable.h"

bool LocaleCodesEqual(const wchar_t* a, int aCount, const wchar_t* b, int bCount) {
  return CompareStringOrdinal(a, aCount, b, bCount, TRUE) == CSTR_EQUAL;
}

void ReadLocaleCode(LocaleCodeBuffer& code, PreferredLanguagesFunction preferredLanguages) {
  ZeroMemory(code, sizeof(code));
  DWORD bytes = sizeof(code);
  // A value that does not fit with its terminator fails here and counts as absent.
  // RRF_NOEXPAND: the host writes REG_SZ, and a REG_EXPAND_SZ value expanded by
  // the call has been seen written past the buffer. A value of an odd byte
  // count can come back without a terminator: it counts as absent too.
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue, RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, code,
                   &bytes) == ERROR_SUCCESS &&
      code[0] != L'\0' && wmemchr(code, L'\0', kLocaleCodeUnits) != nullptr) {
    return;
  }

  code[0] = L'\0';
  ULONG languages = 0;
  ULONG units = 0;
  if (!preferredLanguages(MUI_LANGUAGE_NAME, &languages, nullptr, &units) || units == 0) return;
  if (units > static_cast<ULONG>(-1) / sizeof(wchar_t)) return;
  wchar_t* list = new (std::nothrow) wchar_t[units];
  if (list == nullptr) return;
  if (preferredLanguages(MUI_LANGUAGE_NAME, &languages, list, &units)) {
    // The list holds at least as many units as the call reported; the first
    // name ends at its terminator or at the end of what was filled.
    size_t length = 0;
    while (length < units && length < kLocaleCodeUnits - 1 && list[length] != L'\0') {
      code[length] = list[length];
      ++length;
    }
    code[length] = L'\0';
  }
  delete[] list;
}
