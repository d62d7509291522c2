#pragma once

#include <windows.h>

// Fills bytes from the system's preferred random generator. bcrypt.dll is not
// a known DLL, so it is taken from the system directory only, never from
// beside vantorel-cli. False when the library, its entry or the generator fails.
bool FillSystemRandom(unsigned char* bytes, ULONG count);
