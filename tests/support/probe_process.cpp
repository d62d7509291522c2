#include "tests/support/probe_process.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/test_guard.h"

std::wstring BesideThisProgram(const wchar_t* fileName) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + fileName;
}

std::string EventOf(const EventLine& line) {
  if (!line.json.is_object() || !line.json.contains("event")) return "";
  return line.json["event"].get<std::string>();
}

void ProbeProcess::SetEnvironment(const std::wstring& name, const std::wstring& value) {
  environment_.emplace_back(name, value);
}

namespace {

bool SameName(const std::wstring& entry, const std::wstring& name) {
  return entry.size() > name.size() && entry[name.size()] == L'=' &&
         CompareStringOrdinal(entry.c_str(), static_cast<int>(name.size()), name.c_str(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// Our environment block with the overrides applied, for CreateProcessW.
std::wstring BuildEnvironment(const std::vector<std::pair<std::wstring, std::wstring>>& overrides) {
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; entry && *entry; entry += wcslen(entry) + 1) {
    const std::wstring text = entry;
    bool replaced = false;
    for (const auto& [name, value] : overrides) replaced = replaced || SameName(text, name);
    if (!replaced) block += text + L'\0';
  }
  if (strings) FreeEnvironmentStringsW(strings);
  for (const auto& [name, value] : overrides) {
    if (!value.empty()) block += name + L'=' + value + L'\0';
  }
  block += L'\0';
  return block;
}

}  // namespace

namespace {

// How long the output may stay open after the process ended. Under Wine a
// process the child started (the desktop, say) can inherit the pipe's write
// end and hold it long after the child is gone.
constexpr DWORD kOutputEndMs = 10000;

}  // namespace

ProbeProcess::~ProbeProcess() {
  if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.Get(), 255);
  }
  stdinWrite_.Reset();
  EndReader(kOutputEndMs);
}

DWORD WINAPI ProbeProcess::ReaderThread(void* self) {
  static_cast<ProbeProcess*>(self)->ReadOutput();
  return 0;
}

bool ProbeProcess::EndReader(DWORD timeoutMs) {
  if (!reader_) return true;
  bool ended = false;
  {
    WaitingFor waiting("the end of the child's output");
    ended = WaitForSingleObject(reader_.Get(), timeoutMs) == WAIT_OBJECT_0;
  }
  if (!ended) {
    CancelSynchronousIo(reader_.Get());
    WaitingFor waiting("the cancelled read of the child's output");
    WaitForSingleObject(reader_.Get(), INFINITE);
  }
  reader_.Reset();
  return ended;
}

bool ProbeProcess::Start(const std::wstring& arguments, StdinKind stdinKind, const std::wstring& stdinFile,
                         const std::wstring& program) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inheritable, 0)) return false;
  stdoutRead_.Reset(outRead);
  UniqueHandle childOut(outWrite);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);

  UniqueHandle childIn;
  if (stdinKind == StdinKind::Pipe) {
    HANDLE inRead = nullptr, inWrite = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &inheritable, 0)) return false;
    childIn.Reset(inRead);
    stdinWrite_.Reset(inWrite);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  } else {
    const wchar_t* name = stdinKind == StdinKind::Nul ? L"NUL" : stdinFile.c_str();
    childIn.Reset(CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!childIn) return false;
  }

  const std::wstring path = BesideThisProgram(program.c_str());
  std::wstring commandLine = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn.Get();
  startup.hStdOutput = childOut.Get();
  startup.hStdError = childOut.Get();
  if (withoutStdout_) startup.hStdOutput = startup.hStdError = nullptr;
  UniqueHandle nulError;
  if (stderrToNul_) {
    nulError.Reset(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    startup.hStdError = nulError.Get();
  }
  PROCESS_INFORMATION info{};
  QueryPerformanceFrequency(&frequency_);
  QueryPerformanceCounter(&started_);
  std::wstring environment;
  if (!environment_.empty()) environment = BuildEnvironment(environment_);
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      environment_.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                      environment_.empty() ? nullptr : environment.data(), nullptr, &startup, &info)) {
    return false;
  }
  process_.Reset(info.hProcess);
  CloseHandle(info.hThread);
  program_ = program;
  collection_ = OpenEventLineCollection(program);
  // Only the child may hold the write end, so its exit ends our reads.
  childOut.Reset();
  reader_.Reset(CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr));
  return static_cast<bool>(reader_);
}

double ProbeProcess::Elapsed() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - started_.QuadPart) / static_cast<double>(frequency_.QuadPart);
}

void ProbeProcess::ReadOutput() {
  std::string pending;
  for (;;) {
    char chunk[4096];
    DWORD read = 0;
    if (!ReadFile(stdoutRead_.Get(), chunk, sizeof(chunk), &read, nullptr) || read == 0) break;
    const double arrival = Elapsed();
    pending.append(chunk, read);
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      EventLine line;
      line.text = pending.substr(0, end);
      line.json = nlohmann::json::parse(line.text, nullptr, false);
      line.arrival = arrival;
      pending.erase(0, end + 1);
      CollectEventLine(collection_, line.text);
      std::lock_guard lock(mutex_);
      lines_.push_back(std::move(line));
      changed_.notify_all();
    }
  }
  std::lock_guard lock(mutex_);
  if (!pending.empty()) {
    // A last line without its "\n" is kept so the test sees it and fails.
    lines_.push_back({pending, nlohmann::json::parse(pending, nullptr, false), Elapsed()});
  }
  outputEnded_ = true;
  changed_.notify_all();
}

bool ProbeProcess::WriteStdin(const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(stdinWrite_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

void ProbeProcess::CloseStdin() { stdinWrite_.Reset(); }

bool ProbeProcess::WaitForLines(size_t count, DWORD timeoutMs) {
  WaitingFor waiting("event lines of the child");
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [&] { return lines_.size() >= count || outputEnded_; });
  return lines_.size() >= count;
}

DWORD ProbeProcess::WaitForExit(DWORD timeoutMs) {
  DWORD waited = 0;
  {
    WaitingFor waiting("the child's exit");
    waited = WaitForSingleObject(process_.Get(), timeoutMs);
  }
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(process_.Get(), 255);
    WaitingFor waiting("the end of a child that was terminated");
    WaitForSingleObject(process_.Get(), INFINITE);
    EndReader(kOutputEndMs);
    return STILL_ACTIVE;
  }
  if (!EndReader(kOutputEndMs)) {
    ADD_FAILURE() << "the output of " << std::string(program_.begin(), program_.end()) << " stayed open "
                  << kOutputEndMs / 1000 << " s after it ended: another process holds the pipe's write end";
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.Get(), &code);
  CollectExitCode(collection_, code);
  return code;
}

std::vector<EventLine> ProbeProcess::Lines() {
  std::lock_guard lock(mutex_);
  return lines_;
}
