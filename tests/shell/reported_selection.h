#pragma once

// Selections answered without the shell, as Explorer may hand them over: the
// empty one that Wine's shell cannot make, and one item with the attributes
// the shell reported for it. The menu's tests and bench/shell-menu use them.

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <string>

// An array without items, as Windows hands over for some views.
Microsoft::WRL::ComPtr<IShellItemArray> MakeEmptySelection();

// One file-system item at path that reports the given attributes as the shell
// does: the bits asked for that it has, S_FALSE when some are missing.
Microsoft::WRL::ComPtr<IShellItemArray> MakeReportedSelection(const std::wstring& path, SFGAOF attributes);
