#pragma once

// What the stand-in hid.dll calls every device. The system-directory copy gives
// a name built to break a careless JSON writer; the copy planted beside the
// worker gives one the worker must never report.
constexpr wchar_t kStandinProductName[] = L"Vantorel \"stand-in\" \\ HID\n\t\x01 }{ \u00fc\u4e2d\U0001F5B1";
constexpr wchar_t kPlantedProductName[] = L"planted hid.dll beside the worker";
// What fills the buffer when the stand-in plays the longest product string.
constexpr wchar_t kLongestProductChar = L'W';
