#pragma once

#include <windows.h>

#include "shell/server_directory.h"

// The menu's icons come with the host's installation, below the server's directory.

// "Vantorel.exe,0": icon 0 of the host executable beside the server.
bool RootIconPath(ServerPath& path);

// "assets\shell\<verb><suffix>", the suffix naming the light or dark variant.
bool ToolIconPath(int toolId, const wchar_t* themeSuffix, ServerPath& path);
