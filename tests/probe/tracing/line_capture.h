#pragma once

// Catches the worker's event lines in-process: standard output becomes a
// pipe that a thread drains while a mode function runs in the test.
//
//   LineCapture capture;            // redirects and re-takes the output handle
//   int code = RunSomeModeOn(...);
//   std::vector<std::string> lines = capture.Finish(code);   // every line, no "\n"
//
// The lines also go to the event-line collection of the test run (see
// tests/support/event_line_collection.h), so the reference check sees them.

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

class LineCapture {
 public:
  LineCapture();
  ~LineCapture();
  LineCapture(const LineCapture&) = delete;
  LineCapture& operator=(const LineCapture&) = delete;

  // Puts the old output back and returns the lines written since the start.
  // With the exit code of a mode run that ended by itself, the check also
  // holds the run's shape against that code.
  std::vector<std::string> Finish();
  std::vector<std::string> Finish(int exitCode);

 private:
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
  HANDLE previous_ = nullptr;
  std::thread reader_;
  std::string bytes_;
  bool finished_ = false;

  std::vector<std::string> Collected(bool withExitCode, int exitCode);
};
