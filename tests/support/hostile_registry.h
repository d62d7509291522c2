#pragma once

// Per-user registry values as a careless or hostile writer may leave them, and
// what a REG_SZ read of them must give. The values are written into the real
// registry of the prefix; SavedRegistryValue puts back what was there.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/locale/locale_codes.h"
#include "tests/support/hostile_input.h"

struct RegistryValueData {
  DWORD type = REG_SZ;
  std::string bytes;
  const char* form = "";  // how the text was written, for the failure message
};

// text written as a registry value: mostly REG_SZ as the host writes it, with
// or without its terminator, with an odd byte, a second terminator or text
// after an early one; else a string type it does not use (REG_EXPAND_SZ among
// them) or a type that is no string at all, holding the same bytes or a number.
inline RegistryValueData HostileRegistryValue(HostileRandom& random, const std::wstring& text) {
  RegistryValueData value;
  const char* utf16 = reinterpret_cast<const char*>(text.c_str());
  const std::string units(utf16, text.size() * sizeof(wchar_t));
  const std::string nul(2, '\0');
  switch (random.Below(6)) {
    case 0:
    case 1:
      value.bytes = units + nul;
      value.form = "terminated";
      break;
    case 2:
      value.bytes = units;
      value.form = "without terminator";
      break;
    case 3:
      switch (random.Below(3)) {
        case 0:
          value.bytes = units + nul + nul;
          value.form = "two terminators";
          break;
        case 1:
          value.bytes = units + nul + std::string(utf16, std::min<size_t>(text.size(), 3) * sizeof(wchar_t));
          value.form = "text after the terminator";
          break;
        default:
          value.bytes = units + std::string(1, random.OneIn(2) ? '\0' : 'x');
          value.form = "odd byte count";
          break;
      }
      break;
    case 4:
      value.bytes = units + nul;
      value.type =
          random.Pick<DWORD>({REG_EXPAND_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_NONE, REG_LINK, 0x7fff});
      if (value.type == REG_MULTI_SZ) value.bytes += nul;
      value.form = "another type, the same text";
      break;
    default: {
      value.type = random.Pick<DWORD>({REG_DWORD, REG_QWORD, REG_DWORD_BIG_ENDIAN, REG_BINARY});
      const uint64_t number = random.Pick<uint64_t>({0, 1, 0x30, 0x0030, random.Next()});
      value.bytes.assign(reinterpret_cast<const char*>(&number), value.type == REG_QWORD ? 8 : 4);
      value.form = "a number";
      break;
    }
  }
  return value;
}

// What a read of a REG_SZ setting into a buffer of bufferBytes must make of a
// value: only REG_SZ counts, and it counts whole (up to its first terminator,
// with a terminator added when it has none) or not at all. A value with an odd
// byte count may be read with or without its last byte as one more unit, or
// not at all; it never yields anything else.
struct ExpectedStringRead {
  enum Outcome { kText, kFails, kTextOrFails } outcome = kFails;
  std::wstring text;       // up to the first terminator
  std::wstring otherText;  // odd byte counts: the text with the last byte as one more unit
};

inline ExpectedStringRead ExpectStringRead(const RegistryValueData& value, size_t bufferBytes) {
  ExpectedStringRead expected;
  if (value.type != REG_SZ) return expected;
  const size_t units = value.bytes.size() / sizeof(wchar_t);
  std::wstring data(units, L'\0');
  memcpy(data.data(), value.bytes.data(), units * sizeof(wchar_t));
  const bool terminated = units > 0 && data.back() == L'\0';
  const size_t needed = (units + (terminated ? 0 : 1)) * sizeof(wchar_t);
  expected.text = data.substr(0, data.find(L'\0'));
  if (value.bytes.size() % 2 != 0) {
    const std::wstring longer = data + static_cast<wchar_t>(static_cast<unsigned char>(value.bytes.back()));
    expected.otherText = longer.substr(0, longer.find(L'\0'));
    expected.outcome = needed + sizeof(wchar_t) <= bufferBytes ? ExpectedStringRead::kTextOrFails
                                                                : ExpectedStringRead::kFails;
  } else {
    expected.otherText = expected.text;
    expected.outcome = needed <= bufferBytes ? ExpectedStringRead::kText : ExpectedStringRead::kFails;
  }
  return expected;
}

// What a host may write as the language: real codes in any case and with "_",
// codes around the 84-character limit, text of every hostile kind (controls,
// lone surrogates, non-characters) and text far longer than any code.
inline std::wstring HostileLocaleText(HostileRandom& random) {
  switch (random.Below(5)) {
    case 0: {
      std::wstring code = random.PickFrom(kLocaleCodes);
      for (wchar_t& c : code) {
        if (random.OneIn(3) && ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'))) c ^= 0x20;
        if (c == L'-' && random.OneIn(2)) c = L'_';
      }
      return code;
    }
    case 1: {
      // Drawn one after the other: as arguments of one call their order would be unspecified.
      const size_t length = random.NearBound({0, 1, 2, 3, 4, 83, 84, 85, 86});
      return random.HostileText(length, random.Pick<size_t>({1, 3, 20}));
    }
    case 2: {
      std::wstring code = random.Pick<const wchar_t*>({L"de-", L"es-", L"zh-", L"fil-", L"pt_", L"xx-"});
      return code + std::wstring(random.NearBound({81, 82, 83, 84}) - code.size() + 2, L'x');
    }
    case 3:
      return random.HostileText(random.Between(100, random.OneIn(10) ? 40000 : 400));
    default:
      return random.Pick<const wchar_t*>({L"", L"-", L"_", L"es", L"es-", L"-DE", L"de-", L"\xd800", L"\xdc00-DE",
                                          L"de-\xd800", L"\xfeff" L"de-DE", L"de-DE ", L" de-DE", L"de-DE\n"});
  }
}

// What a host may write to switch the menu: "0" most of all, and texts next to
// it (other digits, blanks, several zeros) up to and past the 8-unit buffer.
inline std::wstring HostileMenuText(HostileRandom& random) {
  switch (random.Below(4)) {
    case 0:
      return L"0";
    case 1:
      return random.Pick<const wchar_t*>({L"", L"00", L" 0", L"0 ", L"1", L"off", L"\xff10", L"0\n", L"O", L"-0",
                                          L"0000000", L"00000000", L"0\xd800", L"\xdc00"});
    case 2:
      return L"0" + random.HostileText(random.NearBound({1, 6, 7, 8}), 2);
    default:
      return random.HostileText(random.NearBound({1, 7, 8, 9, 100}), 2);
  }
}

inline LSTATUS WriteRegistryValue(const wchar_t* key, const wchar_t* name, const RegistryValueData& value) {
  return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, value.type, value.bytes.data(),
                         static_cast<DWORD>(value.bytes.size()));
}

// Keeps a per-user value as it was before the test (or its absence) and puts it back.
class SavedRegistryValue {
 public:
  SavedRegistryValue(const wchar_t* key, const wchar_t* name) : key_(key), name_(name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExW(opened, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      bytes_.resize(size);
      existed_ = RegQueryValueExW(opened, name, nullptr, &type_, reinterpret_cast<BYTE*>(bytes_.data()), &size) ==
                 ERROR_SUCCESS;
      bytes_.resize(size);
    }
    RegCloseKey(opened);
  }
  ~SavedRegistryValue() {
    if (existed_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, key_, name_, type_, bytes_.data(), static_cast<DWORD>(bytes_.size()));
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, key_, name_);
    }
  }
  SavedRegistryValue(const SavedRegistryValue&) = delete;
  SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

 private:
  const wchar_t* key_;
  const wchar_t* name_;
  bool existed_ = false;
  DWORD type_ = REG_NONE;
  std::vector<char> bytes_;
};
