// The progress file of a test program (progress_mark.h). Its first line is
// written by the earliest static constructor of the program, so that a death
// in any other static initializer is told from a process Wine failed to start.
#include "tests/support/progress_mark.h"

#include <windows.h>

#include <cstring>

#if defined(_MSC_VER)
// The library segment runs before every user constructor of the program.
#pragma init_seg(lib)
#define VANTOREL_EARLIEST
#else
#define VANTOREL_EARLIEST __attribute__((init_priority(101)))
#endif

namespace {

// Win32 only: this runs before the static objects of every other file, the
// C++ library's own included, are set up.
class ProgressFile {
 public:
  ProgressFile() {
    // Narrow on purpose: tools/wine-run tells a test program by this name in
    // its bytes. The path is plain ASCII (a file in /tmp).
    static constexpr char kVariable[] = "VANTOREL_PROGRESS_MARK";
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(kVariable, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return;
    // Not for the programs this one starts: their progress is not ours.
    SetEnvironmentVariableA(kVariable, nullptr);
    // Appending only: wine-run may read it while we run, and a line once
    // written never changes.
    file_ = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    // Only when wine-run filters our standard error (never on a terminal).
    static constexpr char kOnErrorsVariable[] = "VANTOREL_PROGRESS_ON_ERRORS";
    char onErrors[8] = {};
    if (GetEnvironmentVariableA(kOnErrorsVariable, onErrors, sizeof(onErrors)) != 0) {
      SetEnvironmentVariableA(kOnErrorsVariable, nullptr);
      // Kept from the start, as tests may point standard error elsewhere.
      DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &errors_, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    }
    Write("initializers", nullptr);
  }

  void Write(const char* step, const char* name) {
    if (file_ == INVALID_HANDLE_VALUE) return;
    // The same line goes to standard error, behind a byte no text holds:
    // wine-run filters it out there, where it stands in order with Wine's own
    // lines, and so learns in which test Wine swallowed an exception.
    char line[600];
    size_t used = 0;
    const auto append = [&](const char* text) {
      for (size_t i = 0; text[i] != '\0' && used + 2 < sizeof(line); ++i) line[used++] = text[i];
    };
    append(kErrorStreamMark);
    const size_t lineStart = used;
    append(step);
    if (name != nullptr) {
      append(" ");
      append(name);
    }
    line[used++] = '\n';
    DWORD written = 0;
    WriteFile(file_, line + lineStart, static_cast<DWORD>(used - lineStart), &written, nullptr);
    if (errors_ != nullptr) WriteFile(errors_, line, static_cast<DWORD>(used), &written, nullptr);
  }

 private:
  static constexpr char kErrorStreamMark[] = "\x01vantorel-progress ";
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE errors_ = nullptr;
};

VANTOREL_EARLIEST ProgressFile progressFile;

}  // namespace

void MarkProgress(const char* step, const char* name) { progressFile.Write(step, name); }
