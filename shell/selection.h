#pragma once

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <memory>

// Text the shell allocated for us; it goes back with CoTaskMemFree.
struct CoTaskMemFreeDeleter {
  void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};
using CoTaskText = std::unique_ptr<wchar_t, CoTaskMemFreeDeleter>;

// The one selected item, its file-system path and its file-system, folder
// and stream attributes (asked in one call: each costs a trip through the shell).
struct SelectedItem {
  Microsoft::WRL::ComPtr<IShellItem> item;
  CoTaskText path;
  SFGAOF attributes = 0;
};

// True when the array holds exactly one file-system item whose path is
// accepted for the host; every doubt (no array, a failed call, no text) is false.
bool GetSingleSelectedItem(IShellItemArray* items, SelectedItem& selected);

// A folder that is not also a stream: a compressed folder file such as a .zip
// counts as a file.
bool IsPlainFolder(SFGAOF attributes);
