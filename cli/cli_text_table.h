#pragma once

#include "common/locale/locale_codes.h"

// One language's texts for vantorel-cli. help is 16 lines joined by "\n" with
// no break at the end; the messages are single lines.
struct CliTextRow {
  const wchar_t* code;
  const wchar_t* help;
  const wchar_t* notStarted;  // the host application failed to start
  const wchar_t* noAdmin;     // administrator rights were refused
  const wchar_t* unfinished;  // the host ended without reporting an exit code
  const wchar_t* stopped;     // the user interrupted the run
};

extern const CliTextRow kCliTextTable[kLocaleCount];
