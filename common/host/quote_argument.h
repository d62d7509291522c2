#pragma once

#include <string>
#include <string_view>

// How the front ends put an argument on the host's command line so that
// CommandLineToArgvW gives it back exactly.

// The argument in double quotes: a quote inside is escaped, and every backslash
// that comes before a quote (the closing one included) is doubled.
std::wstring EncloseArgument(std::wstring_view argument);

// The argument as it stands when it holds no blank, tab, line break or quote
// and is not empty; otherwise EncloseArgument.
std::wstring QuoteArgument(std::wstring_view argument);
