#pragma once

#include <windows.h>

#include <cstdint>

// The drive test's file, made so that no one else's object is ever written:
// the worker runs elevated, and the folder it is given may be one that other
// users can write into (the root of a second drive, a shared folder).

// What the checks after creation read of the folder and of the new file.
struct DriveObjectInfo {
  bool known = false;  // the handle answered
  DWORD attributes = 0;
  uint32_t volumeSerial = 0;
};

// True when file is the plain file we asked for inside folder: both answered,
// the folder is a directory, the file is neither a directory nor a reparse
// point, and both are on the same volume.
bool DriveFileIsOurs(const DriveObjectInfo& folder, const DriveObjectInfo& file);

// Opens the --dir folder for the whole drive test, following whatever links
// lead to it (users mount volumes into folders). INVALID_HANDLE_VALUE when it
// cannot be opened or is no directory.
HANDLE OpenDriveFolder(const wchar_t* dir);

// Creates the file name inside the folder that handle holds, never through
// its path: a folder renamed or replaced by a link after we opened it changes
// nothing. Fails without touching anything when name is already taken (a
// leftover file, a link, a folder); never follows a link at name.
// INVALID_HANDLE_VALUE on every failure. The system deletes the file when the
// handle is closed.
HANDLE CreateDriveFile(HANDLE folder, const wchar_t* name);
