# Every deliverable carries a VERSIONINFO resource: product "Vantorel", the one
# version VANTOREL_VERSION (set in the top CMakeLists.txt) and what the file is.
#   vantorel_version_info(<target> "<file description>")

enable_language(RC)

function(vantorel_version_info target description)
  string(REGEX MATCHALL "[0-9]+" parts "${VANTOREL_VERSION}")
  list(APPEND parts 0 0 0 0)
  list(SUBLIST parts 0 4 parts)
  list(JOIN parts "," numeric)
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "SHARED_LIBRARY" OR kind STREQUAL "MODULE_LIBRARY")
    set(file_type VFT_DLL)
  else()
    set(file_type VFT_APP)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "#include <winver.h>

VS_VERSION_INFO VERSIONINFO
FILEVERSION ${numeric}
PRODUCTVERSION ${numeric}
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE ${file_type}
FILESUBTYPE VFT2_UNKNOWN
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
      VALUE \"FileDescription\", \"${description}\"
      VALUE \"FileVersion\", \"${VANTOREL_VERSION}\"
      VALUE \"InternalName\", \"$<TARGET_FILE_BASE_NAME:${target}>\"
      VALUE \"OriginalFilename\", \"$<TARGET_FILE_NAME:${target}>\"
      VALUE \"ProductName\", \"Vantorel\"
      VALUE \"ProductVersion\", \"${VANTOREL_VERSION}\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")
  target_sources(${target} PRIVATE ${rc})
  set_property(TARGET ${target} PROPERTY VANTOREL_FILE_DESCRIPTION "${description}")
endfunction()
