// A stand-in for the host application, "Vantorel.exe", as far as vantorel-cli
// sees it: started with "--cli <pipe> --cwd <directory> <command>", it opens
// the pipe, writes output, status and exit messages and closes it.
//
// VANTOREL_STANDIN_RECORD names a file that receives (UTF-8) the command line
// and the working directory it was started with, one per line, then
// "show N": how its starter asked its window to be shown (the show command of
// its start-up information, or -1 when none was given). That is all it does
// when VantorelShell starts it with "--file <verb> <path>".
// VANTOREL_STANDIN_SCRIPT names a script that replaces the built-in answers;
// one directive per line:
//   O text | S text | X payload   an output, status or exit message
//   M letter text                 a message of any type letter
//   length N                      a bare output header declaring N bytes
//   split N                       write what follows in pieces of N bytes (0: whole)
//   hold / flush                  collect what follows and write it in one piece
//   pause MS                      wait before going on
//   bulk COUNT SIZE               COUNT output messages of SIZE bytes each
//   close                         close the pipe and end here
//   noconnect [MS]                end without opening the pipe (after MS)
//   security                      an output message with the pipe's access list
//                                 in SDDL, as a host reads it back, and "\n"
//
// For the relay benchmark it also copies the same message stream between two
// processes without vantorel-cli: "--direct COUNT SIZE FILE" starts itself as
// "--emit COUNT SIZE", which writes the stream of "bulk COUNT SIZE" to its
// standard output, and copies that pipe into FILE in 8 KiB reads.
// VANTOREL_STANDIN_TIMING names a file that receives the seconds a bulk write took.
// Texts take the escapes \n \r \t \\ and \xHH (any byte, valid UTF-8 or not).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/utf8.h"
#include "tests/support/whole_file.h"
#include "tools/standin_host/host_messages.h"

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[32768];
  const DWORD length = GetEnvironmentVariableW(name, value, 32768);
  return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

void Record(const std::wstring& path) {
  wchar_t directory[32768] = {};
  GetCurrentDirectoryW(32768, directory);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  WriteWholeFile(path, ToUtf8(GetCommandLineW()) + "\n" + ToUtf8(directory) + "\nshow " + std::to_string(show) + "\n");
}

std::string Unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'n') bytes += '\n';
    else if (c == 'r') bytes += '\r';
    else if (c == 't') bytes += '\t';
    else if (c == 'x' && i + 2 < text.size()) {
      bytes += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else bytes += c;
  }
  return bytes;
}

struct Pipe {
  HANDLE handle = INVALID_HANDLE_VALUE;
  size_t split = 0;
  bool holding = false;
  std::string held;

  void Write(const std::string& bytes) {
    if (holding) {
      held += bytes;
      return;
    }
    const size_t piece = split == 0 ? bytes.size() : split;
    for (size_t at = 0; at < bytes.size(); at += piece) {
      const size_t count = bytes.size() - at < piece ? bytes.size() - at : piece;
      DWORD written = 0;
      if (!WriteFile(handle, bytes.data() + at, static_cast<DWORD>(count), &written, nullptr)) return;
    }
  }
};

// The benchmark's clock: the writer blocks once the pipe's buffer is full, so
// the time to its last write is the reader's time to within one buffer.
void WriteTiming(double seconds) {
  const std::wstring path = Environment(L"VANTOREL_STANDIN_TIMING");
  if (!path.empty()) WriteWholeFile(path, std::to_string(seconds) + "\n");
}

void WriteBulk(Pipe& pipe, unsigned long count, unsigned long size) {
  LARGE_INTEGER frequency, started, ended;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  std::string payload(size, 'x');
  if (size > 0) payload.back() = '\n';
  const std::string one = Message('O', payload);
  std::string batch;
  for (unsigned long i = 0; i < count; ++i) {
    batch += one;
    if (batch.size() >= 65536) {
      pipe.Write(batch);
      batch.clear();
    }
  }
  pipe.Write(batch);
  QueryPerformanceCounter(&ended);
  WriteTiming(static_cast<double>(ended.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart));
}

// The baseline of the relay benchmark: the same bytes, one pipe, two processes.
int DirectCopy(unsigned long count, unsigned long size, const wchar_t* file) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 65536)) return 3;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --emit " + std::to_wstring(count) + L" " +
                             std::to_wstring(size);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    return 3;
  }
  CloseHandle(writeEnd);
  HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::vector<char> buffer(8192);
  DWORD got = 0, written = 0;
  while (ReadFile(readEnd, buffer.data(), 8192, &got, nullptr) && got > 0) {
    WriteFile(out, buffer.data(), got, &written, nullptr);
  }
  CloseHandle(out);
  WaitForSingleObject(process.hProcess, INFINITE);
  return 0;
}

// The pipe's DACL as text, read through our own end of it: "unreadable" when
// that fails, "" when the pipe has no DACL at all.
std::string PipeAccessList(HANDLE pipe) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return "unreadable";
  }
  wchar_t* text = nullptr;
  std::string result = "unreadable";
  if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           &text, nullptr)) {
    result = ToUtf8(text);
    LocalFree(text);
  }
  LocalFree(descriptor);
  return result;
}

void RunScript(Pipe& pipe, const std::string& script) {
  size_t at = 0;
  while (at < script.size()) {
    size_t end = script.find('\n', at);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "O" || word == "S" || word == "X") {
      pipe.Write(Message(word[0], Unescape(rest)));
    } else if (word == "M" && !rest.empty()) {
      pipe.Write(Message(rest[0], Unescape(rest.size() > 2 ? rest.substr(2) : "")));
    } else if (word == "length") {
      pipe.Write(Header('O', static_cast<uint32_t>(std::strtoul(rest.c_str(), nullptr, 10))));
    } else if (word == "split") {
      pipe.split = std::strtoul(rest.c_str(), nullptr, 10);
    } else if (word == "hold") {
      pipe.holding = true;
    } else if (word == "flush") {
      pipe.holding = false;
      pipe.Write(pipe.held);
      pipe.held.clear();
    } else if (word == "pause") {
      Sleep(std::strtoul(rest.c_str(), nullptr, 10));
    } else if (word == "bulk") {
      char* next = nullptr;
      const unsigned long count = std::strtoul(rest.c_str(), &next, 10);
      WriteBulk(pipe, count, std::strtoul(next, nullptr, 10));
    } else if (word == "security") {
      pipe.Write(Message('O', PipeAccessList(pipe.handle) + "\n"));
    } else if (word == "close") {
      return;
    }
  }
}

// What a user trying vantorel-cli by hand gets: a few answers in the host's manner.
int Answer(Pipe& pipe, const std::vector<std::wstring>& command) {
  const std::wstring verb = command.empty() ? L"" : command[0];
  if (verb == L"list") {
    const char* items[] = {"Fix steps:   clean-temp, flush-dns, repair-icons",
                           "Tasks:       defrag-check, startup-report",
                           "Routines:    weekly"};
    for (const char* item : items) {
      pipe.Write(Message('S', std::string("Reading ") + item));
      Sleep(150);
      pipe.Write(Message('O', std::string(item) + "\n"));
    }
    pipe.Write(Message('X', "0"));
    return 0;
  }
  if (verb == L"get") {
    pipe.Write(Message('S', "Reading settings"));
    Sleep(300);
    pipe.Write(Message('O', "game-mode          on\nnotifications      off\nupdate-channel     stable\n"));
    pipe.Write(Message('X', "0"));
    return 0;
  }
  pipe.Write(Message('O', "Not understood: " + ToUtf8(verb) + "\n"));
  pipe.Write(Message('X', "2"));
  return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring record = Environment(L"VANTOREL_STANDIN_RECORD");
  if (!record.empty()) Record(record);

  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments != nullptr && count == 4 && std::wstring(arguments[1]) == L"--emit") {
    Pipe out;
    out.handle = GetStdHandle(STD_OUTPUT_HANDLE);
    WriteBulk(out, std::wcstoul(arguments[2], nullptr, 10), std::wcstoul(arguments[3], nullptr, 10));
    return 0;
  }
  if (arguments != nullptr && count == 5 && std::wstring(arguments[1]) == L"--direct") {
    return DirectCopy(std::wcstoul(arguments[2], nullptr, 10), std::wcstoul(arguments[3], nullptr, 10), arguments[4]);
  }
  if (arguments == nullptr || count < 5 || std::wstring(arguments[1]) != L"--cli" ||
      std::wstring(arguments[3]) != L"--cwd") {
    return 2;
  }
  const std::wstring pipePath = std::wstring(L"\\\\.\\pipe\\") + arguments[2];
  std::vector<std::wstring> command(arguments + 5, arguments + count);
  LocalFree(arguments);

  std::string script;
  const std::wstring scriptPath = Environment(L"VANTOREL_STANDIN_SCRIPT");
  if (!scriptPath.empty() && !ReadWholeFile(scriptPath, script)) return 3;
  if (script.rfind("noconnect", 0) == 0) {
    Sleep(static_cast<DWORD>(std::strtoul(script.c_str() + 9, nullptr, 10)));
    return 0;
  }

  Pipe pipe;
  pipe.handle = CreateFileW(pipePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (pipe.handle == INVALID_HANDLE_VALUE) return 3;
  int code = 0;
  if (scriptPath.empty()) {
    code = Answer(pipe, command);
  } else {
    RunScript(pipe, script);
  }
  CloseHandle(pipe.handle);
  return code;
}
