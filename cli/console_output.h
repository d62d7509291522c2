#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Everything vantorel-cli prints goes through here: UTF-16 straight to a
// console, UTF-8 without a byte-order mark when output is redirected, and one
// transient status line that only a console shows. Main thread only.

// Takes the standard output handle and whether it is a console.
void InitConsoleOutput();
// The same for a given handle; tests hand in a pipe or a file.
void InitConsoleOutput(HANDLE output);

bool OutputIsConsole();

void WriteOut(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view bytes);
// The same, appended to text.
void AppendUtf8ToWide(std::wstring& text, std::string_view bytes);

// The host's output goes out as it came when it is well-formed, which saves
// two conversions per message on the way to a redirected file:
// AppendCleanUtf8 appends bytes to utf8 as WriteOut(Utf8ToWide(bytes)) would
// print them (malformed sequences become U+FFFD), and WriteOutUtf8 writes such
// well-formed text: unchanged when redirected, as UTF-16 to a console.
void AppendCleanUtf8(std::string& utf8, std::string_view bytes);
void WriteOutUtf8(std::string_view utf8);
void ClearStatusLine();
void PrintMessage(std::wstring_view text);
void ShowStatusLine(std::wstring_view text);

// What ShowStatusLine writes for text in a window width units wide when the
// status line on screen is oldLength units long; newLength receives the length
// of the line it leaves on screen.
std::wstring ComposeStatusLine(std::wstring_view text, int width, size_t oldLength, size_t* newLength);
