#include "cli/console_output.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

HANDLE output = INVALID_HANDLE_VALUE;
bool console = false;
size_t statusLength = 0;

}  // namespace

void InitConsoleOutput() { InitConsoleOutput(GetStdHandle(STD_OUTPUT_HANDLE)); }

void InitConsoleOutput(HANDLE handle) {
  output = handle;
  DWORD mode = 0;
  console = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != FALSE;
  statusLength = 0;
}

bool OutputIsConsole() { return console; }

void WriteOut(std::wstring_view text) {
  // cppcheck-suppress knownConditionTrueFalse ; GetStdHandle gives null to a process started without standard handles
  if (text.empty() || output == INVALID_HANDLE_VALUE || output == nullptr) return;
  DWORD written = 0;
  if (console) {
    WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  std::vector<char> utf8(text.size());
  size_t ascii = 0;
  while (ascii < text.size() && text[ascii] < 0x80) {
    utf8[ascii] = static_cast<char>(text[ascii]);
    ++ascii;
  }
  if (ascii < text.size()) {  // most output is ASCII and needs no conversion call
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    utf8.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  }
  WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

namespace {

bool IsAscii(std::string_view bytes) {
  size_t i = 0;
  // Eight bytes at a time: the host's output is mostly long runs of ASCII.
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

}  // namespace

void AppendUtf8ToWide(std::wstring& text, std::string_view bytes) {
  if (IsAscii(bytes)) {  // most payloads are ASCII and need no conversion call
    text.append(bytes.begin(), bytes.end());
    return;
  }
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (units <= 0) return;
  const size_t start = text.size();
  text.resize(start + static_cast<size_t>(units));
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data() + start, units);
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring text;
  AppendUtf8ToWide(text, bytes);
  return text;
}

void AppendCleanUtf8(std::string& utf8, std::string_view bytes) {
  if (IsAscii(bytes)) {
    utf8 += bytes;
    return;
  }
  const std::wstring text = Utf8ToWide(bytes);
  if (text.empty()) return;
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  const size_t start = utf8.size();
  utf8.resize(start + static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data() + start, size, nullptr,
                      nullptr);
}

void WriteOutUtf8(std::string_view utf8) {
  // cppcheck-suppress knownConditionTrueFalse ; GetStdHandle gives null to a process started without standard handles
  if (utf8.empty() || output == INVALID_HANDLE_VALUE || output == nullptr) return;
  if (console) {
    WriteOut(Utf8ToWide(utf8));
    return;
  }
  DWORD written = 0;
  WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void ClearStatusLine() {
  if (statusLength == 0) return;
  std::wstring blank = L"\r";
  blank.append(statusLength, L' ');
  blank += L'\r';
  WriteOut(blank);
  statusLength = 0;
}

void PrintMessage(std::wstring_view text) {
  ClearStatusLine();
  std::wstring line(text);
  line += L'\n';
  WriteOut(line);
}

std::wstring ComposeStatusLine(std::wstring_view text, int width, size_t oldLength, size_t* newLength) {
  std::wstring line(text);
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\t' || c == L'\n') c = L' ';
  }
  // Stopping one column short keeps the cursor off the last column, so the line never wraps.
  if (width > 1 && line.size() > static_cast<size_t>(width - 1)) {
    line.resize(static_cast<size_t>(width - 1));
    // Never leave half of a surrogate pair at the cut: the console would draw it as garbage.
    if (IS_HIGH_SURROGATE(line.back())) line.pop_back();
  }
  const size_t blanks = oldLength > line.size() ? oldLength - line.size() : 0;
  *newLength = line.size();
  std::wstring drawn = L"\r";
  drawn += line;
  drawn.append(blanks, L' ');
  drawn += L'\r';
  return drawn;
}

void ShowStatusLine(std::wstring_view text) {
  if (!console) return;
  int width = 80;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(output, &info)) width = info.srWindow.Right - info.srWindow.Left + 1;
  size_t newLength = 0;
  WriteOut(ComposeStatusLine(text, width, statusLength, &newLength));
  statusLength = newLength;
}
