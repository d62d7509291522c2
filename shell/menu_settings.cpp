#include "shell/menu_settings.h"

#include "common/host/host_executable.h"

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kLightThemeValue[] = L"SystemUsesLightTheme";
constexpr DWORD kMenuSettingUnits = 8;

}  // namespace

bool MenuSwitchedOff() {
  wchar_t value[kMenuSettingUnits] = {};
  DWORD size = sizeof(value);
  // RRF_NOEXPAND: the host writes REG_SZ, and a REG_EXPAND_SZ value expanded by
  // the call has been seen written past the buffer.
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kExplorerMenuValue,
                                      RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, value, &size);
  return status == ERROR_SUCCESS && value[0] == L'0' && value[1] == L'\0';
}

const wchar_t* ThemeIconSuffix() {
  DWORD light = 1;
  DWORD size = sizeof(light);
  const LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kLightThemeValue, RRF_RT_REG_DWORD, nullptr, &light, &size);
  return status == ERROR_SUCCESS && light == 0 ? L"-dark.ico" : L"-light.ico";
}
