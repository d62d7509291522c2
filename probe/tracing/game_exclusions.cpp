#include "probe/tracing/game_exclusions.h"

#include <cwchar>

const wchar_t* const kGameExclusions[kGameExclusionCount] = {
    // shell and system surfaces, our host and worker
    L"dwm.exe", L"explorer.exe", L"vantorel.exe", L"vantorelprobe.exe", L"searchhost.exe",
    L"startmenuexperiencehost.exe", L"shellexperiencehost.exe", L"textinputhost.exe",
    L"applicationframehost.exe", L"lockapp.exe", L"systemsettings.exe", L"taskmgr.exe",
    // browsers
    L"msedge.exe", L"msedgewebview2.exe", L"chrome.exe", L"firefox.exe", L"brave.exe", L"opera.exe",
    L"vivaldi.exe",
    // chat, music
    L"discord.exe", L"slack.exe", L"teams.exe", L"ms-teams.exe", L"spotify.exe",
    // launchers and stores
    L"steamwebhelper.exe", L"steam.exe", L"epicgameslauncher.exe", L"galaxyclient.exe", L"eadesktop.exe", L"battle.net.exe",
    L"ubisoftconnect.exe",
    // overlays, recorders, vendor control panels
    L"gamebar.exe", L"gamebarftserver.exe", L"xboxpcapp.exe", L"nvidia overlay.exe", L"nvcontainer.exe",
    L"nvidia app.exe", L"radeonsoftware.exe", L"amdrsserv.exe", L"igcctray.exe", L"obs64.exe", L"obs32.exe",
    // an editor, peripheral and tuning tools
    L"code.exe", L"logioptionsplus_agent.exe", L"logioptionsplus.exe", L"lghub.exe", L"lghub_agent.exe",
    L"razer synapse 3.exe", L"razer synapse service process.exe", L"icue.exe", L"armourycrate.exe",
    L"msiafterburner.exe", L"rtss.exe",
    // animated wallpapers
    L"wallpaper64.exe", L"wallpaper32.exe", L"lively.exe",
};

bool IsExcludedFromGames(const wchar_t* name) {
  for (const wchar_t* excluded : kGameExclusions) {
    if (wcscmp(name, excluded) == 0) return true;
  }
  return false;
}
