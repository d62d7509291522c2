// Run by CTest with Wine told to prefer native d3d11 and dxgi, as Windows,
// which has no built-in copies, always does: a d3d11.dll and a dxgi.dll
// planted beside a copy of the worker would then run in it if the worker took
// them from its own folder.
#include <gtest/gtest.h>

#include "tests/support/probe_process.h"

namespace {

constexpr const wchar_t* kPlantedWorker = L"planted-system\\vantorelprobe.exe";

// Catches a graphics library taken from the worker's folder (named in the
// import table, or loaded without the system-directory-only flag): the
// planted copy leaves a marker and fails every call.
TEST(PlantedLibraries, GraphicsLibrariesBesideTheWorkerAreIgnored) {
  const wchar_t* const markers[] = {L"planted-system\\d3d11.dll.loaded", L"planted-system\\dxgi.dll.loaded"};
  for (const wchar_t* marker : markers) DeleteFileW(BesideThisProgram(marker).c_str());

  // The stress runs on a device, so both libraries are used, not only named.
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load gentle --minutes 0.01", StdinKind::Pipe, L"", kPlantedWorker));
  EXPECT_EQ(probe.WaitForExit(120000), 0u);
  for (const wchar_t* marker : markers) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(marker)));
    EXPECT_EQ(GetFileAttributesW(BesideThisProgram(marker).c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted library was loaded";
  }
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_GE(lines.size(), 2u) << (lines.empty() ? "" : lines.back().text);
  EXPECT_EQ(EventOf(lines.front()), "start") << lines.front().text;
  EXPECT_EQ(lines.back().json["reason"], "time") << lines.back().text;
}

}  // namespace
