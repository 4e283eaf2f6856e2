// The full-screen saver on today's desktop: covers over the other monitors, display power notices, DPI-scaled travel.
#include "platform/platform.h"
#include "platform/system_version.h"
#include "shell/shell.h"

namespace {

const char coverClassName[] = "VykMonitorCover";

// The travel limit is scaled only for DPI values that displays really report; anything
// else is a broken answer and keeps the 96-DPI limit.
constexpr UINT baseDpi = 96;
constexpr UINT lowestDpi = 48;
constexpr UINT highestDpi = 1536;

// Room for the saver's own monitor and every cover.
constexpr int monitorCapacity = maxCoverWindows + 1;

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

void CoverMonitor(HWND saver, const RECT& area) {
  HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, coverClassName, "", WS_POPUP,
                               area.left, area.top, area.right - area.left, area.bottom - area.top, saver, nullptr,
                               shell.instance, nullptr);
  if (!cover) return;
  // Shown without activation, so the saver window keeps the foreground and the keyboard.
  SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  saverDesktop.coverWindows[saverDesktop.coverCount++] = cover;
}

}  // namespace

void FitToDesktop(HWND saver) {
  saverDesktop.travelLimit = CursorTravelLimit(WindowDpi(saver));
  CoverOtherMonitors(saver);

  saverDesktop.powerNotify =
      platform.RegisterPowerSettingNotification(saver, &DisplayPowerSetting(), DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CoverOtherMonitors(HWND saver) {
  RECT monitors[monitorCapacity];
  int count = platform.ListMonitors(monitors, monitorCapacity);
  if (count > monitorCapacity) count = monitorCapacity;
  // The saver window is on the primary monitor, which the list gives first; a further
  // monitor is covered unless it draws a picture of its own.
  if (count > 1) {
    WNDCLASSA coverClass = {};
    coverClass.lpfnWndProc = CoverWindowProc;
    coverClass.hInstance = shell.instance;
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = coverClassName;
    // Registered once for the run; a second registration fails and the first one serves.
    RegisterClassA(&coverClass);
    for (int i = 1; i < count && saverDesktop.coverCount < maxCoverWindows; ++i) {
      if (!MonitorHasView(monitors[i]) && !MonitorHasCover(monitors[i])) CoverMonitor(saver, monitors[i]);
    }
  }
}

void RemoveCovers() {
  for (int i = 0; i < saverDesktop.coverCount; ++i) {
    if (IsWindow(saverDesktop.coverWindows[i])) DestroyWindow(saverDesktop.coverWindows[i]);
    saverDesktop.coverWindows[i] = nullptr;
  }
  saverDesktop.coverCount = 0;
}

bool MonitorHasCover(const RECT& area) {
  for (int i = 0; i < saverDesktop.coverCount; ++i) {
    RECT placed;
    if (GetWindowRect(saverDesktop.coverWindows[i], &placed) && EqualRect(&placed, &area)) return true;
  }
  return false;
}

void RemoveCoversOffDesktop(const RECT* monitors, int count) {
  int kept = 0;
  for (int i = 0; i < saverDesktop.coverCount; ++i) {
    HWND cover = saverDesktop.coverWindows[i];
    RECT placed;
    if (GetWindowRect(cover, &placed) && IsMonitorBesidePrimary(placed, monitors, count)) {
      saverDesktop.coverWindows[kept++] = cover;
    } else if (IsWindow(cover)) {
      DestroyWindow(cover);
    }
  }
  for (int i = kept; i < saverDesktop.coverCount; ++i) saverDesktop.coverWindows[i] = nullptr;
  saverDesktop.coverCount = kept;
}

void LeaveDesktop() {
  RemoveCovers();
  UnregisterClassA(coverClassName, shell.instance);
  StopDisplayPowerWatch();
}

void StopDisplayPowerWatch() {
  if (!saverDesktop.powerNotify) return;
  platform.UnregisterPowerSettingNotification(saverDesktop.powerNotify);
  saverDesktop.powerNotify = nullptr;
}

// Input on a cover takes the saver window's own path, so the first-tick rule, the
// password and the 200 ms rule apply alike; cursor travel is measured on the screen there.
LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      HWND saver = GetWindow(window, GW_OWNER);
      if (saver) SendMessageA(saver, message, wParam, lParam);
      return 0;
    }
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
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
