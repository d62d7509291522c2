#pragma once

// Which tools the submenu offers for the selected item.

// Its extension (the last "." of the last path element onwards) is one of the
// script extensions, in any letter case.
bool HasScriptExtension(const wchar_t* path);

// A file-only tool is hidden for a plain folder; moving to Kestrix also needs
// a script file. path is the item's file-system path.
bool ToolOffered(int toolId, bool plainFolder, const wchar_t* path);
