// The monitor list: the saver window's picture and, on a desktop of several monitors, a view or a black cover over each further one.
//
// One monitor keeps the exclusive full-screen display with its flip. With several, and
// "Draw on every monitor" on, every monitor is drawn windowed at the normal cooperative
// level, as the preview is, each through its own DirectDraw device (the GUID
// DirectDrawEnumerateExA gives for that monitor): the saver window on the primary, a view
// window on each other. Its own device gives each monitor the graphics card that shows
// it; the exclusive level would hold one monitor in a mode the others cannot share, and
// Windows 8 and later emulate it anyway. Where the system cannot enumerate the monitors'
// devices (Windows 95, NT 4, DirectX 5 alone) the primary keeps the exclusive path and
// the others are covered, as is a monitor the enumeration does not report.
#include "animation/animation.h"
#include "display/display.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "shell/shell.h"

namespace {

// One class serves views and covers alike: black, input to the saver window.
const char monitorClassName[] = "VykMonitorWindow";

// How often a tick compares the monitor list when no WM_DISPLAYCHANGE has come: half a
// second, so that with the bring-up a changed monitor shows its picture within a second.
constexpr DWORD desktopLookTicks = 500;

// The desktop as the system reports it at one moment; lives on the stack of whoever reads it.
struct DesktopReport {
  RECT monitors[maxMonitors];          // the monitors' rectangles, primary first (ListDesktop)
  int monitorCount;                    // how many of monitors are filled; 0 in a preview
  MonitorDevice devices[maxMonitors];  // their DirectDraw devices, matched to monitors by rectangle (ListDrawingDevices)
  int deviceCount;                     // how many of devices are filled; 0 when the saver window alone draws
};

// Fills desktop's monitors; a preview has none beside its host.
void ListDesktop(DesktopReport& desktop) {
  desktop.monitorCount = 0;
  desktop.deviceCount = 0;
  if (shell.previewMode) return;
  const int count = platform.ListMonitors(desktop.monitors, maxMonitors);
  desktop.monitorCount = count > maxMonitors ? maxMonitors : count;
}

// Fills desktop's devices when several monitors draw; a look at the list alone, as every
// mouse move may take, does without the device enumeration.
void ListDrawingDevices(DesktopReport& desktop) {
  desktop.deviceCount = 0;
  if (Settings.allMonitors == 0 || desktop.monitorCount < 2) return;
  const int count = platform.ListMonitorDevices(desktop.devices, maxMonitors);
  desktop.deviceCount = count > maxMonitors ? maxMonitors : count;
}

// The monitor's device, found by its rectangle; null when the enumeration has none.
const MonitorDevice* DeviceOfMonitor(const DesktopReport& desktop, const RECT& area) {
  for (int i = 0; i < desktop.deviceCount; ++i) {
    if (EqualRect(&desktop.devices[i].area, &area)) return &desktop.devices[i];
  }
  return nullptr;
}

// The one rule for what each monitor shows. The saver window holds the first monitor's
// picture, or the preview's, beside which nothing is shown. When several monitors draw,
// each further one that the device list reports draws its own picture in a view; every
// other is covered black.
MonitorRole RoleOf(const DesktopReport& desktop, int index) {
  if (index == 0) return pictureRole;
  if (shell.previewMode) return noRole;
  return DeviceOfMonitor(desktop, desktop.monitors[index]) ? pictureRole : coverRole;
}

// The place of area among the monitors beside the primary; 0 when it is none of them.
int PlaceBesidePrimary(const RECT& area, const DesktopReport& desktop) {
  for (int i = 1; i < desktop.monitorCount; ++i) {
    if (EqualRect(&desktop.monitors[i], &area)) return i;
  }
  return 0;
}

// The record beside the first that was made for area; null when none was.
MonitorRecord* RecordOfArea(const RECT& area) {
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole && EqualRect(&saverMonitors[i].area, &area)) return &saverMonitors[i];
  }
  return nullptr;
}

bool HasMonitorsBesidePrimary() {
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole) return true;
  }
  return false;
}

// True when desktop is the one the records were made for: the same primary, and the same
// monitors beside it, each with its record. Two monitors of one rectangle (a mirror) share one.
bool SameDesktop(const DesktopReport& desktop) {
  if (!EqualRect(&desktop.monitors[0], &saverMonitors[0].area)) return false;
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole && !PlaceBesidePrimary(saverMonitors[i].area, desktop)) return false;
  }
  for (int i = 1; i < desktop.monitorCount; ++i) {
    if (!RecordOfArea(desktop.monitors[i])) return false;
  }
  return true;
}

// Registered once for the run: a registration that finds the class already there serves too.
bool RegisterMonitorClass() {
  WNDCLASSA monitorClass = {};
  monitorClass.lpfnWndProc = MonitorWindowProc;
  monitorClass.hInstance = shell.instance;
  monitorClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  monitorClass.lpszClassName = monitorClassName;
  return RegisterClassA(&monitorClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Opens the record of the monitor at index beside the primary: a window over it, black at
// once, which carries the record's address; for a picture, the display record, whose
// bring-up waits for BringUpWaitingDisplays. A picture whose record cannot be made is
// covered instead. The record keeps its area even when no window opens, so that the
// desktop is not taken as changed; the next change tries again.
void OpenMonitor(MonitorRecord& monitor, HWND saver, const DesktopReport& desktop, int index) {
  monitor.area = desktop.monitors[index];
  monitor.role = RoleOf(desktop, index);
  const RECT& area = monitor.area;
  if (!RegisterMonitorClass()) return;
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, monitorClassName, "", WS_POPUP,
                                area.left, area.top, area.right - area.left, area.bottom - area.top, saver, nullptr,
                                shell.instance, &monitor);
  if (!window) return;
  monitor.window = window;
  if (monitor.role == pictureRole) {
    monitor.display = OpenMonitorDisplay(*DeviceOfMonitor(desktop, area), false, window);
    if (!monitor.display) monitor.role = coverRole;
  }
  // Shown without activation, so the saver window keeps the foreground and the keyboard.
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Its window goes, and with it (MonitorWindowProc) its picture; the place is free again.
void CloseMonitor(MonitorRecord& monitor) {
  if (monitor.window) DestroyWindow(monitor.window);
  CloseDisplayRecord(monitor.display);
  monitor = MonitorRecord{};
}

// The saver window's record: windowed over the primary monitor when several draw, else the
// saver window's own picture, full screen where the system grants it unless windowed is
// set. After a change of the desktop the picture stays windowed: Wine keeps the display
// mode it knew at the start for the exclusive level and sizes the window to it.
void OpenSaverMonitor(HWND saver, const DesktopReport& desktop, bool windowed) {
  MonitorRecord& first = saverMonitors[0];
  first.area = desktop.monitorCount > 0 ? desktop.monitors[0] : RECT{0, 0, 0, 0};
  first.window = saver;
  first.role = RoleOf(desktop, 0);
  if (desktop.deviceCount < 1) {
    first.display = OpenWindowDisplay(saver, windowed ? 0 : 1);
    return;
  }
  // The saver window covers the primary monitor, which the list gives first.
  const RECT& main = first.area;
  MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, FALSE);
  const MonitorDevice* device = DeviceOfMonitor(desktop, main);
  const MonitorDevice noDevice = {{}, main};
  first.display = OpenMonitorDisplay(device ? *device : noDevice, true, saver);
}

// Closes the records beside the first whose monitor went away, whose role changed, or
// whose window could not be opened; the others keep their windows and pictures.
void CloseMonitorsOffDesktop(const DesktopReport& desktop) {
  for (int i = 1; i < maxMonitors; ++i) {
    MonitorRecord& monitor = saverMonitors[i];
    if (monitor.role == noRole) continue;
    const int place = PlaceBesidePrimary(monitor.area, desktop);
    if (!place || !monitor.window || monitor.role != RoleOf(desktop, place)) CloseMonitor(monitor);
  }
}

// Opens a record, in a free place, for every monitor beside the primary that has none.
void OpenMonitorsBesidePrimary(HWND saver, const DesktopReport& desktop) {
  for (int i = 1; i < desktop.monitorCount; ++i) {
    if (RecordOfArea(desktop.monitors[i])) continue;
    for (int place = 1; place < maxMonitors; ++place) {
      if (saverMonitors[place].role != noRole) continue;
      OpenMonitor(saverMonitors[place], saver, desktop, i);
      break;
    }
  }
}

// A full-screen bring-up may change the display mode itself, which is no change of the
// user's: the records beside the first are fitted to the desktop as it now is, and the
// saver window's picture stays.
void TakeDesktopAsItIs(HWND saver) {
  DesktopReport desktop;
  ListDesktop(desktop);
  if (desktop.monitorCount < 1 || SameDesktop(desktop)) return;
  saverMonitors[0].area = desktop.monitors[0];
  ListDrawingDevices(desktop);
  CloseMonitorsOffDesktop(desktop);
  OpenMonitorsBesidePrimary(saver, desktop);
}

// Brings up every picture whose window waits for it; a failed bring-up is logged there
// and leaves its monitor black while the others draw on.
void BringUpWaitingDisplays(HWND saver) {
  bool fullScreen = false;
  for (MonitorRecord& monitor : saverMonitors) {
    DeviceStateRecord* record = monitor.display;
    if (!record || !record->window || record->deviceStatus != 0) continue;
    BringUpDisplay(*record, record->window, Settings, animation);
    if (record->fullScreen) fullScreen = true;
  }
  if (fullScreen) TakeDesktopAsItIs(saver);
}

// A preview child keeps its host's client size; a new size gets a picture made for it.
void FollowHost(HWND preview) {
  HWND host = GetParent(preview);
  RECT wanted = {0, 0, 0, 0};
  RECT current = {0, 0, 0, 0};
  if (!host || !GetClientRect(host, &wanted) || !GetClientRect(preview, &current)) return;
  if (wanted.right == current.right && wanted.bottom == current.bottom) return;
  MoveWindow(preview, 0, 0, wanted.right, wanted.bottom, TRUE);
  TearDownDisplays(preview);
  BringUpDisplays(preview);
}

}  // namespace

void BringUpDisplays(HWND saver) {
  DesktopReport desktop;
  ListDesktop(desktop);
  ListDrawingDevices(desktop);
  OpenSaverMonitor(saver, desktop, false);
  OpenMonitorsBesidePrimary(saver, desktop);
  BringUpWaitingDisplays(saver);
  saverDesktop.desktopChanged = 0;
  saverDesktop.lastDesktopLook = GetTickCount();
}

bool DesktopDiffers() {
  if (shell.previewMode || saverMonitors[0].role == noRole) return false;
  DesktopReport desktop;
  ListDesktop(desktop);
  return desktop.monitorCount >= 1 && !SameDesktop(desktop);
}

// Monitors that stayed as they were keep their windows and pictures; one that went away
// loses its window, and with it its record; a new one is black at once under a view or a
// cover, and its picture comes up on the next tick, so that the slow bring-up never keeps
// the black off the screen. The saver window is fitted to a primary monitor whose place or
// size changed, and its own picture made anew, windowed, as it is when the saver goes from
// one monitor to several or back.
void FollowDesktop(HWND saver) {
  if (shell.previewMode) {
    FollowHost(saver);
    return;
  }
  BringUpWaitingDisplays(saver);
  const DWORD now = GetTickCount();
  if (!saverDesktop.desktopChanged && ElapsedTicks(saverDesktop.lastDesktopLook, now) < desktopLookTicks) return;
  saverDesktop.desktopChanged = 0;
  saverDesktop.lastDesktopLook = now;
  DesktopReport desktop;
  ListDesktop(desktop);
  if (desktop.monitorCount < 1 || SameDesktop(desktop)) return;
  // A cursor travel waiting for its tick came with this change, not from the user.
  ExcuseTravelForChange(now);

  const bool mainChanged = !EqualRect(&desktop.monitors[0], &saverMonitors[0].area) ||
                           (desktop.monitorCount > 1) != HasMonitorsBesidePrimary();
  ListDrawingDevices(desktop);
  CloseMonitorsOffDesktop(desktop);
  if (mainChanged) {
    CloseDisplayRecord(saverMonitors[0].display);
    const RECT& main = desktop.monitors[0];
    MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, TRUE);
    OpenSaverMonitor(saver, desktop, true);
  }
  OpenMonitorsBesidePrimary(saver, desktop);
  // The system may move the cursor as the monitors change; that is no travel of the user's.
  POINT position;
  if (platform.GetCursorPos(&position)) shell.savedCursorPos = position;
}

// The clock moves on once a tick, just before the first picture that can draw, so that a
// tick where none can leaves it alone; every picture of the tick shows that one frame.
int PresentFrames() {
  int drawn = 0;
  for (MonitorRecord& monitor : saverMonitors) {
    if (!monitor.display || !monitor.display->window) continue;
    DeviceStateRecord& record = *monitor.display;
    if (!PrepareFrame(record, record.window, Settings, animation)) continue;
    if (!drawn) AdvanceAnimation(animation);
    drawn = 1;
    PresentFrame(record, record.window, Settings, animation);
  }
  return drawn;
}

// The saver window itself is not the list's to close: its own loop ends with it.
void TearDownDisplays(HWND) {
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole) CloseMonitor(saverMonitors[i]);
  }
  CloseDisplayRecord(saverMonitors[0].display);
  saverMonitors[0] = MonitorRecord{};
  UnregisterClassA(monitorClassName, shell.instance);
}

// Only a window of the monitor class carries a record's address.
MonitorRecord* MonitorOfWindow(HWND window) {
  char className[sizeof(monitorClassName) + 1] = {};
  if (!window || !GetClassNameA(window, className, sizeof(className)) || lstrcmpA(className, monitorClassName) != 0) {
    return nullptr;
  }
  return reinterpret_cast<MonitorRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Input on a view or a cover takes the saver window's own path, so the first-tick rule,
// the password and the 200 ms rule apply alike; cursor travel is measured on the screen there.
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTA* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_DESTROY: {
      // The record's picture goes with its window, however the window came to be destroyed.
      MonitorRecord* monitor = MonitorOfWindow(window);
      if (monitor && monitor->window == window) {
        CloseDisplayRecord(monitor->display);
        monitor->display = nullptr;
        monitor->window = nullptr;
      }
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return 0;
    }
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
