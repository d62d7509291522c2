#pragma once

#include <cstddef>

// The locales both front ends carry texts for. Row order decides every tie in
// SelectLocaleRow, so both text tables list exactly these codes in this order.
inline constexpr size_t kLocaleCount = 44;
inline constexpr const wchar_t* kLocaleCodes[kLocaleCount] = {
    L"en-US", L"ar-SA", L"bg-BG", L"bn-BD", L"cs-CZ",  L"da-DK", L"de-DE", L"el-GR", L"es-419",
    L"es-ES", L"et-EE", L"fa-IR", L"fi-FI", L"fil-PH", L"fr-FR", L"he-IL", L"hi-IN", L"hr-HR",
    L"hu-HU", L"id-ID", L"it-IT", L"ja-JP", L"ko-KR",  L"lt-LT", L"lv-LV", L"nb-NO", L"nl-NL",
    L"pl-PL", L"pt-BR", L"pt-PT", L"ro-RO", L"ru-RU",  L"sk-SK", L"sl-SI", L"sq-AL", L"sr-RS",
    L"sv-SE", L"sw-KE", L"th-TH", L"tr-TR", L"uk-UA",  L"vi-VN", L"zh-CN", L"zh-TW",
};
