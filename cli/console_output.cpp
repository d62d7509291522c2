#include "cli/console_output.h"

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
  if (text.empty() || output == INVALID_HANDLE_VALUE || output == nullptr) return;
  DWORD written = 0;
  if (console) {
    WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::vector<char> utf8(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  WriteFile(output, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr);
}

std::wstring Utf8ToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (units <= 0) return {};
  std::wstring text(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
  return text;
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
