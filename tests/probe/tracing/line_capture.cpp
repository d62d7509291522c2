#include "tests/probe/tracing/line_capture.h"

#include "probe/core/event_line.h"
#include "tests/support/event_line_collection.h"

LineCapture::LineCapture() {
  previous_ = GetStdHandle(STD_OUTPUT_HANDLE);
  CreatePipe(&read_, &write_, nullptr, 1 << 20);
  SetStdHandle(STD_OUTPUT_HANDLE, write_);
  TakeOutputHandle();
  reader_ = std::thread([this] {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(read_, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes_.append(chunk, got);
  });
}

LineCapture::~LineCapture() { Finish(); }

std::vector<std::string> LineCapture::Finish() { return Collected(false, 0); }

std::vector<std::string> LineCapture::Finish(int exitCode) { return Collected(true, exitCode); }

std::vector<std::string> LineCapture::Collected(bool withExitCode, int exitCode) {
  std::vector<std::string> lines;
  if (finished_) return lines;
  finished_ = true;
  SetStdHandle(STD_OUTPUT_HANDLE, previous_);
  TakeOutputHandle();
  CloseHandle(write_);
  reader_.join();
  CloseHandle(read_);
  size_t begin = 0;
  for (size_t end = bytes_.find('\n'); end != std::string::npos; end = bytes_.find('\n', begin)) {
    lines.push_back(bytes_.substr(begin, end - begin));
    begin = end + 1;
  }
  if (begin < bytes_.size()) lines.push_back(bytes_.substr(begin) + "<no line end>");
  if (!lines.empty()) {
    // The mode ran in this process, but its lines are the worker's.
    const EventLineCollection collection = OpenEventLineCollection(L"vantorelprobe.exe");
    for (const std::string& line : lines) CollectEventLine(collection, line);
    if (withExitCode) CollectExitCode(collection, static_cast<DWORD>(exitCode));
  }
  return lines;
}
