#pragma once

// The seven tools of the submenu, by tool id. The verb is what the host
// receives and names the tool's icon files; the menu titles follow the same ids.
inline constexpr int kToolCount = 7;

extern const wchar_t* const kToolVerbs[kToolCount];

// 1 for the tools that work on files only; they are hidden for a plain folder.
extern const unsigned char kFileOnly[kToolCount];

// Moving to Kestrix is offered for script files only.
inline constexpr int kMoveToKestrixTool = 6;
inline constexpr int kScriptExtensionCount = 4;
extern const wchar_t* const kScriptExtensions[kScriptExtensionCount];
