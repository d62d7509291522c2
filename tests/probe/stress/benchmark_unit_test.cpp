#include "probe/stress/benchmark_unit.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(BenchArithmetic, ResultConversions) {
  EXPECT_DOUBLE_EQ(UpdatesPerSecondMillions(4000000, 2.0), 2.0);
  EXPECT_DOUBLE_EQ(UpdatesPerSecondMillions(kBenchBatchUpdates * 10, 0.5), 10.48576);
  // Each copy counts the region once read and once written.
  EXPECT_DOUBLE_EQ(CopyGigabytesPerSecond(3, kCopyRegionBytes, 1.5), 1.073741824);
  EXPECT_DOUBLE_EQ(PerSecond(256, 0.25), 1024.0);
  // A run that took no measurable time reports 0, never inf or NaN.
  EXPECT_EQ(UpdatesPerSecondMillions(5, 0.0), 0.0);
  EXPECT_EQ(CopyGigabytesPerSecond(1, kCopyRegionBytes, 0.0), 0.0);
  EXPECT_EQ(PerSecond(3, 0.0), 0.0);
}

TEST(BenchArithmetic, DriveBufferBytes) {
  const struct Case {
    int repetition;
    uint8_t first[4];
  } cases[] = {{0, {0x00, 0x83, 0x06, 0x89}}, {1, {0x01, 0x84, 0x07, 0x8A}}, {2, {0x02, 0x85, 0x08, 0x8B}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.repetition);
    std::vector<uint8_t> buffer(kDriveBufferBytes);
    FillDriveBuffer(buffer.data(), buffer.size(), c.repetition);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(buffer[i], c.first[i]) << i;
    EXPECT_EQ(buffer[256], c.repetition) << "the pattern repeats every 256 bytes";
    EXPECT_EQ(buffer[kDriveBufferBytes - 1], static_cast<uint8_t>(c.repetition - 125 * 1048575));
  }
}

TEST(BenchArithmetic, RandomReadOffsets) {
  EXPECT_EQ(RandomReadSeed(0), 0x9E3779B97F4A7C15ull);
  EXPECT_EQ(RandomReadSeed(1), 0x9E3779B97F4A7C14ull);
  EXPECT_EQ(XorshiftNext(1), 0x40822041ull);  // 1 -> 0x2001 -> 0x2041 -> 0x40822041
  EXPECT_EQ(RandomReadOffset(0x40822041ull), 0x2041ull * 4096);
  // Every offset is a whole 4 KiB page that the sequential write laid down.
  for (int k = 0; k < 3; ++k) {
    uint64_t x = RandomReadSeed(k);
    std::set<uint64_t> pages;
    for (int i = 0; i < 20000; ++i) {
      x = XorshiftNext(x);
      const uint64_t offset = RandomReadOffset(x);
      ASSERT_EQ(offset % 4096, 0u);
      ASSERT_LE(offset, 268431360u);
      pages.insert(offset);
    }
    EXPECT_GT(pages.size(), 15000u) << "the reads should spread over the file";
  }
}

TEST(BenchArithmetic, DriveTestName) {
  wchar_t name[kDriveNameCapacity];
  DriveTestName(name, kDriveNameCapacity, 1234);
  EXPECT_EQ(std::wstring(name), L"vantorel-bench-1234.tmp");
  DriveTestName(name, kDriveNameCapacity, 0);
  EXPECT_EQ(std::wstring(name), L"vantorel-bench-0.tmp");
  // The native build's unsigned long is 64 bits: its largest value fits whole.
  DriveTestName(name, kDriveNameCapacity, static_cast<unsigned long>(-1));
  const std::wstring largest = sizeof(unsigned long) == 8 ? L"18446744073709551615" : L"4294967295";
  EXPECT_EQ(std::wstring(name), L"vantorel-bench-" + largest + L".tmp");
}

TEST(BenchArithmetic, DriveTestPath) {
  wchar_t path[kDrivePathCapacity];
  DriveTestPath(path, kDrivePathCapacity, L"C:\\Temp", 1234);
  EXPECT_EQ(std::wstring(path), L"C:\\Temp\\vantorel-bench-1234.tmp");
  DriveTestPath(path, kDrivePathCapacity, L"D:", 4294967295ul);
  EXPECT_EQ(std::wstring(path), L"D:\\vantorel-bench-4294967295.tmp");
  DriveTestPath(path, kDrivePathCapacity, L"E:\\x", 0);
  EXPECT_EQ(std::wstring(path), L"E:\\x\\vantorel-bench-0.tmp");

  // The longest folder the options keep (599 code units) fits whole.
  const std::wstring longDir = L"C:\\" + std::wstring(596, L'd');
  DriveTestPath(path, kDrivePathCapacity, longDir.c_str(), 77);
  EXPECT_EQ(std::wstring(path), longDir + L"\\vantorel-bench-77.tmp");

  // A path that does not fit is cut and still terminated.
  wchar_t tight[13];
  tight[12] = L'#';
  DriveTestPath(tight, 12, L"C:\\Temp", 1234);
  EXPECT_EQ(std::wstring(tight), L"C:\\Temp\\van");
  EXPECT_EQ(tight[12], L'#') << "wrote past the capacity";
}

}  // namespace
