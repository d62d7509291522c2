#include "cli/relay.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "cli/cli_text_table.h"
#include "cli/command_line.h"
#include "cli/console_output.h"
#include "cli/host_connection.h"
#include "cli/message_printer.h"
#include "cli/message_reader.h"
#include "cli/pipe_security.h"
#include "cli/system_random.h"
#include "common/host/host_executable.h"
#include "common/locale/select_locale_row.h"

namespace {

constexpr int kExitCouldNotRun = 4;
constexpr int kExitInterrupted = 1;
constexpr DWORD kConnectWaitMs = 120000;
constexpr DWORD kReadSliceMs = 200;
constexpr DWORD kReadBufferBytes = 8192;
constexpr DWORD kPipeInputBufferBytes = 65536;

// Set by the console control handler's thread, read by the main thread.
volatile LONG interrupted = 0;

bool Interrupted() { return interrupted != 0; }

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    InterlockedExchange(&interrupted, 1);
    return TRUE;
  }
  return FALSE;
}

bool MakePipeName(std::wstring& name) {
  unsigned char random[16];
  if (!FillSystemRandom(random, sizeof(random))) return false;
  name = FormatPipeName(GetCurrentProcessId(), random);
  return true;
}

std::wstring CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return L"";
  std::wstring directory(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, directory.data());
  directory.resize(length < size ? length : 0);
  return directory;
}

// Prints the help when asked for it or when there is nothing to relay.
bool ShowHelpIfAsked(const CliTextRow& text) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const bool help = arguments == nullptr || count < 2 || IsHelpWord(arguments[1]);
  if (arguments != nullptr) LocalFree(arguments);
  if (help) {
    std::wstring line = text.help;
    line += L'\n';
    WriteOut(line);
  }
  return help;
}

struct Relay {
  HANDLE pipe = INVALID_HANDLE_VALUE;
  HANDLE process = nullptr;
  HANDLE event = nullptr;  // left to process exit
  OVERLAPPED connect = {};
  bool connectPending = false;

  ~Relay() {
    if (connectPending) {
      // The system writes into connect until the cancelled wait has ended.
      CancelIo(pipe);
      DWORD ignored = 0;
      GetOverlappedResult(pipe, &connect, &ignored, TRUE);
    }
    if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
    if (process != nullptr) CloseHandle(process);
  }
};

enum class Connection { Connected, Failed, Interrupted };

// Waits for the host to open the pipe; the host ending first counts as a
// failure. The wait runs in the same slices as a read, because the control
// handler swallows Ctrl+C from the launch on: one long wait would leave the
// user unable to stop a host that is slow to connect for two minutes.
Connection WaitForConnection(Relay& relay) {
  HANDLE waitables[2] = {relay.event, relay.process};
  const DWORD count = relay.process != nullptr ? 2 : 1;
  const ULONGLONG deadline = GetTickCount64() + kConnectWaitMs;
  for (;;) {
    if (Interrupted()) return Connection::Interrupted;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return Connection::Failed;
    const DWORD slice = static_cast<DWORD>(deadline - now < kReadSliceMs ? deadline - now : kReadSliceMs);
    const DWORD waited = WaitForMultipleObjects(count, waitables, FALSE, slice);
    if (waited == WAIT_TIMEOUT) continue;
    DWORD ignored = 0;
    return waited == WAIT_OBJECT_0 && GetOverlappedResult(relay.pipe, &relay.connect, &ignored, FALSE)
               ? Connection::Connected
               : Connection::Failed;
  }
}

// Prints what the host sends until its exit message, the end of the stream, a
// broken stream or an interrupt. Returns the run result, -1 when none came.
int ReadMessages(const Relay& relay) {
  MessagePrinter printer;
  MessageReader reader;
  std::vector<char> buffer(kReadBufferBytes);
  while (!Interrupted()) {
    ResetEvent(relay.event);
    OVERLAPPED read = {};
    read.hEvent = relay.event;
    DWORD received = 0;
    if (!ReadFile(relay.pipe, buffer.data(), kReadBufferBytes, &received, &read)) {
      if (GetLastError() != ERROR_IO_PENDING) break;  // the host closed its end
      DWORD waited = WAIT_TIMEOUT;
      while (waited == WAIT_TIMEOUT && !Interrupted()) waited = WaitForSingleObject(relay.event, kReadSliceMs);
      if (Interrupted() || waited != WAIT_OBJECT_0) {
        CancelIo(relay.pipe);
        // The cancelled read still owns buffer and read until it completes.
        GetOverlappedResult(relay.pipe, &read, &received, TRUE);
        break;
      }
      if (!GetOverlappedResult(relay.pipe, &read, &received, FALSE)) break;
    }
    if (received > 0 && !PrintReceived(reader, printer, buffer.data(), received)) break;
  }
  return printer.result;
}

}  // namespace

int RunCli() {
  InitConsoleOutput();
  const CliTextRow& text = SelectLocaleRow(kCliTextTable);
  if (ShowHelpIfAsked(text)) return 0;

  std::wstring pipeName;
  if (!MakePipeName(pipeName)) {
    PrintMessage(text.notStarted);
    return kExitCouldNotRun;
  }

  Relay relay;
  const std::wstring pipePath = L"\\\\.\\pipe\\" + pipeName;
  PipeSecurity security;
  if (security.Get() != nullptr) {
    relay.pipe = CreateNamedPipeW(pipePath.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  // cppcheck-suppress badBitmaskCheck ; the zero flags name byte mode and blocking waits
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                                  kPipeInputBufferBytes, 0, security.Get());
  }
  relay.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (relay.pipe == INVALID_HANDLE_VALUE || relay.event == nullptr) {
    PrintMessage(text.notStarted);
    return kExitCouldNotRun;
  }

  // Anyone connected before the host exists is not the host: such a
  // connection is refused here, and the host is not started for it.
  relay.connect.hEvent = relay.event;
  if (ConnectNamedPipe(relay.pipe, &relay.connect) || GetLastError() != ERROR_IO_PENDING) {
    PrintMessage(text.notStarted);
    return kExitCouldNotRun;
  }
  relay.connectPending = true;

  const std::wstring directory = CurrentDirectory();
  const std::wstring parameters = LaunchParameters(pipeName, directory, CommandTail(GetCommandLineW()));
  const std::wstring host = FindHostExecutable(CallerKind::Program);

  SHELLEXECUTEINFOW launch = {};
  launch.cbSize = sizeof(launch);
  launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  launch.lpFile = host.c_str();
  launch.lpParameters = parameters.c_str();
  launch.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  launch.nShow = SW_HIDE;
  // A client that connected while we prepared the launch came before the host
  // too. The connect's event tells: Wine fills in the overlapped structure
  // only once this thread waits.
  if (WaitForSingleObject(relay.event, 0) != WAIT_TIMEOUT) {
    PrintMessage(text.notStarted);
    return kExitCouldNotRun;
  }
  if (host.empty()) SetLastError(ERROR_FILE_NOT_FOUND);
  if (host.empty() || !ShellExecuteExW(&launch)) {
    PrintMessage(GetLastError() == ERROR_CANCELLED ? text.noAdmin : text.notStarted);
    return kExitCouldNotRun;
  }
  relay.process = launch.hProcess;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);

  // On failure the destructor cancels the connect.
  switch (WaitForConnection(relay)) {
    case Connection::Connected:
      break;
    case Connection::Interrupted:
      PrintMessage(text.stopped);
      return kExitInterrupted;
    case Connection::Failed:
      PrintMessage(text.notStarted);
      return kExitCouldNotRun;
  }
  relay.connectPending = false;
  // We hold the host's handle, so no other process can carry its id now.
  PipeConnection connection;
  connection.hostProcess = relay.process != nullptr;
  connection.hostProcessId = connection.hostProcess ? GetProcessId(relay.process) : 0;
  ULONG clientProcessId = 0;
  connection.clientKnown = GetNamedPipeClientProcessId(relay.pipe, &clientProcessId) != FALSE;
  connection.clientProcessId = clientProcessId;
  if (!IsHostConnection(connection)) {
    PrintMessage(text.notStarted);
    return kExitCouldNotRun;
  }

  const int result = ReadMessages(relay);
  CloseHandle(relay.pipe);
  relay.pipe = INVALID_HANDLE_VALUE;
  if (relay.process != nullptr) CloseHandle(relay.process);
  relay.process = nullptr;

  if (Interrupted()) {
    PrintMessage(text.stopped);
    return kExitInterrupted;
  }
  if (result < 0) {
    PrintMessage(text.unfinished);
    return kExitCouldNotRun;
  }
  ClearStatusLine();
  return result;
}
