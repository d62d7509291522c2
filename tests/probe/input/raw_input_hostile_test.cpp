// Thousands of generated raw-input reports, a steady mouse and keyboard mixed
// among hostile ones, read by the real report reader and counted by the real
// bookkeeping, with devices whose names come back in every shape the platform
// could give them: malformed reports are ignored, well-formed ones count
// exactly, at any counter value; names are read within their buffers; every
// sample line is whole JSON within its buffer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/input/product_string.h"
#include "probe/input/raw_input_report.h"
#include "probe/input/sample_line.h"
#include "tests/support/hostile_records.h"

namespace {

constexpr size_t kEverydayCases = 12000;  // VANTOREL_HOSTILE_CASES may ask for more or fewer
constexpr size_t kCasesPerSample = 300;
constexpr int64_t kFrequency = 1000000;  // a counter that ticks once a microsecond
constexpr uintptr_t kMouse = 0x1000;     // the steady mouse: one report every millisecond
constexpr uintptr_t kKeyboard = 0x2000;  // the steady keyboard: key A held, repeating every 33 ms
constexpr uint16_t kKeyA = 0x1E;
constexpr uintptr_t kRunaway = 0x3000;  // now and then more reports in one period than are kept
constexpr uintptr_t kOtherDevices[] = {0, 1, 0x3000, 0x7FFFFFFF, 0x80000000, ~uintptr_t{0}, ~uintptr_t{0} - 1};

// ---- Devices and the names they answer with --------------------------------

// An empty vector's data() may be null, and memcpy from or to null is
// undefined even for no bytes.
void CopyBytes(void* to, const void* from, size_t count) {
  if (count != 0) memcpy(to, from, count);
}

struct FakeDevice {
  std::wstring path;         // written into the caller's buffer, as much as it holds
  bool terminated = true;    // a NUL follows the path
  int answer = 0;            // 0 honest, 1 the count without a NUL, 2 zero, 3 all ones, 4 a count past the buffer
  bool openFails = false;
  BOOLEAN productRead = TRUE;
  std::vector<uint8_t> product;  // bytes written, at most as many as the caller allows
};

struct DeviceCalls {
  uint64_t seed = 0;
  std::map<uintptr_t, FakeDevice> devices;
  std::wstring openedPath;
  ULONG productBytesAllowed = 0;
  size_t productBytesWritten = 0;
  int opens = 0;
  int closes = 0;
};
DeviceCalls* calls = nullptr;

HANDLE const kOpenDevice = reinterpret_cast<HANDLE>(0x4D0);

FakeDevice& DeviceOf(uintptr_t handle) {
  auto found = calls->devices.find(handle);
  if (found != calls->devices.end()) return found->second;
  HostileRandom random(calls->seed, 0x200000000ull + handle);
  FakeDevice d;
  const uint64_t pathLength =
      random.OneIn(4) ? kDevicePathChars - 1 - random.Below(3) : random.Below(kDevicePathChars + 100);
  d.path = random.SystemText(static_cast<size_t>(pathLength), random.OneIn(8));
  d.terminated = !random.OneIn(3);
  d.answer = random.OneIn(2) ? 0 : static_cast<int>(random.Between(1, 4));
  d.openFails = random.OneIn(8);
  d.productRead = random.OneIn(8) ? FALSE : TRUE;
  const size_t chars = random.OneIn(3) ? kProductChars - 1 : random.Below(kProductChars + 40);
  const std::wstring text = random.SystemText(chars, random.OneIn(6));
  d.product.resize(text.size() * sizeof(wchar_t));
  CopyBytes(d.product.data(), text.data(), d.product.size());
  if (random.OneIn(4) && !d.product.empty()) d.product.pop_back();  // half a character
  return calls->devices.emplace(handle, std::move(d)).first->second;
}

UINT WINAPI FakeDeviceInfo(HANDLE device, UINT command, LPVOID data, PUINT size) {
  EXPECT_EQ(command, static_cast<UINT>(RIDI_DEVICENAME));
  const FakeDevice& d = DeviceOf(reinterpret_cast<uintptr_t>(device));
  const UINT room = *size;
  if (d.answer == 0 && d.path.size() + 1 > room) {
    *size = static_cast<UINT>(d.path.size() + 1);
    return static_cast<UINT>(-1);
  }
  const size_t written = std::min<size_t>(d.path.size(), room);
  CopyBytes(data, d.path.data(), written * sizeof(wchar_t));
  if (d.terminated && written < room) static_cast<wchar_t*>(data)[written] = L'\0';
  switch (d.answer) {
    case 0:
      return static_cast<UINT>(written + 1);
    case 1:
      return static_cast<UINT>(written);
    case 2:
      return 0;
    case 3:
      return static_cast<UINT>(-1);
    default:
      return room + 5000;
  }
}

// The path the read must have handed on: what was written, up to its first
// NUL, nothing of what lay past the count the device was given.
std::wstring PathSeen(const FakeDevice& d, UINT room) {
  const std::wstring written = d.path.substr(0, std::min<size_t>(d.path.size(), room));
  return written.substr(0, written.find(L'\0'));
}

HANDLE WINAPI FakeOpen(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  const size_t length = wcsnlen(path, kDevicePathChars);
  EXPECT_LT(length, kDevicePathChars) << "the device path has no terminator inside its buffer";
  calls->openedPath.assign(path, length);
  ++calls->opens;
  return kOpenDevice;
}
HANDLE WINAPI FakeOpenFails(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE tmpl) {
  FakeOpen(path, access, share, security, disposition, flags, tmpl);
  --calls->opens;
  return INVALID_HANDLE_VALUE;
}
BOOL WINAPI FakeClose(HANDLE device) {
  EXPECT_EQ(device, kOpenDevice);
  ++calls->closes;
  return TRUE;
}

uintptr_t productDevice = 0;
BOOLEAN WINAPI FakeProductString(HANDLE device, PVOID buffer, ULONG bytes) {
  EXPECT_EQ(device, kOpenDevice);
  const FakeDevice& d = calls->devices.at(productDevice);
  calls->productBytesAllowed = bytes;
  calls->productBytesWritten = std::min<size_t>(d.product.size(), bytes);
  CopyBytes(buffer, d.product.data(), calls->productBytesWritten);
  return d.productRead;
}
GetProductStringFn FakeProductEntry() { return FakeProductString; }

// The name reader the bookkeeping calls: the real read against the device's
// answers, checked against what those answers allow.
std::wstring HostileDeviceName(uintptr_t device) {
  FakeDevice& d = DeviceOf(device);
  ProductStringCalls fake;
  fake.deviceInfo = FakeDeviceInfo;
  fake.openDevice = d.openFails ? FakeOpenFails : FakeOpen;
  fake.closeDevice = FakeClose;
  fake.productString = FakeProductEntry;
  productDevice = device;
  calls->openedPath.assign(L"(not opened)");
  calls->productBytesWritten = 0;
  const int opens = calls->opens;
  const std::wstring name = ReadProductStringWith(device, fake);

  const size_t pathWritten = std::min<size_t>(d.path.size(), kDevicePathChars - 1);
  const bool pathRead = !(d.answer == 0 && d.path.size() + 1 > kDevicePathChars - 1) && d.answer != 2 &&
                        d.answer != 3 && !(d.answer == 1 && pathWritten == 0);
  EXPECT_EQ(calls->closes, calls->opens) << "every opened device is closed once";
  if (!pathRead) {
    EXPECT_TRUE(calls->openedPath == L"(not opened)") << "a device without a path was opened";
    EXPECT_TRUE(name.empty()) << name.size();
    return name;
  }
  const std::wstring pathSeen = PathSeen(d, kDevicePathChars - 1);
  EXPECT_TRUE(calls->openedPath == pathSeen) << "the path opened (" << calls->openedPath.size()
                                             << " characters) is not the one the device gave (" << pathSeen.size()
                                             << ")";
  if (d.openFails || !d.productRead) {
    EXPECT_TRUE(name.empty()) << name.size();
    return name;
  }
  EXPECT_EQ(calls->opens, opens + 1);
  EXPECT_LT(calls->productBytesAllowed, kProductChars * sizeof(wchar_t)) << "no room left for the terminator";
  std::wstring written(calls->productBytesWritten / sizeof(wchar_t) + 1, L'\0');
  CopyBytes(written.data(), d.product.data(), calls->productBytesWritten);
  const std::wstring product = written.substr(0, written.find(L'\0'));
  EXPECT_TRUE(name == product) << "the name read (" << name.size() << " characters) is not the product string ("
                               << product.size() << ")";
  EXPECT_LT(name.size(), kProductChars);
  return name;
}

// ---- Reports ----------------------------------------------------------------

struct Generated {
  uint8_t bytes[kRawInputBytes] = {};
  size_t copied = 0;
  int64_t time = 0;    // the counter value the report arrives at
  RawReport expected;  // what the reader must make of it
  bool moves = false;  // a mouse report that moved the pointer, so it counts
  HostileTimeline::Step step;  // where a moving report took its device's clock
  const char* what = "";
};

// The next move of a device on its own clock: a first one anywhere, then steps
// under 100 ms (each one an interval), at it and past it, of any length at all
// (past the top of the range they wrap round below), none, or back.
HostileTimeline::Step NextMove(HostileRandom& random, HostileTimeline& clock) {
  if (!clock.started()) return clock.Start(random.EdgyInt64());
  switch (random.Below(9)) {
    case 0: return clock.Forward(1);
    case 1:
    case 2: return clock.Forward(random.Between(1, 99999));
    case 3: return clock.Forward(random.Pick<uint64_t>({99998, 99999, 100000, 100001}));
    case 4: return clock.Forward(random.Between(100000, 1ull << 40));
    case 5: return clock.Forward(random.Edgy64() | 1);
    case 6: return clock.Back(0);
    case 7: return clock.Back(random.Edgy64());
    default: return clock.Back(random.Between(1, 1000));
  }
}

// A value that is not 0, from where arithmetic breaks.
LONG NonZero32(HostileRandom& random) {
  const uint32_t bits = random.Edgy32();
  return static_cast<LONG>(bits != 0 ? bits : 1);
}

Generated Generate(uint64_t seed, size_t index, std::map<uintptr_t, HostileTimeline>& clocks, int64_t& mouseClock,
                   int64_t& keyClock, bool& keyDown) {
  HostileRandom random(seed, index);
  Generated g;
  RAWINPUT input{};
  int64_t time = random.EdgyInt64();
  const bool mouse = random.OneIn(2);
  input.header.dwType = mouse ? RIM_TYPEMOUSE : RIM_TYPEKEYBOARD;
  const size_t needed = mouse ? sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE) : sizeof(RAWINPUTHEADER) + sizeof(RAWKEYBOARD);
  input.header.dwSize = static_cast<DWORD>(needed);
  // Handles at the ends of their range, or one of thousands of devices, each
  // with a name of its own to read.
  const uintptr_t other =
      random.OneIn(3) ? kOtherDevices[random.Below(std::size(kOtherDevices))] : 0x10000 + random.Below(100000);
  input.header.hDevice = reinterpret_cast<HANDLE>(other);
  input.header.wParam = static_cast<WPARAM>(random.Next());
  if (mouse) {
    // A move by either delta or by an absolute position, or a report that only
    // carries buttons or the wheel: chosen first, so whether it counts is known.
    RAWMOUSE& m = input.data.mouse;
    g.moves = !random.OneIn(4);
    m.usFlags = random.OneIn(3) ? static_cast<USHORT>(random.Next()) : 0;
    m.usButtonFlags = static_cast<USHORT>(random.Next());
    m.lLastX = random.OneIn(3) ? 0 : static_cast<LONG>(random.Edgy32());
    m.lLastY = random.OneIn(3) ? 0 : static_cast<LONG>(random.Edgy32());
    if (!g.moves) {
      m.usFlags &= ~MOUSE_MOVE_ABSOLUTE;
      m.lLastX = 0;
      m.lLastY = 0;
    } else {
      switch (random.Below(3)) {
        case 0: m.lLastX = NonZero32(random); break;
        case 1: m.lLastY = NonZero32(random); break;
        default: m.usFlags |= MOUSE_MOVE_ABSOLUTE; break;
      }
    }
  } else {
    RAWKEYBOARD& k = input.data.keyboard;
    do {
      k.MakeCode = static_cast<USHORT>(random.OneIn(2) ? random.Below(0x80) : random.Next());
      k.Flags = static_cast<USHORT>(random.OneIn(2) ? random.Below(8) : random.Next());
    } while (k.MakeCode == kKeyA && (k.Flags & (RI_KEY_E0 | RI_KEY_E1)) == 0);  // the steady key is the steady keyboard's
    k.VKey = static_cast<USHORT>(random.Next());
    k.Message = static_cast<UINT>(random.Next());
  }
  g.copied = needed;
  bool valid = true;

  switch (random.Below(12)) {
    case 0:
    case 1:
    case 2:
      g.what = "the steady mouse moves";
      input = RAWINPUT{};
      input.header = {RIM_TYPEMOUSE, static_cast<DWORD>(sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE)),
                      reinterpret_cast<HANDLE>(kMouse), 0};
      input.data.mouse.lLastX = 1;
      g.copied = input.header.dwSize;
      g.moves = true;
      g.step = clocks[kMouse].started() ? clocks[kMouse].Forward(1000) : clocks[kMouse].Start(mouseClock);
      time = mouseClock = g.step.stamp;
      break;
    case 3:
      g.what = "the steady keyboard repeats its key";
      input = RAWINPUT{};
      input.header = {RIM_TYPEKEYBOARD, static_cast<DWORD>(sizeof(RAWINPUTHEADER) + sizeof(RAWKEYBOARD)),
                      reinterpret_cast<HANDLE>(kKeyboard), 0};
      input.data.keyboard.MakeCode = kKeyA;
      keyDown = !(keyDown && random.OneIn(10));  // now and then the key comes up
      input.data.keyboard.Flags = keyDown ? 0 : RI_KEY_BREAK;
      g.copied = input.header.dwSize;
      time = keyClock += 33000;
      break;
    case 4:
      g.what = "truncated report";
      g.copied = random.Below(needed);
      valid = false;
      break;
    case 5:
      g.what = "header gives less than its kind";
      input.header.dwSize = static_cast<DWORD>(random.Below(needed));
      valid = false;
      break;
    case 6:
      g.what = "header gives more than was copied";
      g.copied = random.Between(needed, kRawInputBytes);
      input.header.dwSize = static_cast<DWORD>(random.OneIn(2) ? random.Between(g.copied + 1, 0xFFFF) : random.Edgy32());
      if (input.header.dwSize <= g.copied) input.header.dwSize = static_cast<DWORD>(g.copied + 1);
      valid = false;
      break;
    case 7:
      g.what = "another kind of report";
      input.header.dwType = random.OneIn(2) ? RIM_TYPEHID : random.Edgy32();
      if (input.header.dwType == RIM_TYPEMOUSE || input.header.dwType == RIM_TYPEKEYBOARD) input.header.dwType = 7;
      g.copied = random.Between(sizeof(RAWINPUTHEADER), kRawInputBytes);
      valid = false;
      break;
    case 8:
      g.what = "more bytes than the kind needs";
      g.copied = random.Between(needed, kRawInputBytes);
      input.header.dwSize = static_cast<DWORD>(random.Between(needed, g.copied));
      break;
    default:
      g.what = "another device at any counter value";
      break;
  }
  // Malformed reports name the steady devices: if one were counted, their figures would be off.
  if (!valid) input.header.hDevice = reinterpret_cast<HANDLE>(mouse ? kMouse : kKeyboard);
  // Another device's move arrives on that device's own clock.
  const uintptr_t sender = reinterpret_cast<uintptr_t>(input.header.hDevice);
  if (valid && input.header.dwType == RIM_TYPEMOUSE && sender != kMouse && g.moves) {
    g.step = NextMove(random, clocks[sender]);
    time = g.step.stamp;
  }
  memcpy(g.bytes, &input, sizeof(g.bytes));
  g.time = time;

  if (valid) {
    const uintptr_t device = reinterpret_cast<uintptr_t>(input.header.hDevice);
    if (input.header.dwType == RIM_TYPEMOUSE) {
      const RAWMOUSE& m = input.data.mouse;
      g.expected.kind = RawReportKind::kMouse;
      g.expected.mouse = {device, time, m.lLastX, m.lLastY, m.usFlags};
    } else {
      const RAWKEYBOARD& k = input.data.keyboard;
      g.expected.kind = RawReportKind::kKeyboard;
      g.expected.key = {device, time, k.MakeCode, k.Flags};
    }
  }
  return g;
}

void ExpectSameReport(const RawReport& got, const RawReport& want) {
  ASSERT_EQ(static_cast<int>(got.kind), static_cast<int>(want.kind));
  if (want.kind == RawReportKind::kMouse) {
    EXPECT_EQ(got.mouse.device, want.mouse.device);
    EXPECT_EQ(got.mouse.time, want.mouse.time);
    EXPECT_EQ(got.mouse.dx, want.mouse.dx);
    EXPECT_EQ(got.mouse.dy, want.mouse.dy);
    EXPECT_EQ(got.mouse.flags, want.mouse.flags);
  } else if (want.kind == RawReportKind::kKeyboard) {
    EXPECT_EQ(got.key.device, want.key.device);
    EXPECT_EQ(got.key.time, want.key.time);
    EXPECT_EQ(got.key.makeCode, want.key.makeCode);
    EXPECT_EQ(got.key.flags, want.key.flags);
  }
}

// What a device's moves since the last sample must have left: each step its
// clock took forward by less than 100 ms is one interval (a tick a
// microsecond), while the list has room; a report that did not move counts
// nowhere.
struct MouseModel {
  bool seen = false;
  uint32_t count = 0;
  std::vector<double> intervalsUs;
};

void Expect(MouseModel& model, bool moves, const HostileTimeline::Step& step) {
  if (!moves) return;
  if (step.gap != 0 && step.gap < 100000 && model.intervalsUs.size() < kMaxMouseIntervals) {
    model.intervalsUs.push_back(static_cast<double>(step.gap));
  }
  model.seen = true;
  ++model.count;
}

// Catches a malformed report that is counted (or read past its copied bytes),
// a well-formed one that is lost or misread, an interval from a wrapped
// counter difference, a device name read past its buffer or left unterminated,
// a device left open, and a sample line that is not whole JSON.
TEST(RawInput, HostileReportsAndDeviceNamesAmongSteadyInput) {
  DeviceCalls deviceCalls;
  deviceCalls.seed = HostileSeed();
  calls = &deviceCalls;
  const uint64_t seed = deviceCalls.seed;
  GuardedBytes guarded(kRawInputBytes);
  ASSERT_TRUE(guarded.ok());

  InputTables tables;
  HostileRandom clocks(seed, ~0ull);
  int64_t mouseClock = static_cast<int64_t>(clocks.Between(1, 1ull << 60));
  int64_t keyClock = mouseClock;
  std::map<uintptr_t, HostileTimeline> deviceClocks;
  bool keyDown = false;
  std::map<uintptr_t, MouseModel> mice;
  uint32_t keyPresses = 0;
  uint32_t keyRepeats = 0;
  uint32_t otherKeyDowns = 0;
  bool keyHeld = false;
  char line[kInputLineBytes + 16];
  const size_t cases = HostileCaseCount(kEverydayCases);
  for (size_t i = 0; i < cases; ++i) {
    const std::string caseName = HostileCaseName(seed, i);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());
    if (i % (kCasesPerSample * 5) == kCasesPerSample / 2) {
      // A runaway mouse and keyboard: more reports in one period than the
      // lists keep, at counter values that may run across the end of the range.
      HostileRandom burst(seed, 0x300000000ull + i);
      HostileTimeline& clock = deviceClocks[kRunaway];
      uint64_t timeBits = 0;  // the keyboard's reports follow on from the mouse's last
      for (size_t k = 0; k < kMaxMouseIntervals + 100; ++k) {
        const HostileTimeline::Step step =
            clock.started() ? clock.Forward(burst.Between(1, 3)) : clock.Start(burst.EdgyInt64());
        memcpy(&timeBits, &step.stamp, sizeof(timeBits));
        RAWINPUT input{};
        input.header = {RIM_TYPEMOUSE, static_cast<DWORD>(sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE)),
                        reinterpret_cast<HANDLE>(kRunaway), 0};
        input.data.mouse.lLastY = -1;
        const RawReport report =
            ReadRawInputReport(guarded.Place(&input, input.header.dwSize), input.header.dwSize, step.stamp);
        ASSERT_EQ(static_cast<int>(report.kind), static_cast<int>(RawReportKind::kMouse));
        Expect(mice[kRunaway], true, step);
        CountMouseEvent(tables.pointers, report.mouse, kFrequency, HostileDeviceName);
      }
      for (size_t k = 0; k < kMaxRepeatIntervals + 100; ++k) {
        timeBits += 10000;
        int64_t time;
        memcpy(&time, &timeBits, sizeof(time));
        CountKeyEvent(tables.keyboard, KeyEvent{kRunaway, time, 0x30, 0}, kFrequency, HostileDeviceName);
        ++otherKeyDowns;
      }
    }
    Generated g = Generate(seed, i, deviceClocks, mouseClock, keyClock, keyDown);
    SCOPED_TRACE(g.what);
    const uint8_t* bytes = guarded.Place(g.bytes, g.copied);
    const RawReport report = ReadRawInputReport(bytes, g.copied, g.time);
    ExpectSameReport(report, g.expected);
    if (report.kind == RawReportKind::kMouse) {
      Expect(mice[report.mouse.device], g.moves, g.step);
      CountMouseEvent(tables.pointers, report.mouse, kFrequency, HostileDeviceName);
    } else if (report.kind == RawReportKind::kKeyboard) {
      if (report.key.device == kKeyboard) {
        if (report.key.flags & kKeyBreak) {
          keyHeld = false;
        } else {
          keyPresses += keyHeld ? 0 : 1;
          keyRepeats += keyHeld ? 1 : 0;
          keyHeld = true;
        }
      } else if ((report.key.flags & kKeyBreak) == 0) {
        ++otherKeyDowns;
      }
      CountKeyEvent(tables.keyboard, report.key, kFrequency, HostileDeviceName);
    }

    if ((i + 1) % kCasesPerSample != 0) continue;
    for (auto& [device, model] : mice) {
      SCOPED_TRACE(device);
      const auto found = tables.pointers.find(device);
      if (found == tables.pointers.end()) {
        EXPECT_FALSE(model.seen) << "a device that moved has no record";
        continue;
      }
      const PointerRecord& record = found->second;
      EXPECT_EQ(record.count, model.count);
      ASSERT_EQ(record.intervalsUs.size(), model.intervalsUs.size());
      for (size_t k = 0; k < model.intervalsUs.size(); ++k) ASSERT_EQ(record.intervalsUs[k], model.intervalsUs[k]);
      model.count = 0;
      model.intervalsUs.clear();
    }
    const KeyboardState& keyboard = tables.keyboard;
    EXPECT_GE(keyboard.presses, keyPresses);
    EXPECT_LE(keyboard.presses, keyPresses + otherKeyDowns);
    size_t steadyRepeats = 0;
    for (const double ms : keyboard.repeatIntervalsMs) {
      ASSERT_TRUE(ms > 0.0 && ms < kMaxRepeatIntervalMs) << ms;
      steadyRepeats += ms == 33.0 ? 1 : 0;
    }
    if (keyboard.repeatIntervalsMs.size() < kMaxRepeatIntervals) {
      EXPECT_GE(steadyRepeats, keyRepeats);
    }
    EXPECT_LE(keyboard.repeatIntervalsMs.size(), kMaxRepeatIntervals);

    memset(line, 0x7F, sizeof(line));
    const SampleTime now{static_cast<double>(i) / 300.0, std::max(mouseClock, keyClock), kFrequency};
    const size_t length = BuildSampleLine(tables, now, line, kInputLineBytes);
    ASSERT_LT(length, kInputLineBytes);
    ASSERT_EQ(strlen(line), length);
    EXPECT_EQ(line[kInputLineBytes], 0x7F) << "wrote past the buffer";
    const nlohmann::json json = nlohmann::json::parse(std::string(line, length), nullptr, false);
    ASSERT_TRUE(json.is_object()) << line;
    if (json.contains("m")) {
      EXPECT_LE(json["m"]["k"].get<uint32_t>(), json["m"]["n"].get<uint32_t>());
    }
    if (keyPresses + keyRepeats != 0) {
      ASSERT_TRUE(json.contains("k"));
      EXPECT_GE(json["k"]["press"].get<uint32_t>(), keyPresses);
    }
    keyPresses = 0;
    keyRepeats = 0;
    otherKeyDowns = 0;
  }
  EXPECT_GT(deviceCalls.devices.size(), 800u) << "names were read for many devices";
  calls = nullptr;
}

}  // namespace
