#pragma once

#include "common/locale/locale_codes.h"
#include "shell/tool_table.h"

// One language's titles of the Explorer submenu, indexed by tool id: who uses
// the file, older versions, fingerprint, unlock, repair permissions, force
// delete, move to Kestrix.
struct MenuTitleRow {
  const wchar_t* code;
  const wchar_t* titles[kToolCount];
};

extern const MenuTitleRow kMenuTitleTable[kLocaleCount];
