#pragma once

// Only a path on a drive letter is handed to the host: 4 to 32,000 characters,
// "X:\" and then no second backslash, no double quote anywhere and no ':' after
// the drive (no stream names). Network and device paths and drive roots fail.
// Since no quote can occur, enclosing the path in quotes is always safe.
inline constexpr int kMinAcceptedPath = 4;
inline constexpr int kMaxAcceptedPath = 32000;

bool IsAcceptedPath(const wchar_t* path);
