#pragma once

#include <windows.h>

#include <cstddef>

// The one answer of a run. The main thread, the watchdog and a crashing thread
// may all try to answer at once; the first stored result wins (a crash always
// overwrites) and the line is printed at most once.

inline constexpr size_t kResultTextChars = 2048;  // text plus its terminator
// Every UTF-16 unit becomes at most three UTF-8 bytes; then CR LF.
inline constexpr size_t kResultLineBytes = (kResultTextChars - 1) * 3 + 2;

// Exit codes of the store bridge.
inline constexpr int kExitUpdate = 0;
inline constexpr int kExitNoUpdate = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFailure = 3;
inline constexpr int kExitTimeout = 6;

inline constexpr wchar_t kResultUpdate[] = L"UPDATE";
inline constexpr wchar_t kResultNoUpdate[] = L"NOUPDATE";
inline constexpr wchar_t kResultUsage[] = L"ERROR:usage";
inline constexpr wchar_t kResultBadMode[] = L"ERROR:badmode";
inline constexpr wchar_t kResultTimeout[] = L"ERROR:timeout";
inline constexpr wchar_t kResultUnknown[] = L"ERROR:unknown";

struct ResultSlot {
  CRITICAL_SECTION lock;
  wchar_t text[kResultTextChars];
  int code;
  bool set;
  bool written;
  int writtenCode;  // the code of the line once written: taken with its text, under the lock
  volatile LONG printing;  // 1 while the printing thread writes the line, outside the lock
  // Built under the lock, so a crash on a nearly full stack does not need room for it.
  char line[kResultLineBytes];
};

// Before any other use: "ERROR:unknown", code 3, nothing stored or printed.
void InitResultSlot(ResultSlot& slot);

// Ignored once a result is stored.
void StoreResult(ResultSlot& slot, const wchar_t* text, int code);
// The crash handler's store: replaces whatever was stored.
void StoreCrashResult(ResultSlot& slot, const wchar_t* text, int code);
bool ResultIsSet(ResultSlot& slot);
int ResultCode(ResultSlot& slot);
// The exit code that belongs with what was printed: the code taken together
// with the line's text, or the stored code while nothing was printed. A result
// stored after the line was taken cannot pair its code with the line's text.
int ExitCodeOfResult(ResultSlot& slot);

// text as UTF-8 followed by CR LF; 0 when it cannot be converted or does not fit.
size_t EncodeResultLine(const wchar_t* text, char* line, size_t capacity);

// Writes the line to output with one WriteFile, the first time only, and
// flushes it when output is a file. A null or invalid output still counts as
// printed. True when this call was the one that printed.
bool PrintResult(ResultSlot& slot, HANDLE output);

inline constexpr DWORD kPrintGraceMs = 2000;

// Waits while another thread writes the line, for kPrintGraceMs of time at
// most, then returns whether or not the write is done.
void WaitForPrintUnderWay(ResultSlot& slot);

// For the main thread at its end: prints the line unless another thread did,
// waits for a print under way elsewhere (returning from main ends the process
// and would cut that write off, losing the line), and gives the exit code
// that belongs with the line.
int PrintResultForExit(ResultSlot& slot, HANDLE output);

// For the watchdog and the crash handler: prints to standard output (unless
// printed already; a print under way elsewhere gets kPrintGraceMs to finish)
// and ends the process with the code that belongs with the line.
[[noreturn]] void PrintResultAndEndProcess(ResultSlot& slot);

// The slot of this process, shared by the main thread, the watchdog and the crash handler.
ResultSlot& ProcessResultSlot();
