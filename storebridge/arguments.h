#pragma once

#include <cstddef>
#include <string>

// What the host gives us: "updates" and an identifier of the installed
// application, then anything it likes; only the first two count.

inline constexpr size_t kModeWordChars = 15;
inline constexpr size_t kIdentifierChars = 127;
inline constexpr wchar_t kUpdatesMode[] = L"updates";

enum class ArgumentCheck { Accepted, Usage, BadMode };

// Leading white space skipped, at most keep characters kept, trailing white
// space removed, lower-cased when asked.
std::wstring NormaliseArgument(const wchar_t* text, size_t keep, bool lowerCase);

// argv as CommandLineToArgvW gives it, program name first.
ArgumentCheck CheckArguments(int argc, const wchar_t* const* argv);
