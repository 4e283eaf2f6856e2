// The full-screen saver on today's desktop: display power notices, DPI-scaled travel.
#include "platform/platform.h"
#include "platform/system_version.h"
#include "shell/shell.h"

namespace {

// The travel limit is scaled only for DPI values that displays really report; anything
// else is a broken answer and keeps the 96-DPI limit.
constexpr UINT baseDpi = 96;
constexpr UINT lowestDpi = 48;
constexpr UINT highestDpi = 1536;

// GUID_CONSOLE_DISPLAY_STATE and GUID_MONITOR_POWER_ON, kept here so that no GUID library is needed.
const GUID consoleDisplayStateGuid = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID monitorPowerOnGuid = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

// The console display state is delivered from Windows 8 on; Vista and 7 announce the
// display's power only as the monitor's, whose 0 and 1 mean off and on alike.
const GUID& DisplayPowerSetting() {
  if (IsNtAtLeast(CurrentSystem(), 6, 0) && !IsNtAtLeast(CurrentSystem(), 6, 2)) return monitorPowerOnGuid;
  return consoleDisplayStateGuid;
}

using WindowDpiFn = UINT(WINAPI*)(HWND window);

// A USER32 export that older systems lack; null there.
FARPROC UserExport(const char* name) {
  HMODULE user = GetModuleHandleA("USER32.DLL");
  return user ? ::GetProcAddress(user, name) : nullptr;
}

}  // namespace

void FitToDesktop(HWND saver) {
  saverDesktop.travelLimit = CursorTravelLimit(WindowDpi(saver));
  saverDesktop.powerNotify =
      platform.RegisterPowerSettingNotification(saver, &DisplayPowerSetting(), DEVICE_NOTIFY_WINDOW_HANDLE);
}

// The monitor windows close with the saver window; this closes any that outlived it.
void LeaveDesktop() {
  TearDownDisplays(shell.saverWindow);
  StopDisplayPowerWatch();
}

void StopDisplayPowerWatch() {
  if (!saverDesktop.powerNotify) return;
  platform.UnregisterPowerSettingNotification(saverDesktop.powerNotify);
  saverDesktop.powerNotify = nullptr;
}

int ConsoleDisplayState(WPARAM wParam, LPARAM lParam) {
  if (wParam != PBT_POWERSETTINGCHANGE || !lParam) return -1;
  const POWERBROADCAST_SETTING* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  if (!IsEqualGUID(setting->PowerSetting, consoleDisplayStateGuid) && !IsEqualGUID(setting->PowerSetting, monitorPowerOnGuid)) {
    return -1;
  }
  if (setting->DataLength < 1) return -1;
  return setting->Data[0];
}

// A process the system scales for DPI is told 96 here and sees cursor positions scaled
// alike, so the travel stays in step with what GetCursorPos reports.
UINT WindowDpi(HWND window) {
  WindowDpiFn dpiForWindow = reinterpret_cast<WindowDpiFn>(reinterpret_cast<void*>(UserExport("GetDpiForWindow")));
  if (dpiForWindow) {
    UINT dpi = dpiForWindow(window);
    if (dpi) return dpi;
  }
  // On the Windows 95 family and NT 4 the travel stays at 4 pixels whatever the font size.
  if (CurrentSystem().major < 5) return baseDpi;
  HDC screen = GetDC(nullptr);
  if (!screen) return baseDpi;
  int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : baseDpi;
}

DWORD CursorTravelLimit(UINT dpi) {
  if (dpi < lowestDpi || dpi > highestDpi) return cursorTravelLimit;
  return (cursorTravelLimit * dpi + baseDpi / 2) / baseDpi;
}
