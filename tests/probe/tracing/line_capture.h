#pragma once

// Catches the worker's event lines in-process: standard output becomes a
// pipe that a thread drains while a mode function runs in the test.
//
//   LineCapture capture;            // redirects and re-takes the output handle
//   int code = RunSomeModeOn(...);
//   std::vector<std::string> lines = capture.Finish();   // every line, no "\n"

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
  std::vector<std::string> Finish();

 private:
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
  HANDLE previous_ = nullptr;
  std::thread reader_;
  std::string bytes_;
  bool finished_ = false;
};
