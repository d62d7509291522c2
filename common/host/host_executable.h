#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Where the host application keeps the per-user settings that the front ends read.
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Vantorel";
inline constexpr wchar_t kLocaleCodeValue[] = L"locale_code";
inline constexpr wchar_t kExplorerMenuValue[] = L"explorer_menu";

// The alias the Store installation puts on the user's path.
inline constexpr wchar_t kHostAliasPath[] = L"%LOCALAPPDATA%\\Microsoft\\WindowsApps\\vantorel.exe";
inline constexpr wchar_t kHostFileName[] = L"Vantorel.exe";
inline constexpr size_t kHostPathUnits = 520;

// The program (vantorel-cli) may sit in a long path and be named with either
// separator; the shell extension lives in a DLL path that fits MAX_PATH.
enum class CallerKind { Program, Library };

// modulePath up to and including its last separator, or "" when it has none.
// A Library's path counts only when it fits kHostPathUnits with its terminator
// (at most 519 units, so a name the system had to cut is never taken for a
// directory) and is cut after its last backslash; a Program's may be as long
// as the system allows and is cut after its last backslash or slash.
std::wstring_view ModuleDirectory(std::wstring_view modulePath, CallerKind kind);

// "Vantorel.exe" in the directory of modulePath, or "" when no directory can be
// taken from it. Existence is not tested: a missing host shows when it is started.
std::wstring HostBesideModule(std::wstring_view modulePath, CallerKind kind);

// The per-user alias when that file exists, else the host beside the given
// module (nullptr: the running executable). "" means no host was found.
std::wstring FindHostExecutable(CallerKind kind, HMODULE module = nullptr);
