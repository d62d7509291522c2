#pragma once

#include <string>

#include "tests/support/unique_handle.h"

// Every line the worker writes during the tests is also kept in a folder of the
// build tree (named by VANTOREL_EVENT_LINES, which CTest sets), so that one check
// after all worker tests can hold each line against docs/events.schema.json.

// A new file for the lines of one run of program; none when program is not the
// worker or nothing is being collected.
UniqueHandle OpenEventLineCollection(const std::wstring& program);

// Appends one complete line (without its "\n") to the run's file, if there is one.
void CollectEventLine(const UniqueHandle& collection, const std::string& text);
