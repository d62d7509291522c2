#include "shell/icon_path.h"

#include "shell/tool_table.h"

bool RootIconPath(ServerPath& path) {
  return ServerDirectory(path) && AppendToServerPath(path, kHostFileName) && AppendToServerPath(path, L",0");
}

bool ToolIconPath(int toolId, const wchar_t* themeSuffix, ServerPath& path) {
  if (toolId < 0 || toolId >= kToolCount) return false;
  return ServerDirectory(path) && AppendToServerPath(path, L"assets\\shell\\") &&
         AppendToServerPath(path, kToolVerbs[toolId]) && AppendToServerPath(path, themeSuffix);
}
