#pragma once

#include <windows.h>

#include <string>

#include "tests/support/unique_handle.h"

// Every line the worker writes during the tests is also kept in a folder of the
// build tree (named by VANTOREL_EVENT_LINES, which CTest sets), so that one check
// after all worker tests can hold each line against docs/events.schema.json, and
// each run that ended by itself against its exit code.

struct EventLineCollection {
  UniqueHandle lines;  // <run>.jsonl, one event line per line
  std::wstring stem;   // path of the run's files without the extension
};

// New files for one run of program; none when program is not the worker or
// nothing is being collected.
EventLineCollection OpenEventLineCollection(const std::wstring& program);

// Appends one complete line (without its "\n") to the run's file, if there is one.
void CollectEventLine(const EventLineCollection& collection, const std::string& text);

// <run>.exit: the exit code of a worker that ended by itself (not one a test ended).
void CollectExitCode(const EventLineCollection& collection, DWORD code);
