#include "probe/stress/drive_file.h"

#include <winternl.h>

#include <cwchar>

namespace {

using NtCreateFileEntry = NTSTATUS(NTAPI*)(HANDLE* file, ACCESS_MASK access, OBJECT_ATTRIBUTES* attributes,
                                            IO_STATUS_BLOCK* status, LARGE_INTEGER* allocationSize,
                                            ULONG fileAttributes, ULONG share, ULONG disposition, ULONG options,
                                            void* extendedAttributes, ULONG extendedLength);

// CreateFileW takes no folder handle, so the create goes to NtCreateFile.
// ntdll is mapped into every process before any of our code runs, always
// from the system folder: nothing is loaded by name here.
NtCreateFileEntry LookUpNtCreateFile() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<NtCreateFileEntry>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")));
}

DriveObjectInfo ReadObjectInfo(HANDLE handle) {
  DriveObjectInfo info;
  BY_HANDLE_FILE_INFORMATION read{};
  if (!GetFileInformationByHandle(handle, &read)) return info;
  info.known = true;
  info.attributes = read.dwFileAttributes;
  info.volumeSerial = read.dwVolumeSerialNumber;
  return info;
}

}  // namespace

bool DriveFileIsOurs(const DriveObjectInfo& folder, const DriveObjectInfo& file) {
  if (!folder.known || !file.known) return false;
  if ((folder.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  if ((file.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return false;
  return folder.volumeSerial == file.volumeSerial;
}

HANDLE OpenDriveFolder(const wchar_t* dir) {
  // Sharing everything: holding the folder must not get in anyone's way.
  const HANDLE folder =
      CreateFileW(dir, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  if ((ReadObjectInfo(folder).attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    CloseHandle(folder);
    return INVALID_HANDLE_VALUE;
  }
  return folder;
}

HANDLE CreateDriveFile(HANDLE folder, const wchar_t* name) {
  static const NtCreateFileEntry create = LookUpNtCreateFile();
  if (create == nullptr) return INVALID_HANDLE_VALUE;
  UNICODE_STRING relativeName;
  relativeName.Buffer = const_cast<wchar_t*>(name);
  relativeName.Length = static_cast<USHORT>(wcslen(name) * sizeof(wchar_t));
  relativeName.MaximumLength = relativeName.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &relativeName, OBJ_CASE_INSENSITIVE, folder, nullptr);
  // What CreateFileW makes of GENERIC_READ | GENERIC_WRITE, no sharing and
  // FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING | FILE_FLAG_DELETE_ON_CLOSE
  // | FILE_ATTRIBUTE_TEMPORARY, with CREATE_NEW instead of CREATE_ALWAYS and the
  // name's own link never followed. FILE_CREATE succeeds only for a file this
  // call made, so delete-on-close never applies to anyone else's.
  constexpr ACCESS_MASK kAccess = GENERIC_READ | GENERIC_WRITE | DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES;
  constexpr ULONG kOptions = FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_WRITE_THROUGH |
                             FILE_NO_INTERMEDIATE_BUFFERING | FILE_DELETE_ON_CLOSE | FILE_OPEN_REPARSE_POINT;
  IO_STATUS_BLOCK status{};
  HANDLE file = nullptr;
  const NTSTATUS created = create(&file, kAccess, &attributes, &status, nullptr, FILE_ATTRIBUTE_TEMPORARY, 0,
                                  FILE_CREATE, kOptions, nullptr, 0);
  if (created < 0) return INVALID_HANDLE_VALUE;
  // Closing our own new file deletes it before a byte was written.
  if (!DriveFileIsOurs(ReadObjectInfo(folder), ReadObjectInfo(file))) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}
