// The input check end to end under Wine and Xvfb: started the way the host
// starts it, with a visible window of ours over the screen so Wine hands raw
// input to the worker's hidden sink, and xdotool injecting pointer and key
// events into our own display.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/probe_process.h"
#include "tests/support/unix_program.h"
#include "tests/support/utf8.h"
#include "tests/support/whole_file.h"
#include "tools/hid_standin/hid_standin_names.h"

namespace {

constexpr DWORD kRunTimeout = 60000;

void ExpectAllLinesAreJson(const std::vector<EventLine>& lines) {
  for (const EventLine& line : lines) EXPECT_TRUE(line.json.is_object()) << "not a JSON object: " << line.text;
}

std::vector<nlohmann::json> Samples(const std::vector<EventLine>& lines) {
  std::vector<nlohmann::json> samples;
  for (const EventLine& line : lines) {
    if (line.json.is_object() && line.json.contains("t")) samples.push_back(line.json);
  }
  return samples;
}

// Runs xdotool commands against the display this Wine session uses (the one
// tools/wine-run started for the prefix), never one of another user's.
class Injector {
 public:
  Injector() {
    wchar_t display[64] = {};
    GetEnvironmentVariableW(L"DISPLAY", display, 64);
    display_ = ToUtf8(display);
    folder_ = "/tmp/vantorel-input-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryW(WindowsPath("").c_str(), nullptr);
  }
  ~Injector() {
    for (const char* name : {"script.xdo", "run.sh", "status", "log"}) DeleteFileW(WindowsPath(name).c_str());
    RemoveDirectoryW(WindowsPath("").c_str());
  }

  const std::string& Display() const { return display_; }

  // Runs the script to its end; false when xdotool failed or took too long.
  bool Run(const std::string& script, DWORD timeoutMs) {
    DeleteFileW(WindowsPath("status").c_str());
    const std::string run = "DISPLAY='" + display_ + "' xdotool " + folder_ + "/script.xdo >" + folder_ +
                            "/log 2>&1\necho $? >" + folder_ + "/status.tmp\nmv " + folder_ + "/status.tmp " + folder_ +
                            "/status\n";
    if (display_.empty() || !WriteWholeFile(WindowsPath("script.xdo"), script) ||
        !WriteWholeFile(WindowsPath("run.sh"), run)) {
      return false;
    }
    // The script cannot be waited for: it reports its end through a file.
    if (!StartUnixProgram(L"Z:\\bin\\sh " + std::wstring(folder_.begin(), folder_.end()) + L"/run.sh")) return false;
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
      std::string status;
      if (ReadWholeFile(WindowsPath("status"), status)) return status.rfind("0", 0) == 0;
      Sleep(20);
    }
    return false;
  }

 private:
  std::wstring WindowsPath(const char* name) const {
    std::string path = "Z:" + folder_ + (*name ? "/" : "") + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::wstring(path.begin(), path.end());
  }

  std::string display_;
  std::string folder_;
};

// Xvfb has no window manager: focus follows the pointer, so the pointer goes
// over our covering window before anything is injected.
class InputCheckRun : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(injector.Display().empty()) << "tools/wine-run gives every prefix a display";
    ASSERT_TRUE(cover.Start(L"120", StdinKind::Pipe, L"", L"input_cover_window.exe"));
    ASSERT_TRUE(cover.WaitForLines(1, 30000)) << "the covering window did not come up";
    ASSERT_TRUE(injector.Run("mousemove 640 512\n", 30000));
    Sleep(300);
  }

  // Starts the worker and waits for its start line.
  void StartWorker(ProbeProcess& probe, const wchar_t* arguments, const wchar_t* program = L"vantorelprobe.exe") {
    ASSERT_TRUE(probe.Start(arguments, StdinKind::Pipe, L"", program));
    ASSERT_TRUE(probe.WaitForLines(1, 30000));
    ASSERT_EQ(probe.Lines().front().text, "{\"event\":\"start\",\"input\":true}");
  }

  // Lets the last period close with a sample, then stops the run.
  std::vector<EventLine> FinishRun(ProbeProcess& probe) {
    const size_t seen = probe.Lines().size();
    EXPECT_TRUE(probe.WaitForLines(seen + 2, 10000));
    EXPECT_TRUE(probe.WriteStdin("q"));
    EXPECT_EQ(probe.WaitForExit(kRunTimeout), 1u);
    const std::vector<EventLine> lines = probe.Lines();
    ExpectAllLinesAreJson(lines);
    if (!lines.empty()) {
      EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"stopped\"}");
    }
    return lines;
  }

  Injector injector;
  ProbeProcess cover;
};

// Without input every sample holds "t" alone, on the one-second grid, and the
// first sample at or past the run time ends it.
TEST_F(InputCheckRun, RunsForItsTimeWithoutInput) {
  ProbeProcess probe;
  StartWorker(probe, L"--load input --minutes 0.05");
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 0u);
  const std::vector<EventLine> lines = probe.Lines();
  ExpectAllLinesAreJson(lines);
  ASSERT_EQ(lines.size(), 5u) << lines.back().text;
  for (size_t i = 1; i <= 3; ++i) {
    SCOPED_TRACE(lines[i].text);
    ASSERT_EQ(lines[i].json.size(), 1u);
    const double t = lines[i].json["t"].get<double>();
    EXPECT_GE(t, static_cast<double>(i));
    EXPECT_LT(t, i + 0.9);
  }
  EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"time\"}");
}

// The loop reads the stop flag every 20 ms: "q" ends the run at once.
TEST_F(InputCheckRun, StopsWithinAFractionOfASecond) {
  ProbeProcess probe;
  StartWorker(probe, L"--load input --minutes 1");
  ASSERT_TRUE(probe.WaitForLines(2, 10000));
  const double stopAt = probe.Elapsed();
  ASSERT_TRUE(probe.WriteStdin("q"));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 1u);
  const std::vector<EventLine> lines = probe.Lines();
  ExpectAllLinesAreJson(lines);
  EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"stopped\"}");
  EXPECT_LT(lines.back().arrival - stopAt, 0.5);
}

// Injected motion arrives as raw input: n over the run matches the moves, and
// the device is named by the hid.dll of the system directory, never by the
// copy planted beside the worker. The stand-in's name is hostile to JSON.
TEST_F(InputCheckRun, PointerMotionIsTimed) {
  const struct Case {
    const char* name;
    const wchar_t* program;
  } cases[] = {
      {"the worker", L"vantorelprobe.exe"},
      {"a worker with hid.dll planted beside it", L"planted-hid\\vantorelprobe.exe"},
  };
  // Paced so that Wine, which merges motion that queues up into one report,
  // handles each move before the next even on a busy machine; sweeps of ten
  // moves each way keep the pointer over our window.
  constexpr int kMoves = 100;
  std::string script;
  for (int i = 0; i < kMoves; ++i) {
    script += (i / 10) % 2 ? "mousemove_relative -- -3 0\nsleep 0.03\n" : "mousemove_relative 3 0\nsleep 0.03\n";
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeProcess probe;
    StartWorker(probe, L"--load input --minutes 1", c.program);
    ASSERT_TRUE(injector.Run(script, 60000));
    const std::vector<EventLine> lines = FinishRun(probe);

    uint64_t moves = 0;
    for (const nlohmann::json& sample : Samples(lines)) {
      if (!sample.contains("m")) continue;
      SCOPED_TRACE(sample.dump());
      const nlohmann::json& m = sample["m"];
      moves += m["n"].get<uint64_t>();
      EXPECT_LE(m["k"].get<uint64_t>(), m["n"].get<uint64_t>());
      EXPECT_LE(m["p10"].get<double>(), m["med"].get<double>());
      EXPECT_LE(m["med"].get<double>(), m["p90"].get<double>());
      EXPECT_EQ(m["dev"], ToUtf8(kStandinProductName));
      EXPECT_FALSE(sample.contains("k")) << "no key was touched";
    }
    EXPECT_NEAR(static_cast<double>(moves), kMoves, 5);
  }
}

// The worker's hidden window, found by its class among the desktop's windows.
HWND FindInputWindow(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (owner != s->processId || wcscmp(name, L"VantorelInputCheck") != 0) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Another process sends the hidden window a WM_NCCREATE of its own, whose
// creation data points where nothing is mapped: a window that takes its run
// from every WM_NCCREATE crashes on the next raw input. The motion must still
// be counted and the run end as stopped.
TEST_F(InputCheckRun, CreationMessageFromAnotherProcessChangesNothing) {
  ProbeProcess probe;
  StartWorker(probe, L"--load input --minutes 1");
  const HWND window = FindInputWindow(probe.ProcessId());
  ASSERT_NE(window, nullptr) << "the worker's window was not found";
  CREATESTRUCTW create{};
  create.lpCreateParams = reinterpret_cast<void*>(static_cast<uintptr_t>(0x10));
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create), SMTO_ABORTIFHUNG, 10000,
                                &answer),
            0);
  std::string script;
  for (int i = 0; i < 20; ++i) script += "mousemove_relative 3 0\nsleep 0.03\n";
  ASSERT_TRUE(injector.Run(script, 30000));
  uint64_t moves = 0;
  for (const nlohmann::json& sample : Samples(FinishRun(probe))) {
    if (sample.contains("m")) moves += sample["m"]["n"].get<uint64_t>();
  }
  EXPECT_GE(moves, 10u);
}

// Catches a product-string read that hands the device the whole buffer: a
// device whose string fills exactly what it is given must come out as those
// 127 characters, with nothing read past them.
TEST_F(InputCheckRun, LongestProductStringKeepsItsTerminator) {
  ProbeProcess probe;
  probe.SetEnvironment(L"VANTOREL_HID_PRODUCT", L"longest");
  StartWorker(probe, L"--load input --minutes 1");
  std::string script;
  for (int i = 0; i < 6; ++i) script += "mousemove_relative 3 0\nsleep 0.05\n";
  script += "key a\n";
  ASSERT_TRUE(injector.Run(script, 30000));
  const std::vector<EventLine> lines = FinishRun(probe);
  const std::string longest(127, static_cast<char>(kLongestProductChar));
  size_t named = 0;
  for (const nlohmann::json& sample : Samples(lines)) {
    for (const char* piece : {"m", "k"}) {
      if (!sample.contains(piece)) continue;
      EXPECT_EQ(sample[piece]["dev"], longest) << sample.dump();
      ++named;
    }
  }
  EXPECT_GE(named, 2u) << "the mouse and the keyboard are both named";
}

struct KeySummary {
  uint64_t presses = 0;
  uint64_t repeats = 0;
  uint64_t heldMax = 0;
  double busiestRepeatMedian = 0;  // rep_med of the sample with the most repeats
  uint64_t busiestRepeats = 0;
};

KeySummary SummarizeKeys(const std::vector<EventLine>& lines) {
  KeySummary s;
  for (const nlohmann::json& sample : Samples(lines)) {
    if (!sample.contains("k")) continue;
    SCOPED_TRACE(sample.dump());
    const nlohmann::json& k = sample["k"];
    EXPECT_EQ(k["dev"], ToUtf8(kStandinProductName));
    s.presses += k["press"].get<uint64_t>();
    const uint64_t rep = k["rep"].get<uint64_t>();
    s.repeats += rep;
    s.heldMax = std::max(s.heldMax, k["held"].get<uint64_t>());
    if (rep > s.busiestRepeats) {
      s.busiestRepeats = rep;
      s.busiestRepeatMedian = k["rep_med"].get<double>();
    }
  }
  return s;
}

// A key held for 1.5 s: one press, held 1, and auto-repeat about every 40 ms
// after the delay of about 660 ms.
TEST_F(InputCheckRun, HeldKeyRepeats) {
  ProbeProcess probe;
  StartWorker(probe, L"--load input --minutes 1");
  ASSERT_TRUE(injector.Run("keydown a\nsleep 1.5\nkeyup a\n", 30000));
  const KeySummary keys = SummarizeKeys(FinishRun(probe));
  EXPECT_EQ(keys.presses, 1u);
  EXPECT_EQ(keys.heldMax, 1u);
  EXPECT_GE(keys.repeats, 8u);
  EXPECT_LE(keys.repeats, 30u);
  EXPECT_GT(keys.busiestRepeatMedian, 20.0);
  EXPECT_LT(keys.busiestRepeatMedian, 80.0);
}

TEST_F(InputCheckRun, TwoKeysHeldTogether) {
  ProbeProcess probe;
  StartWorker(probe, L"--load input --minutes 1");
  ASSERT_TRUE(injector.Run("keydown a\nkeydown s\nsleep 0.3\nkeyup s\nkeyup a\n", 30000));
  const KeySummary keys = SummarizeKeys(FinishRun(probe));
  EXPECT_EQ(keys.presses, 2u);
  EXPECT_EQ(keys.heldMax, 2u);
}

}  // namespace
