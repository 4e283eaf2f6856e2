// The saver's pictures: the saver window's own and, with several monitors, a window and a display record for each further one.
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
#include "display/display.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "shell/shell.h"

namespace {

const char viewClassName[] = "VykMonitorView";

// How often a tick compares the monitor list when no WM_DISPLAYCHANGE has come: half a
// second, so that with the bring-up a changed monitor shows its picture within a second.
constexpr DWORD desktopLookTicks = 500;

// The monitor's own device, found by its rectangle; null when the enumeration has none.
const MonitorDevice* DeviceOfMonitor(const MonitorDevice* devices, int count, const RECT& area) {
  for (int i = 0; i < count; ++i) {
    if (EqualRect(&devices[i].area, &area)) return &devices[i];
  }
  return nullptr;
}

// True when another monitor of the list reports the same GUID: then it names no device
// of one monitor. Wine 8 does that: every monitor gets one GUID, which DirectDrawCreate
// ignores, and the primary surface covers the primary monitor alone.
bool SharedGuid(const MonitorDevice* devices, int count, const MonitorDevice* device) {
  for (int i = 0; i < count; ++i) {
    if (&devices[i] != device && IsEqualGUID(devices[i].driverGuid, device->driverGuid)) return true;
  }
  return false;
}

// A record drawn windowed through device, whose front surface starts at its monitor's
// corner. Without a device of its own a monitor is drawn through the active display
// driver, whose primary surface is the main monitor's: a further monitor then gets its
// frames by GDI, which spans the whole desktop.
void PrepareWindowedRecord(DeviceStateRecord& record, const MonitorDevice* devices, int count,
                           const MonitorDevice* device, HWND window, bool mainMonitor) {
  record = NewDeviceState();
  record.fullScreen = 0;
  record.window = window;
  if (device && !SharedGuid(devices, count, device)) {
    record.driverGuid = device->driverGuid;
    record.hasDriverGuid = 1;
    record.surfaceOrigin.x = device->area.left;
    record.surfaceOrigin.y = device->area.top;
  } else if (!mainMonitor) {
    record.gdiCopy = 1;
  }
}

HWND OpenViewWindow(HWND saver, const RECT& area) {
  HWND view = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, viewClassName, "", WS_POPUP,
                              area.left, area.top, area.right - area.left, area.bottom - area.top, saver, nullptr,
                              shell.instance, nullptr);
  if (!view) return nullptr;
  // Shown without activation, so the saver window keeps the foreground and the keyboard.
  SetWindowPos(view, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return view;
}

bool RegisterViewClass() {
  WNDCLASSA viewClass = {};
  viewClass.lpfnWndProc = MonitorViewProc;
  viewClass.hInstance = shell.instance;
  viewClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  viewClass.lpszClassName = viewClassName;
  return RegisterClassA(&viewClass) != 0;
}

// Fills monitors with the desktop's monitors, primary first; returns how many.
int ListDesktop(RECT* monitors) {
  int count = platform.ListMonitors(monitors, maxDisplayRecords);
  return count > maxDisplayRecords ? maxDisplayRecords : count;
}

bool SameMonitors(const RECT* monitors, int count) {
  if (count != saverDesktop.knownMonitorCount) return false;
  for (int i = 0; i < count; ++i) {
    if (!EqualRect(&monitors[i], &saverDesktop.knownMonitors[i])) return false;
  }
  return true;
}

void RememberMonitors(const RECT* monitors, int count) {
  for (int i = 0; i < count; ++i) saverDesktop.knownMonitors[i] = monitors[i];
  saverDesktop.knownMonitorCount = count;
}

// A preview child keeps its host's client size; a new size gets a picture made for it.
void FollowHost(HWND preview) {
  HWND host = GetParent(preview);
  RECT wanted = {0, 0, 0, 0};
  RECT current = {0, 0, 0, 0};
  if (!host || !GetClientRect(host, &wanted) || !GetClientRect(preview, &current)) return;
  if (wanted.right == current.right && wanted.bottom == current.bottom) return;
  MoveWindow(preview, 0, 0, wanted.right, wanted.bottom, TRUE);
  TearDownDisplay(DeviceState, preview);
  BringUpDisplays(preview);
}

}  // namespace

void BringUpDisplays(HWND saver) {
  DeviceState = NewDeviceState();
  DeviceState.window = saver;
  saverDesktop.viewCount = 1;
  RECT monitors[maxDisplayRecords];
  MonitorDevice devices[maxDisplayRecords];
  int monitorCount = 0;
  int deviceCount = 0;
  if (!shell.previewMode && Settings.allMonitors != 0) {
    monitorCount = platform.ListMonitors(monitors, maxDisplayRecords);
    if (monitorCount > maxDisplayRecords) monitorCount = maxDisplayRecords;
    if (monitorCount > 1) deviceCount = platform.ListMonitorDevices(devices, maxDisplayRecords);
    if (deviceCount > maxDisplayRecords) deviceCount = maxDisplayRecords;
  }
  if (monitorCount < 2 || deviceCount < 1) {
    BringUpDisplay(DeviceState, saver);
    RememberDesktop();
    return;
  }

  // The saver window covers the primary monitor, which the list gives first.
  const RECT& main = monitors[0];
  MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, FALSE);
  PrepareWindowedRecord(DeviceState, devices, deviceCount, DeviceOfMonitor(devices, deviceCount, monitors[0]), saver, true);
  BringUpDisplay(DeviceState, saver);
  if (!RegisterViewClass()) return;
  for (int i = 1; i < monitorCount; ++i) {
    // A monitor without a device of its own gets a cover instead (FitToDesktop).
    const MonitorDevice* device = DeviceOfMonitor(devices, deviceCount, monitors[i]);
    if (!device) continue;
    HWND view = OpenViewWindow(saver, monitors[i]);
    if (!view) continue;
    DeviceStateRecord& record = displayRecords[saverDesktop.viewCount++];
    PrepareWindowedRecord(record, devices, deviceCount, device, view, false);
    // A failed bring-up is logged there and leaves this monitor black; the others draw on.
    BringUpDisplay(record, view);
  }
  RememberDesktop();
}

void RememberDesktop() {
  RECT monitors[maxDisplayRecords];
  // Taken after the bring-up, whose own display mode change must not count as the user's.
  RememberMonitors(monitors, shell.previewMode ? 0 : ListDesktop(monitors));
  saverDesktop.desktopChanged = 0;
  saverDesktop.lastDesktopLook = GetTickCount();
}

void FollowDesktop(HWND saver) {
  if (shell.previewMode) {
    FollowHost(saver);
    return;
  }
  const DWORD now = GetTickCount();
  if (!saverDesktop.desktopChanged && ElapsedTicks(saverDesktop.lastDesktopLook, now) < desktopLookTicks) return;
  saverDesktop.desktopChanged = 0;
  saverDesktop.lastDesktopLook = now;
  RECT monitors[maxDisplayRecords];
  const int count = ListDesktop(monitors);
  if (count < 1 || SameMonitors(monitors, count)) return;

  TearDownDisplays(saver);
  RemoveCovers();
  const RECT& main = monitors[0];
  MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, FALSE);
  BringUpDisplays(saver);
  CoverOtherMonitors(saver);
  // A monitor that went away may have moved the cursor; that is no travel of the user's.
  POINT position;
  if (platform.GetCursorPos(&position)) shell.savedCursorPos = position;
}

int PresentFrames() {
  int drawn = 0;
  for (int i = 0; i < saverDesktop.viewCount; ++i) {
    DeviceStateRecord& record = displayRecords[i];
    if (!record.window) continue;
    // The first picture drawn in a tick moves the clock on; the others show the same frame.
    if (PresentFrame(record, record.window, drawn ? 0 : 1)) drawn = 1;
  }
  return drawn;
}

void TearDownDisplays(HWND saver) {
  // Each view's own teardown runs as its window goes (MonitorViewProc).
  for (int i = 1; i < saverDesktop.viewCount; ++i) {
    if (displayRecords[i].window) DestroyWindow(displayRecords[i].window);
  }
  TearDownDisplay(DeviceState, saver);
  DeviceState.window = nullptr;
  saverDesktop.viewCount = 1;
  UnregisterClassA(viewClassName, shell.instance);
}

bool MonitorHasView(const RECT& area) {
  for (int i = 1; i < saverDesktop.viewCount; ++i) {
    RECT placed;
    if (displayRecords[i].window && GetWindowRect(displayRecords[i].window, &placed) && EqualRect(&placed, &area)) {
      return true;
    }
  }
  return false;
}

// Input takes the covers' path to the saver window; the record goes with its window.
LRESULT CALLBACK MonitorViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    for (int i = 1; i < saverDesktop.viewCount; ++i) {
      DeviceStateRecord& record = displayRecords[i];
      if (record.window != window) continue;
      TearDownDisplay(record, window);
      record.window = nullptr;
    }
  }
  return CoverWindowProc(window, message, wParam, lParam);
}
