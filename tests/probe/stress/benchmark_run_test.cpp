// The benchmark run end to end, started the way the host starts it, and the
// join of its processor workers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe/stress/benchmark.h"
#include "tests/support/folder_names.h"
#include "tests/support/probe_process.h"

namespace {

constexpr DWORD kRunTimeout = 120000;

DWORD WINAPI WaitOnEvent(void* event) {
  WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
  return 0;
}

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// More than 64 workers: every one is waited for, and a worker that never
// returns costs the whole timeout once, not once per group of 64.
TEST(BenchJoin, WaitsForEveryWorkerWithinOneTimeout) {
  const DWORD count = 200;
  UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::vector<UniqueHandle> owned;
  std::vector<HANDLE> handles;
  for (DWORD i = 0; i < count; ++i) {
    // The last one sits in the fourth group and never returns in time.
    HANDLE event = i == count - 1 ? never.Get() : release.Get();
    owned.emplace_back(CreateThread(nullptr, 0, WaitOnEvent, event, 0, nullptr));
    ASSERT_TRUE(owned.back());
    handles.push_back(owned.back().Get());
  }
  SetEvent(release.Get());
  double t0 = Seconds();
  EXPECT_FALSE(WaitForAllThreads(handles.data(), count, 1000));
  const double elapsed = Seconds() - t0;
  EXPECT_GE(elapsed, 0.9);
  EXPECT_LT(elapsed, 1.8);
  for (DWORD i = 0; i + 1 < count; ++i) ASSERT_EQ(WaitForSingleObject(handles[i], 0), WAIT_OBJECT_0) << i;

  SetEvent(never.Get());
  t0 = Seconds();
  EXPECT_TRUE(WaitForAllThreads(handles.data(), count, 5000));
  EXPECT_LT(Seconds() - t0, 2.0);
  EXPECT_EQ(WaitForSingleObject(handles[count - 1], 0), WAIT_OBJECT_0);
}

std::wstring NewTempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void ExpectStep(const EventLine& line, const char* step) {
  SCOPED_TRACE(line.text);
  EXPECT_EQ(line.json.value("step", ""), step);
  EXPECT_FALSE(line.json.contains("result"));
}

void ExpectResult(const EventLine& line, const char* result, const char* step) {
  SCOPED_TRACE(line.text);
  ASSERT_TRUE(line.json.is_object());
  EXPECT_EQ(line.json.value("result", ""), result);
  EXPECT_EQ(line.json.value("step", ""), step);
  ASSERT_TRUE(line.json["values"].is_array());
  ASSERT_EQ(line.json["values"].size(), 3u);
  for (const nlohmann::json& value : line.json["values"]) EXPECT_GT(value.get<double>(), 0.0);
}

// All four steps in a temporary folder: every line in order, three positive
// values per result, "done", exit 0; the drive test's file exists while it
// runs, carries our process id, and is gone afterwards.
// The start line and the processor and memory steps every run begins with.
void ExpectStartProcessorAndMemorySteps(const std::vector<EventLine>& lines) {
  EXPECT_EQ(lines[0].text, "{\"event\":\"start\",\"bench\":true}");
  ExpectStep(lines[1], "cpu1");
  ExpectResult(lines[2], "cpu1", "cpu1");
  ExpectStep(lines[3], "cpuN");
  ExpectResult(lines[4], "cpuN", "cpuN");
  ExpectStep(lines[5], "mem");
  ExpectResult(lines[6], "mem", "mem");
}

TEST(BenchRun, AllStepsWithADriveFolder) {
  const std::wstring folder = NewTempFolder(L"vantorel-bench-test-");
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load bench --dir \"" + folder + L"\""));
  const std::wstring expectedFile = L"vantorel-bench-" + std::to_wstring(probe.ProcessId()) + L".tmp";

  // The drive step line is the eighth line; the file appears right after it.
  ASSERT_TRUE(probe.WaitForLines(8, 60000));
  bool seen = false;
  for (int i = 0; i < 200 && !seen; ++i) {
    for (const std::wstring& name : NamesInFolder(folder)) seen = seen || name == expectedFile;
    if (!seen) Sleep(20);
  }
  EXPECT_TRUE(seen) << "no drive test file with our process id in the folder";

  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 0u);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_EQ(lines.size(), 12u);
  ExpectStartProcessorAndMemorySteps(lines);
  ExpectStep(lines[7], "drive");
  ExpectResult(lines[8], "read", "drive");
  ExpectResult(lines[9], "write", "drive");
  ExpectResult(lines[10], "iops", "drive");
  EXPECT_EQ(lines[11].text, "{\"event\":\"end\",\"reason\":\"done\"}");

  EXPECT_TRUE(NamesInFolder(folder).empty()) << "the drive test left its file behind";
  RemoveDirectoryW(folder.c_str());
}

// A folder that does not exist: the note instead of drive results, still "done".
TEST(BenchRun, MissingDriveFolderGivesTheNote) {
  const std::wstring folder = NewTempFolder(L"vantorel-bench-missing-") + L"\\not-there";
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load bench --dir \"" + folder + L"\""));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 0u);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_EQ(lines.size(), 10u);
  ExpectResult(lines[6], "mem", "mem");
  ExpectStep(lines[7], "drive");
  EXPECT_EQ(lines[8].text, "{\"event\":\"note\",\"what\":\"drive\"}");
  EXPECT_EQ(lines[9].text, "{\"event\":\"end\",\"reason\":\"done\"}");
  RemoveDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str());
}

// No folder: the three steps in order and "done", exit 0; no drive step, no note.
TEST(BenchRun, WithoutAFolderNoDriveStep) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load bench"));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 0u);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_EQ(lines.size(), 8u);
  ExpectStartProcessorAndMemorySteps(lines);
  EXPECT_EQ(lines[7].text, "{\"event\":\"end\",\"reason\":\"done\"}");
}

// "q" from the host during the copy or the drive test: the interrupted step
// gets no result (and no note), "stopped", exit 1, no file left behind.
TEST(BenchRun, QuitDuringMemoryAndDriveSteps) {
  struct Case {
    const char* name;
    size_t stepLine;  // index of the step line after which the host writes q
    const char* step;
  } const cases[] = {{"during mem", 5, "mem"}, {"during drive", 7, "drive"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring folder = NewTempFolder(L"vantorel-bench-quit-");
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(L"--load bench --dir \"" + folder + L"\""));
    ASSERT_TRUE(probe.WaitForLines(c.stepLine + 1, 60000));
    ASSERT_TRUE(probe.WriteStdin("q"));
    EXPECT_EQ(probe.WaitForExit(kRunTimeout), 1u);
    const std::vector<EventLine> lines = probe.Lines();
    ASSERT_EQ(lines.size(), c.stepLine + 2);
    ExpectStep(lines[c.stepLine], c.step);
    EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"stopped\"}");
    EXPECT_TRUE(NamesInFolder(folder).empty()) << "the drive test left its file behind";
    RemoveDirectoryW(folder.c_str());
  }
}

// "q" while all threads run: no "cpuN" result, "stopped", exit 1.
TEST(BenchRun, QuitDuringAllThreadStep) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load bench"));
  ASSERT_TRUE(probe.WaitForLines(4, 30000));
  ExpectStep(probe.Lines()[3], "cpuN");
  ASSERT_TRUE(probe.WriteStdin("q"));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 1u);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_EQ(lines.size(), 5u);
  ExpectResult(lines[2], "cpu1", "cpu1");
  ExpectStep(lines[3], "cpuN");
  EXPECT_EQ(lines[4].text, "{\"event\":\"end\",\"reason\":\"stopped\"}");
  // The run in progress ends with its 2 s of load; the rest is skipped.
  EXPECT_LT(lines[4].arrival - lines[3].arrival, 4.5);
}

}  // namespace
