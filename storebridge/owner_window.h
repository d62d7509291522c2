#pragma once

#include <windows.h>

inline constexpr wchar_t kOwnerWindowClass[] = L"VantorelStoreBridgeOwner";
inline constexpr wchar_t kOwnerWindowTitle[] = L"Vantorel Store";

// The invisible window that owns whatever the Store might show. Null on failure.
HWND CreateOwnerWindow(HINSTANCE instance);

// The HRESULT for a failed window creation's GetLastError value.
HRESULT OwnerWindowError(DWORD lastError);
