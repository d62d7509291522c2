#include "tests/support/event_line_collection.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kCollectionVariable[] = L"VANTOREL_EVENT_LINES";
constexpr wchar_t kWorkerFileName[] = L"vantorelprobe.exe";

bool IsWorker(const std::wstring& program) {
  const size_t slash = program.find_last_of(L"\\/");
  const std::wstring name = slash == std::wstring::npos ? program : program.substr(slash + 1);
  return CompareStringOrdinal(name.c_str(), -1, kWorkerFileName, -1, TRUE) == CSTR_EQUAL;
}

// The file name says which test started the run, so a line that fails the check
// leads back to it.
std::wstring RunLabel() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::wstring label = L"worker";
  if (test != nullptr) {
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    label.assign(name.begin(), name.end());  // test names are plain ASCII
    for (wchar_t& c : label) {
      if (c == L'/' || c == L'\\') c = L'_';  // parameterised names carry a slash
    }
  }
  return label + L"-" + std::to_wstring(GetCurrentProcessId());
}

}  // namespace

EventLineCollection OpenEventLineCollection(const std::wstring& program) {
  if (!IsWorker(program)) return {};
  wchar_t folder[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(kCollectionVariable, folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  CreateDirectoryW(folder, nullptr);  // the first run after the set-up emptied it
  // Tests of several programs run at once: each run gets a file of its own.
  const std::wstring stem = std::wstring(folder, length) + L"\\" + RunLabel();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::wstring run = stem + L"-" + std::to_wstring(attempt);
    HANDLE file = CreateFileW((run + L".jsonl").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return {UniqueHandle(file), run};
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return {};
}

void CollectEventLine(const EventLineCollection& collection, const std::string& text) {
  if (!collection.lines) return;
  const std::string line = text + "\n";
  DWORD written = 0;
  WriteFile(collection.lines.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void CollectExitCode(const EventLineCollection& collection, DWORD code) {
  if (!collection.lines) return;
  UniqueHandle file(CreateFileW((collection.stem + L".exit").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string text = std::to_string(code) + "\n";
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
