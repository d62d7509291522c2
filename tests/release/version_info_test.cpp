#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deliverable_versions.h"
#include "tests/support/probe_process.h"

// Every registered deliverable carries a VERSIONINFO that Explorer's file
// properties and an installer can read: product "Vantorel", the build's one
// version, and the description and file name of that deliverable.

namespace {

struct VersionResource {
  std::vector<BYTE> block;
  std::wstring Text(const wchar_t* name) const {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) return L"<missing>";
    return static_cast<const wchar_t*>(value);
  }
};

bool ReadVersionResource(const std::wstring& path, VersionResource& out) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  out.block.resize(size);
  return GetFileVersionInfoW(path.c_str(), 0, size, out.block.data()) != FALSE;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

// Catches a deliverable built without its resource, with another product name,
// a stale version or a description copied from another deliverable.
TEST(VersionInfo, EveryDeliverableSaysWhatItIs) {
  ASSERT_GT(std::size(kDeliverables), 0u);
  for (const DeliverableVersion& deliverable : kDeliverables) {
    SCOPED_TRACE(Narrow(deliverable.fileName));
    ASSERT_STRNE(deliverable.description, L"") << "no vantorel_version_info() for this deliverable";
    VersionResource resource;
    ASSERT_TRUE(ReadVersionResource(BesideThisProgram(deliverable.fileName), resource)) << GetLastError();

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(resource.block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD ms = (kVersionParts[0] << 16) | kVersionParts[1];
    const DWORD ls = (kVersionParts[2] << 16) | kVersionParts[3];
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    const bool library = std::wstring(deliverable.fileName).ends_with(L".dll");
    EXPECT_EQ(fixed->dwFileType, library ? DWORD{VFT_DLL} : DWORD{VFT_APP});

    EXPECT_EQ(resource.Text(L"ProductName"), L"Vantorel");
    EXPECT_EQ(resource.Text(L"FileDescription"), deliverable.description);
    EXPECT_EQ(resource.Text(L"FileVersion"), kVersionText);
    EXPECT_EQ(resource.Text(L"ProductVersion"), kVersionText);
    EXPECT_EQ(resource.Text(L"OriginalFilename"), deliverable.fileName);
  }
}
