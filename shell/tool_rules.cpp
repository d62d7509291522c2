#include "shell/tool_rules.h"

#include <windows.h>
#include <shlwapi.h>

#include "shell/tool_table.h"

bool HasScriptExtension(const wchar_t* path) {
  const wchar_t* extension = PathFindExtensionW(path);
  for (const wchar_t* script : kScriptExtensions) {
    if (CompareStringOrdinal(extension, -1, script, -1, TRUE) == CSTR_EQUAL) return true;
  }
  return false;
}

bool ToolOffered(int toolId, bool plainFolder, const wchar_t* path) {
  if (toolId < 0 || toolId >= kToolCount) return false;
  if (kFileOnly[toolId] != 0 && plainFolder) return false;
  if (toolId == kMoveToKestrixTool) return HasScriptExtension(path);
  return true;
}
