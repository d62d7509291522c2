#include "cli/command_line.h"

bool IsHelpWord(std::wstring_view argument) {
  std::wstring lower(argument);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  for (const wchar_t* word : {L"help", L"-h", L"--help", L"/?", L"-?", L"/h"}) {
    if (lower == word) return true;
  }
  return false;
}

std::wstring_view CommandTail(std::wstring_view line) {
  if (line.empty()) return {};
  size_t i = 0;
  if (line[0] == L'"') {
    i = line.find(L'"', 1);
    i = i == std::wstring_view::npos ? line.size() : i + 1;
  } else {
    i = line.find_first_of(L" \t");
    if (i == std::wstring_view::npos) return {};
  }
  while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
  return line.substr(i);
}

std::wstring FormatPipeName(DWORD processId, const unsigned char (&random)[16]) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring name = L"VantorelCli-" + std::to_wstring(processId) + L"-";
  for (unsigned char byte : random) {
    name += kHex[byte >> 4];
    name += kHex[byte & 0x0f];
  }
  return name;
}

std::wstring LaunchParameters(std::wstring_view pipeName, std::wstring_view directory, std::wstring_view tail) {
  std::wstring parameters = L"--cli ";
  parameters += pipeName;
  parameters += L" --cwd ";
  parameters += QuoteArgument(directory);
  parameters += L' ';
  parameters += tail;
  return parameters;
}
