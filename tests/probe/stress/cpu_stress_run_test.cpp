// The processor stress run end to end, started the way the host starts it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/probe_process.h"
#include "tests/support/whole_file.h"

namespace {

constexpr DWORD kRunTimeout = 30000;

uint32_t LogicalProcessors() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

void ExpectAllLinesAreJson(const std::vector<EventLine>& lines) {
  for (const EventLine& line : lines) EXPECT_TRUE(line.json.is_object()) << "not a JSON object: " << line.text;
}

// A run of 0.05 minutes: start line, samples twice a second with growing
// work, the first sample at or past 3 s ends it with "time" and exit 0.
TEST(CpuStressRun, RunsForItsTimeAndReports) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load cpu --minutes 0.05"));
  const DWORD code = probe.WaitForExit(kRunTimeout);
  const std::vector<EventLine> lines = probe.Lines();
  ExpectAllLinesAreJson(lines);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(code, 0u);

  const nlohmann::json& start = lines.front().json;
  EXPECT_EQ(lines.front().text.rfind("{\"event\":\"start\"", 0), 0u);
  EXPECT_EQ(start["cpu"], true);
  EXPECT_EQ(start["threads"], LogicalProcessors());
  EXPECT_DOUBLE_EQ(start["minutes"].get<double>(), 0.05);

  const nlohmann::json& end = lines.back().json;
  EXPECT_EQ(end["event"], "end");
  EXPECT_EQ(end["reason"], "time");

  double previousT = 0;
  int64_t previousWork = 0;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(lines[i].text);
    const nlohmann::json& sample = lines[i].json;
    ASSERT_EQ(lines[i].text.rfind("{\"t\":", 0), 0u);
    const double t = sample["t"].get<double>();
    const int64_t work = sample["work"].get<int64_t>();
    EXPECT_GE(t - previousT, 0.45);
    EXPECT_LE(t - previousT, 1.2);
    EXPECT_GE(work, previousWork);
    if (i + 2 < lines.size()) {
      EXPECT_LT(t, 3.0) << "the run went on past its time";
    }
    previousT = t;
    previousWork = work;
  }
  EXPECT_GE(previousT, 3.0);
  EXPECT_GT(previousWork, 0) << "no work unit finished in 3 s";
  EXPECT_GE(end["work"].get<int64_t>(), previousWork);
}

// "q" before the first sample: no sample, "stopped", exit 1.
TEST(CpuStressRun, QuitBeforeFirstSample) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load cpu --minutes 1"));
  ASSERT_TRUE(probe.WaitForLines(1, 5000));
  ASSERT_TRUE(probe.WriteStdin("q"));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 1u);
  const std::vector<EventLine> lines = probe.Lines();
  ExpectAllLinesAreJson(lines);
  ASSERT_EQ(lines.size(), 2u) << lines.back().text;
  EXPECT_EQ(lines[1].json["event"], "end");
  EXPECT_EQ(lines[1].json["reason"], "stopped");
  EXPECT_LT(lines[1].arrival - lines[0].arrival, 1.5);
}

// What stops a run through standard input and what does not.
TEST(CpuStressRun, StandardInputStopsOnlyThroughAPipe) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring qFile = std::wstring(folder) + L"vantorel-stdin-q.txt";
  ASSERT_TRUE(WriteWholeFile(qFile, "q\n"));

  enum Action { WriteBytes, Close, Nothing };
  const struct Case {
    const char* name;
    StdinKind kind;
    Action action;
    const char* bytes;
    const char* reason;
    DWORD code;
  } cases[] = {
      {"q inside a chunk", StdinKind::Pipe, WriteBytes, "xxqxx", "stopped", 1},
      {"closing the pipe", StdinKind::Pipe, Close, "", "stopped", 1},
      {"a chunk without q", StdinKind::Pipe, WriteBytes, "stop\n", "time", 0},
      {"NUL as input", StdinKind::Nul, Nothing, "", "time", 0},
      {"a file holding q", StdinKind::File, Nothing, "", "time", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(L"--load cpu --minutes 0.05", c.kind, qFile));
    ASSERT_TRUE(probe.WaitForLines(2, 5000));  // the start line and one sample
    if (c.action == WriteBytes) {
      ASSERT_TRUE(probe.WriteStdin(c.bytes));
    } else if (c.action == Close) {
      probe.CloseStdin();
    }
    EXPECT_EQ(probe.WaitForExit(kRunTimeout), c.code);
    const std::vector<EventLine> lines = probe.Lines();
    ExpectAllLinesAreJson(lines);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().json["reason"], c.reason);
  }
  DeleteFileW(qFile.c_str());
}

}  // namespace
