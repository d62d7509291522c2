#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/event_line_collection.h"
#include "tests/support/unique_handle.h"

// What the host does with the worker: starts vantorelprobe.exe with pipes on
// its standard input and output, collects its event lines as they arrive,
// writes "q" or closes the input, and takes the exit code.

struct EventLine {
  std::string text;
  nlohmann::json json;  // discarded when the text is not valid JSON
  double arrival = 0;   // seconds since the process was started
};

enum class StdinKind { Pipe, Nul, File };

// Full path of a program that lies beside the running test executable.
std::wstring BesideThisProgram(const wchar_t* fileName);

class ProbeProcess {
 public:
  ProbeProcess() = default;
  ProbeProcess(const ProbeProcess&) = delete;
  ProbeProcess& operator=(const ProbeProcess&) = delete;
  ~ProbeProcess();

  // Environment variables of the child that differ from ours (an empty value
  // removes the variable). Call before Start. Under Wine this is the Windows
  // environment only: the display and the DLL overrides come from the Unix
  // environment, which a CTest ENVIRONMENT property sets instead.
  void SetEnvironment(const std::wstring& name, const std::wstring& value);

  // The child gets no standard output or error handle at all, as a host that
  // reads nothing starts it. Call before Start.
  void WithoutStdout() { withoutStdout_ = true; }
  // The child's standard error goes to NUL instead of the output pipe. Under
  // Wine the first process that creates a window starts the desktop process
  // and hands it its standard error, which would then hold our pipe open long
  // after the child ended. Call before Start.
  void StderrToNul() { stderrToNul_ = true; }

  // arguments follows the program name on the command line.
  bool Start(const std::wstring& arguments, StdinKind stdinKind = StdinKind::Pipe,
             const std::wstring& stdinFile = L"", const std::wstring& program = L"vantorelprobe.exe");

  bool WriteStdin(const std::string& bytes);
  void CloseStdin();

  // Waits until at least count lines arrived (or the output ended).
  bool WaitForLines(size_t count, DWORD timeoutMs);
  // Waits for the exit and the end of the output; returns the exit code, or
  // STILL_ACTIVE when the time ran out (the process is then killed). An
  // output that stays open after the exit fails the test.
  DWORD WaitForExit(DWORD timeoutMs);

  std::vector<EventLine> Lines();
  double Elapsed() const;
  DWORD ProcessId() const { return GetProcessId(process_.Get()); }

 private:
  void ReadOutput();
  static DWORD WINAPI ReaderThread(void* self);
  // Waits up to timeoutMs for the output to end, else cancels the read;
  // false when it had to cancel.
  bool EndReader(DWORD timeoutMs);

  UniqueHandle process_;
  UniqueHandle stdinWrite_;
  UniqueHandle stdoutRead_;
  bool withoutStdout_ = false;
  bool stderrToNul_ = false;
  std::wstring program_;
  UniqueHandle reader_;  // the thread that reads the output
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<EventLine> lines_;
  bool outputEnded_ = false;
  LARGE_INTEGER frequency_{}, started_{};
  std::vector<std::pair<std::wstring, std::wstring>> environment_;
  EventLineCollection collection_;  // the worker's lines, kept for the check against the reference
};

// "start", "end", "error"... of a line, or "" for a sample line.
std::string EventOf(const EventLine& line);
