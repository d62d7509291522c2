#pragma once

#include <cstdint>
#include <string>

// The product string of a raw-input device (HidD_GetProductString on its
// device path); empty when any step fails. Loads hid.dll on first use.
std::wstring ReadProductString(uintptr_t device);
