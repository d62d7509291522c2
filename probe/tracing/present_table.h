#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// What the present callback keeps per presenting process between two samples.

// A runaway process cannot hold more than this many intervals per second.
constexpr size_t kFrameTimeCap = 4000;

// {CA11C036-0102-4A2D-A6AD-F03CFED5D3C9}
inline constexpr GUID kDxgiProvider = {0xCA11C036, 0x0102, 0x4A2D, {0xA6, 0xAD, 0xF0, 0x3C, 0xFE, 0xD5, 0xD3, 0xC9}};
// {783ACA0A-790E-4D7F-8451-AA850511C6B9}
inline constexpr GUID kD3d9Provider = {0x783ACA0A, 0x790E, 0x4D7F, {0x84, 0x51, 0xAA, 0x85, 0x05, 0x11, 0xC6, 0xB9}};

// The present events: DXGI 42 and 55, Direct3D 9 1.
constexpr USHORT kDxgiPresentId = 42;
constexpr USHORT kDxgiPresentMultiplaneId = 55;
constexpr USHORT kD3d9PresentId = 1;

struct PresentRecord {
  int64_t lastPresent = 0;          // raw performance-counter timestamp; 0 = none yet
  uint32_t presents = 0;            // since the previous sample
  std::vector<double> frameTimes;   // milliseconds, in arrival order, at most kFrameTimeCap
  uint32_t idleSince = 0;           // tick count of the first sample without presents; 0 while presenting
};

// Ordered so the sampler visits processes in ascending id order.
using PresentTable = std::map<uint32_t, PresentRecord>;

// When the unfiltered enabling is in use every event of both providers
// arrives; only the presents count.
bool IsPresentEvent(const GUID& provider, USHORT eventId);

// One present of processId at timestamp. The interval is kept only while the
// list has room; the present still counts and still moves the last present,
// so the interval after the cap is right.
void RecordPresent(PresentTable& table, uint32_t processId, int64_t timestamp, double msPerTick);
