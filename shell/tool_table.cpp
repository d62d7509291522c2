#include "shell/tool_table.h"

const wchar_t* const kToolVerbs[kToolCount] = {
    L"who_uses",
    L"file_versions",
    L"file_hash",
    L"unlock_file_folder",
    L"repair_file_folder_permissions",
    L"force_delete_file_folder",
    L"move_to_kestrix",
};

const unsigned char kFileOnly[kToolCount] = {0, 1, 1, 0, 0, 0, 1};

const wchar_t* const kScriptExtensions[kScriptExtensionCount] = {L".bat", L".cmd", L".ps1", L".vbs"};
