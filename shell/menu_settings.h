#pragma once

#include <windows.h>

// The two per-user values that shape the menu, read anew on every call.

// The host switches the menu off by writing exactly "0" to "explorer_menu";
// anything else, a value too long for its 8-character buffer and a missing
// value or key all leave it on.
bool MenuSwitchedOff();

// "-dark.ico" when Windows reports a dark theme (SystemUsesLightTheme is 0),
// else "-light.ico", also when the value is missing.
const wchar_t* ThemeIconSuffix();
