// What every mode of the worker writes, as the host reads it: each kind of
// line has exactly the text shape of its format (key order, decimals,
// booleans), and a run whose reader went away still reaches its own end.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "probe/stress/benchmark.h"
#include "probe/stress/memory_test.h"
#include "probe/stress/memory_test_unit.h"
#include "tests/support/captured_output.h"
#include "tests/support/probe_process.h"

namespace {

constexpr DWORD kRunTimeout = 120000;

// The regular expression of the text a printf format produces: %s between
// quotes is a JSON string's content, %s outside them a boolean, %.Nf a number
// with exactly N decimals, the integer conversions plain digits.
std::string ShapeOf(const std::string& format) {
  std::string shape = "^";
  for (size_t i = 0; i < format.size(); ++i) {
    const char ch = format[i];
    if (ch != '%') {
      if (std::string("\\^$.|?*+()[]{}").find(ch) != std::string::npos) shape += '\\';
      shape += ch;
      continue;
    }
    const size_t end = format.find_first_of("sdfu", i);
    const std::string modifiers = format.substr(i + 1, end - i - 1);
    const char conversion = format[end];
    if (conversion == 's') {
      const bool quoted = i > 0 && format[i - 1] == '"';
      shape += quoted ? R"(([^"\\]|\\.)*)" : "(true|false)";
    } else if (conversion == 'f') {
      const int decimals = modifiers.size() == 2 && modifiers[0] == '.' ? modifiers[1] - '0' : 6;
      shape += decimals == 0 ? "-?[0-9]+" : "-?[0-9]+\\.[0-9]{" + std::to_string(decimals) + "}";
    } else if (conversion == 'u' || modifiers.find('u') != std::string::npos) {
      shape += "[0-9]+";
    } else {
      shape += "-?[0-9]+";
    }
    i = end;
  }
  return shape + "$";
}

TEST(LineShape, FormatsBecomeExactPatterns) {
  struct Case {
    const char* format;
    const char* text;
    bool matches;
  } const cases[] = {
      {"{\"t\":%.2f,\"n\":%llu}", "{\"t\":1.25,\"n\":7}", true},
      {"{\"t\":%.2f,\"n\":%llu}", "{\"t\":1.250,\"n\":7}", false},
      {"{\"t\":%.2f,\"n\":%llu}", "{\"n\":7,\"t\":1.25}", false},
      {"{\"t\":%.2f,\"n\":%llu}", "{\"t\":1.25,\"n\":-7}", false},
      {"{\"x\":%.0f,\"b\":%s}", "{\"x\":-1,\"b\":true}", true},
      {"{\"x\":%.0f,\"b\":%s}", "{\"x\":-1.0,\"b\":true}", false},
      {"{\"x\":%.0f,\"b\":%s}", "{\"x\":-1,\"b\":\"true\"}", false},
      {"{\"s\":\"%s\",\"d\":%d}", "{\"s\":\"a \\\"b\\\"\",\"d\":-3}", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(std::regex_match(c.text, std::regex(ShapeOf(c.format))), c.matches) << ShapeOf(c.format);
  }
}

// Lines of one source, named by where they came from.
using LinesBySource = std::map<std::string, std::vector<std::string>>;

std::vector<std::string> TextsOf(const std::vector<EventLine>& lines) {
  std::vector<std::string> texts;
  for (const EventLine& line : lines) texts.push_back(line.text);
  return texts;
}

std::vector<std::string> RunWorker(const std::wstring& arguments, bool stopAfterTwoLines = false,
                                   const std::wstring& compilerDirective = L"") {
  ProbeProcess probe;
  if (!compilerDirective.empty()) probe.SetEnvironment(L"VANTOREL_STANDIN_COMPILER", compilerDirective);
  EXPECT_TRUE(probe.Start(arguments));
  if (stopAfterTwoLines) {
    probe.WaitForLines(2, 30000);
    probe.WriteStdin("q");
  }
  EXPECT_NE(probe.WaitForExit(kRunTimeout), static_cast<DWORD>(STILL_ACTIVE));
  return TextsOf(probe.Lines());
}

// The memory test on a small block in this process: start, samples, end.
std::vector<std::string> MemoryTestLines(bool withBlock) {
  static uint64_t block[4 * 1024];
  MemoryTestEnvironment env;
  env.memoryStatus = [] {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    status.ullTotalPhys = 8 * kGiB;
    status.ullAvailPhys = 6 * kGiB;
    return status;
  };
  if (withBlock) {
    env.obtainBlock = [](uint64_t, uint64_t* bytes) {
      *bytes = sizeof(block);
      return static_cast<void*>(block);
    };
  } else {
    env.obtainBlock = [](uint64_t, uint64_t* bytes) -> void* {
      *bytes = 0;
      return nullptr;
    };
  }
  env.releaseBlock = [](void*) {};
  env.startStdinWatcher = [] {};
  int readings = 0;
  env.secondsSince = [&readings](const RunClock&) { return ++readings < 3 ? 0.5 * readings : 3.5; };
  Options options;
  options.minutes = 0.05;
  stopFlag.store(kRunning);
  CapturedOutput captured;
  RunMemoryTest(options, env);
  stopFlag.store(kRunning);
  return TextsOf(captured.Lines());
}

// The benchmark in this process with instant processor runs: every step line
// and result, and either the drive note or the stopped end.
std::vector<std::string> BenchmarkLines(bool stopInDrive) {
  BenchmarkEnvironment env;
  env.processorRun = [](uint32_t threads) { return 1234.5678 * threads; };
  env.memoryStep = [] {};
  env.startStdinWatcher = [] {};
  env.drive.create = [stopInDrive](HANDLE, const wchar_t*) {
    if (stopInDrive) RaiseStop(kStopRequested);
    return INVALID_HANDLE_VALUE;
  };
  Options options;
  wcscpy(options.dir, L"C:\\");
  stopFlag.store(kRunning);
  CapturedOutput captured;
  RunBenchmark(options, env);
  stopFlag.store(kRunning);
  return TextsOf(captured.Lines());
}

// Every kind of line each mode writes, with the format it must have exactly.
// A line of a source that fits none of its formats fails too.
TEST(WorkerLines, EveryLineKindHasTheShapeOfItsFormat) {
  LinesBySource lines;
  lines["gpu"] = RunWorker(L"--load gentle --minutes 0.01", false, L"warn:DrawPS:vantorel(1,1): warning X3206: cut");
  lines["gpu error"] = RunWorker(L"--load gentle --adapter 99");
  lines["sensors"] = RunWorker(L"--load sensors", true);
  lines["cpu"] = RunWorker(L"--load cpu --minutes 0.01");
  lines["ram"] = MemoryTestLines(true);
  lines["ram error"] = MemoryTestLines(false);
  lines["bench"] = BenchmarkLines(false);
  lines["bench stopped"] = BenchmarkLines(true);

  struct Kind {
    const char* source;
    const char* format;
  } const kinds[] = {
      {"gpu", "{\"event\":\"shader\",\"entry\":\"%s\",\"message\":\"%s\"}"},
      {"gpu",
       "{\"event\":\"start\",\"gpu\":\"%s\",\"vram\":%llu,\"particles\":%u,\"blocks\":%u,\"load\":%d,"
       "\"minutes\":%.2f,\"limit\":%.1f,\"sensors\":%s,\"temp_max\":%.1f,\"temp_warn\":%.1f}"},
      {"gpu",
       "{\"t\":%.2f,\"frames\":%llu,\"checks\":%llu,\"errors\":%llu,\"temp\":%.1f,\"fan\":%.0f,\"power\":%.1f,"
       "\"watts\":%.0f,\"clock\":%.0f,\"clock_max\":%.0f,\"mem_clock\":%.0f,\"work\":%.0f,\"busy\":%.0f}"},
      {"gpu", "{\"event\":\"end\",\"reason\":\"%s\",\"frames\":%llu,\"checks\":%llu,\"errors\":%llu,\"temp_peak\":%.1f}"},
      {"gpu error", "{\"event\":\"error\",\"what\":\"%s\"}"},
      {"sensors", "{\"event\":\"start\",\"sensors\":%s,\"gpu\":\"%s\",\"watts\":%s,\"temp_max\":%.1f,\"temp_warn\":%.1f}"},
      {"sensors", "{\"t\":%.2f,\"temp\":%.1f,\"fan\":%.0f,\"power\":%.1f,\"watts\":%.1f,\"clock\":%.0f,\"clock_max\":%.0f}"},
      {"sensors", "{\"event\":\"end\",\"reason\":\"stopped\"}"},
      {"cpu", "{\"event\":\"start\",\"cpu\":true,\"threads\":%lu,\"minutes\":%.2f}"},
      {"cpu", "{\"t\":%.2f,\"work\":%lld}"},
      {"cpu", "{\"event\":\"end\",\"reason\":\"%s\",\"work\":%lld}"},
      {"ram", "{\"event\":\"start\",\"ram\":true,\"bytes\":%llu,\"total\":%llu,\"avail\":%llu,\"threads\":%lu,\"minutes\":%.2f}"},
      {"ram", "{\"t\":%.2f,\"pass\":%d,\"phase\":\"%s\",\"done\":%.4f,\"errors\":%lld,\"passes\":%d}"},
      {"ram", "{\"event\":\"end\",\"reason\":\"%s\",\"errors\":%lld,\"passes\":%d,\"bytes\":%llu,\"t\":%.2f}"},
      {"ram error", "{\"event\":\"error\",\"what\":\"memory\"}"},
      {"bench", "{\"event\":\"start\",\"bench\":true}"},
      {"bench", "{\"step\":\"%s\"}"},
      {"bench", "{\"result\":\"%s\",\"values\":[%.3f,%.3f,%.3f],\"step\":\"%s\"}"},
      {"bench", "{\"event\":\"note\",\"what\":\"drive\"}"},
      {"bench", "{\"event\":\"end\",\"reason\":\"done\"}"},
      {"bench stopped", "{\"event\":\"start\",\"bench\":true}"},
      {"bench stopped", "{\"step\":\"%s\"}"},
      {"bench stopped", "{\"result\":\"%s\",\"values\":[%.3f,%.3f,%.3f],\"step\":\"%s\"}"},
      {"bench stopped", "{\"event\":\"end\",\"reason\":\"stopped\"}"},
  };

  std::map<std::string, int> matchedPerKind;
  for (const auto& [source, texts] : lines) {
    SCOPED_TRACE(source);
    EXPECT_FALSE(texts.empty());
    for (const std::string& text : texts) {
      bool known = false;
      for (const Kind& kind : kinds) {
        if (kind.source != source || !std::regex_match(text, std::regex(ShapeOf(kind.format)))) continue;
        known = true;
        ++matchedPerKind[std::string(kind.source) + " " + kind.format];
      }
      EXPECT_TRUE(known) << "a line of no known shape: " << text;
    }
  }
  for (const Kind& kind : kinds) {
    EXPECT_GE(matchedPerKind[std::string(kind.source) + " " + kind.format], 1)
        << "no " << kind.source << " line of the shape " << kind.format;
  }
}

// Starts the worker with its standard output on a pipe whose reading end is
// closed before the first line, as when the host stops reading; returns the
// exit code. "q" is written after stopAfterMs when that is not 0.
DWORD RunWithoutReader(const std::wstring& arguments, DWORD stopAfterMs) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&inRead, &inWrite, &inherit, 0)) return 255;
  UniqueHandle ownOutRead(outRead), childOut(outWrite), childIn(inRead), ownIn(inWrite);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  ownOutRead.Reset();

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = outWrite;
  std::wstring command = L"\"" + BesideThisProgram(L"vantorelprobe.exe") + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    return 255;
  }
  UniqueHandle processHandle(process.hProcess), thread(process.hThread);
  childOut.Reset();
  childIn.Reset();
  if (stopAfterMs != 0 && WaitForSingleObject(process.hProcess, stopAfterMs) == WAIT_TIMEOUT) {
    DWORD written = 0;
    WriteFile(inWrite, "q", 1, &written, nullptr);
  }
  if (WaitForSingleObject(process.hProcess, kRunTimeout) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 255);
    return STILL_ACTIVE;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

// Failing writes never end a run: each mode goes on to its own end and exit
// code with nobody reading its lines. (The memory test, which would commit
// most of the machine's memory as its own process, runs in this process on a
// small block.)
TEST(WorkerLines, EveryModeRunsToItsEndWithoutAReader) {
  struct Case {
    const char* name;
    const wchar_t* arguments;
    DWORD stopAfterMs;
    DWORD code;
  } const cases[] = {
      {"gentle GPU stress", L"--load gentle --minutes 0.01", 0, 0},
      {"GPU stress that cannot start", L"--load gentle --adapter 99", 0, 4},
      {"sensors, stopped by the host", L"--load sensors", 2500, 1},
      {"processor stress", L"--load cpu --minutes 0.01", 0, 0},
      {"benchmark", L"--load bench", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunWithoutReader(c.arguments, c.stopAfterMs), c.code);
  }

  SCOPED_TRACE("memory test");
  static uint64_t block[4 * 1024];
  MemoryTestEnvironment env;
  env.obtainBlock = [](uint64_t, uint64_t* bytes) {
    *bytes = sizeof(block);
    return static_cast<void*>(block);
  };
  env.releaseBlock = [](void*) {};
  env.startStdinWatcher = [] {};
  int readings = 0;
  env.secondsSince = [&readings](const RunClock&) { return ++readings < 3 ? 0.5 : 3.5; };
  Options options;
  options.minutes = 0.05;
  stopFlag.store(kRunning);
  CapturedOutput closed(CapturedOutput::Kind::ClosedPipe);
  EXPECT_EQ(RunMemoryTest(options, env), 0);
  stopFlag.store(kRunning);
}

}  // namespace
