#pragma once

#include <cstddef>

// Programs that present but are never a game: the shell and system surfaces,
// our host and worker, browsers, chat and music, launchers and stores,
// overlays and recorders, vendor control panels, an editor and animated
// wallpapers.
constexpr size_t kGameExclusionCount = 56;
extern const wchar_t* const kGameExclusions[kGameExclusionCount];

// name is a lower-case image file name; only whole names match.
bool IsExcludedFromGames(const wchar_t* name);
