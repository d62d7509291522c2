#pragma once

#include <windows.h>

// The one class this server serves; the host's installation registers it with Explorer.
// {57AB55CB-B27D-4D3B-9E6E-84CFC3393B92}
inline constexpr CLSID kServerClassId = {0x57ab55cb, 0xb27d, 0x4d3b, {0x9e, 0x6e, 0x84, 0xcf, 0xc3, 0x39, 0x3b, 0x92}};
