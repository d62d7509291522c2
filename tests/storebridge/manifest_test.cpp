// The manifest is read back from the built executable's resources, the way
// the loader finds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tests/support/probe_process.h"

namespace {

std::string ManifestOf(const std::wstring& path, int* manifests) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return {};
  *manifests = 0;
  EnumResourceNamesW(
      module, RT_MANIFEST,
      [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) -> BOOL {
        ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(manifests));
  std::string text;
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    if (HGLOBAL loaded = LoadResource(module, found)) {
      text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    }
  }
  FreeLibrary(module);
  return text;
}

// The value of attribute in the first element named element.
std::string AttributeOf(const std::string& xml, const std::string& element, const std::string& attribute) {
  const size_t start = xml.find("<" + element + " ");
  if (start == std::string::npos) return "<no " + element + ">";
  const size_t end = xml.find('>', start);
  const std::string tag = xml.substr(start, end - start);
  const size_t at = tag.find(" " + attribute + "=\"");
  if (at == std::string::npos) return "<no " + attribute + ">";
  const size_t value = at + attribute.size() + 3;
  return tag.substr(value, tag.find('"', value) - value);
}

std::string TextOf(const std::string& xml, const std::string& element) {
  const size_t start = xml.find("<" + element);
  if (start == std::string::npos) return "<no " + element + ">";
  const size_t open = xml.find('>', start) + 1;
  return xml.substr(open, xml.find("</" + element + ">", open) - open);
}

TEST(StoreBridgeManifest, ExecutableCarriesOneManifestWithTheExpectedSettings) {
  int manifests = 0;
  const std::string xml = ManifestOf(BesideThisProgram(L"VantorelStoreBridge.exe"), &manifests);
  ASSERT_FALSE(xml.empty()) << "no manifest resource 1";
  EXPECT_EQ(manifests, 1);

  EXPECT_EQ(AttributeOf(xml, "assemblyIdentity", "name"), "VantorelStoreBridge.app");
  EXPECT_EQ(AttributeOf(xml, "assemblyIdentity", "version"), "1.0.0.0");
  EXPECT_EQ(AttributeOf(xml, "requestedExecutionLevel", "level"), "asInvoker");
  EXPECT_EQ(AttributeOf(xml, "requestedExecutionLevel", "uiAccess"), "false");
  EXPECT_EQ(TextOf(xml, "dpiAware"), "true/pm");
  EXPECT_EQ(TextOf(xml, "dpiAwareness"), "PerMonitorV2");
  EXPECT_EQ(TextOf(xml, "longPathAware"), "true");

  std::set<std::string> supported;
  for (size_t at = xml.find("<supportedOS "); at != std::string::npos; at = xml.find("<supportedOS ", at + 1)) {
    std::string id = AttributeOf(xml.substr(at), "supportedOS", "Id");
    std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    supported.insert(id);
  }
  const std::set<std::string> windows7To10 = {
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
  };
  EXPECT_EQ(supported, windows7To10);
}

}  // namespace
