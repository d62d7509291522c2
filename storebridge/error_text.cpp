#include "storebridge/error_text.h"

#include <cwchar>

std::wstring OneLineMessage(const std::wstring& message) {
  std::wstring line = message;
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  const size_t last = line.find_last_not_of(L' ');
  if (last == std::wstring::npos) return {};
  line.erase(last + 1);
  line.erase(0, line.find_first_not_of(L' '));
  return line;
}

std::wstring ErrorTextFor(HRESULT hr) {
  wchar_t buffer[kSystemMessageChars];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      static_cast<DWORD>(hr), 0, buffer, kSystemMessageChars, nullptr);
  std::wstring message = length > 0 ? OneLineMessage(std::wstring(buffer, length)) : std::wstring();
  if (message.empty()) message = kNoSystemMessage;
  wchar_t code[16];
  swprintf(code, 16, L" (0x%08X)", static_cast<unsigned>(hr));
  std::wstring text = message + code;
  if (text.size() > kErrorTextChars - 1) text.resize(kErrorTextChars - 1);
  return text;
}

void StoreErrorResult(ResultSlot& slot, HRESULT hr) {
  if (ResultIsSet(slot)) return;
  StoreResult(slot, (L"ERROR:" + ErrorTextFor(hr)).c_str(), kExitFailure);
}
