#pragma once

// Runs a mode of the worker inside the test process with its event lines
// going to a temporary file (or to a pipe nobody reads), then hands back the
// lines the way the host would see them. A test whose run stands for one of
// the worker's own says so with RunEnded(code): once the output is put back,
// its lines and exit code then go to the event-line collection of the test run
// (see tests/support/event_line_collection.h), so the reference check sees them.

#include <windows.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/core/event_line.h"
#include "tests/support/event_line_collection.h"
#include "tests/support/probe_process.h"

class CapturedOutput {
 public:
  enum class Kind { File, ClosedPipe };

  explicit CapturedOutput(Kind kind = Kind::File) : previous_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    if (kind == Kind::File) {
      wchar_t folder[MAX_PATH], name[MAX_PATH];
      GetTempPathW(MAX_PATH, folder);
      GetTempFileNameW(folder, L"vlc", 0, name);
      path_ = name;
      output_ = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    } else {
      // The reader went away before the first line: every write fails.
      HANDLE read = nullptr;
      CreatePipe(&read, &output_, nullptr, 0);
      CloseHandle(read);
    }
    SetStdHandle(STD_OUTPUT_HANDLE, output_);
    TakeOutputHandle();
  }

  ~CapturedOutput() {
    Restore();
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }

  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Every line written so far, split at "\n"; a line without its "\n" at the
  // end of the file is kept too, so a test sees it.
  std::vector<EventLine> Lines() {
    std::vector<EventLine> lines;
    std::string content;
    if (path_.empty() || !ReadWrittenSoFar(content)) return lines;
    size_t from = 0;
    while (from < content.size()) {
      size_t end = content.find('\n', from);
      if (end == std::string::npos) end = content.size();
      EventLine line;
      line.text = content.substr(from, end - from);
      line.json = nlohmann::json::parse(line.text, nullptr, false);
      if (line.json.is_discarded()) line.json = nullptr;
      lines.push_back(std::move(line));
      from = end + 1;
    }
    return lines;
  }

  // The exit code of a whole mode run that ended by itself, in an environment
  // the worker itself can meet (a scripted block smaller than the worker ever
  // takes would break the reference's ranges): the run is then collected and
  // the check holds its shape against the code.
  void RunEnded(int code) { exitCode_ = code; }

  void Restore() {
    if (output_ == INVALID_HANDLE_VALUE) return;
    SetStdHandle(STD_OUTPUT_HANDLE, previous_);
    TakeOutputHandle();
    CloseHandle(output_);
    output_ = INVALID_HANDLE_VALUE;
    Collect();
  }

 private:
  // Our own handle still writes the file, so the read must share writing.
  bool ReadWrittenSoFar(std::string& content) const {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) content.append(chunk, got);
    CloseHandle(file);
    return true;
  }

  // The mode ran in this process, but its lines are the worker's.
  void Collect() {
    if (exitCode_ < 0) return;
    const std::vector<EventLine> lines = Lines();
    if (lines.empty()) return;
    const EventLineCollection collection = OpenEventLineCollection(L"vantorelprobe.exe");
    for (const EventLine& line : lines) CollectEventLine(collection, line.text);
    CollectExitCode(collection, static_cast<DWORD>(exitCode_));
  }

  HANDLE previous_;
  HANDLE output_ = INVALID_HANDLE_VALUE;
  int exitCode_ = -1;
  std::wstring path_;
};
