// The monitor list's records opened, fitted to the desktop as it changes and closed, and the bring-up of the pictures waiting in them.
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
#include "shell/monitor_list.h"
#include "shell/shell.h"

namespace {

// How often a tick compares the monitor list when no WM_DISPLAYCHANGE has come: half a
// second, so that with the bring-up a changed monitor shows its picture within a second.
constexpr DWORD desktopLookTicks = 500;

// Opens the record of the monitor at index beside the primary: a window over it, black at
// once, which carries the record's address; for a picture, the display record, whose
// bring-up waits for BringUpWaitingDisplays. A picture whose record cannot be made is
// covered instead. The record keeps its area even when no window opens, so that the
// desktop is not taken as changed; the next change tries again.
void OpenMonitor(MonitorRecord& monitor, HWND saver, const DesktopReport& desktop, int index) {
  monitor.area = desktop.monitors[index];
  monitor.role = RoleOf(desktop, index);
  const RECT& area = monitor.area;
  const MonitorDevice* device = DeviceOfMonitor(desktop, area);
  monitor.device = device ? device->driverGuid : GUID{};
  if (!RegisterMonitorClass()) return;
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, monitorClassName, "", WS_POPUP,
                                area.left, area.top, area.right - area.left, area.bottom - area.top, saver, nullptr,
                                shell.instance, &monitor);
  if (!window) return;
  monitor.window = window;
  if (monitor.role == pictureRole) {
    monitor.display = OpenMonitorDisplay(*device, false, window);
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
  first.device = GUID{};
  if (desktop.deviceCount < 1) {
    first.display = OpenWindowDisplay(saver, windowed ? 0 : 1);
    return;
  }
  // The saver window covers the primary monitor, which the list gives first.
  const RECT& main = first.area;
  MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, FALSE);
  const MonitorDevice* device = DeviceOfMonitor(desktop, main);
  const MonitorDevice noDevice = {{}, main};
  if (device) first.device = device->driverGuid;
  first.display = OpenMonitorDisplay(device ? *device : noDevice, true, saver);
}

// Closes the records beside the first whose monitor went away, whose role changed, or
// whose window could not be opened; the others keep their windows and pictures.
void CloseMonitorsOffDesktop(const DesktopReport& desktop) {
  for (int i = 1; i < maxMonitors; ++i) {
    MonitorRecord& monitor = saverMonitors[i];
    if (monitor.role == noRole) continue;
    const int place = PlaceBesidePrimary(monitor, desktop);
    if (!place || !monitor.window || monitor.role != RoleOf(desktop, place)) CloseMonitor(monitor);
  }
}

// Opens a record, in a free place, for every monitor beside the primary that has none.
void OpenMonitorsBesidePrimary(HWND saver, const DesktopReport& desktop) {
  for (int i = 1; i < desktop.monitorCount; ++i) {
    if (RecordOfMonitor(desktop, i)) continue;
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

// A picture left down by a failed bring-up, in a window. A full-screen one is left down:
// tried again, it would switch the display mode at every look.
bool IsPictureDown(const MonitorRecord& monitor) {
  const DeviceStateRecord* record = monitor.display;
  return record && record->window && record->deviceStatus == 1 && !record->fullScreen;
}

bool HasPictureDown() {
  for (const MonitorRecord& monitor : saverMonitors) {
    if (IsPictureDown(monitor)) return true;
  }
  return false;
}

// Each picture still down is made afresh once; a failure is logged again and leaves it
// black until the next look.
void RetryPicturesDown() {
  for (MonitorRecord& monitor : saverMonitors) {
    if (!IsPictureDown(monitor)) continue;
    DeviceStateRecord& record = *monitor.display;
    TearDownDisplay(record, record.window);
    BringUpDisplay(record, record.window, Settings, animation);
  }
}

// Monitors that stayed as they were keep their windows and pictures; one that went away
// loses its window, and with it its record; a new one is black at once under a view or a
// cover, and its picture comes up on the next tick, so that the slow bring-up never keeps
// the black off the screen. The saver window is fitted to a primary monitor that changed
// place, size or device, and its own picture made anew, windowed, as it is when the saver
// goes from one monitor to several or back.
void FitRecordsToDesktop(HWND saver, const DesktopReport& desktop, DWORD now) {
  // A cursor travel waiting for its tick came with this change, not from the user.
  ExcuseTravelForChange(now);
  const bool mainChanged =
      !IsMonitorOf(saverMonitors[0], desktop, 0) || (desktop.monitorCount > 1) != HasMonitorsBesidePrimary();
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

// The device enumeration is left to the looks that need it: where the rectangles changed,
// or a picture is down, which is what a monitor whose device went leaves behind even when
// another monitor of its size took its place. A picture still down after the records are
// fitted is tried again there, once a look.
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
  if (desktop.monitorCount < 1) return;
  if (!HasPictureDown() && SameDesktop(desktop)) return;
  ListDrawingDevices(desktop);
  if (!SameDesktop(desktop)) FitRecordsToDesktop(saver, desktop, now);
  RetryPicturesDown();
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

