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
#include "animation/animation.h"
#include "display/display.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "shell/shell.h"

static_assert(maxDisplayRecords <= maxCoverWindows + 1, "the known monitor list holds every monitor a picture is made for");

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

// Registered once for the run: a registration that finds the class already there serves too.
bool RegisterViewClass() {
  WNDCLASSA viewClass = {};
  viewClass.lpfnWndProc = MonitorViewProc;
  viewClass.hInstance = shell.instance;
  viewClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  viewClass.lpszClassName = viewClassName;
  return RegisterClassA(&viewClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
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

// Fills monitors with the desktop's monitors and devices with their DirectDraw devices when
// several monitors draw; returns how many devices, 0 when the saver window alone draws.
int ListDrawingDevices(RECT* monitors, int& monitorCount, MonitorDevice* devices) {
  monitorCount = 0;
  if (shell.previewMode || Settings.allMonitors == 0) return 0;
  monitorCount = ListDesktop(monitors);
  if (monitorCount < 2) return 0;
  const int deviceCount = platform.ListMonitorDevices(devices, maxDisplayRecords);
  return deviceCount > maxDisplayRecords ? maxDisplayRecords : deviceCount;
}

// The saver window's record, ready for its bring-up: windowed over the primary monitor when
// several draw, else the saver window's own, full screen where the system grants it unless
// windowed is set. After a change of the desktop the picture stays windowed: Wine keeps the
// display mode it knew at the start for the exclusive level and sizes the window to it.
void PrepareMainRecord(HWND saver, const RECT* monitors, const MonitorDevice* devices, int deviceCount, bool windowed) {
  if (deviceCount < 1) {
    DeviceState = NewDeviceState();
    DeviceState.window = saver;
    if (windowed) DeviceState.fullScreen = 0;
    return;
  }
  // The saver window covers the primary monitor, which the list gives first.
  const RECT& main = monitors[0];
  MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, FALSE);
  PrepareWindowedRecord(DeviceState, devices, deviceCount, DeviceOfMonitor(devices, deviceCount, main), saver, true);
}

// A record no view window holds, for a new view; null when all are taken.
DeviceStateRecord* FreeViewRecord() {
  for (int i = 1; i < saverDesktop.viewCount; ++i) {
    if (!displayRecords[i].window) return &displayRecords[i];
  }
  return saverDesktop.viewCount < maxDisplayRecords ? &displayRecords[saverDesktop.viewCount++] : nullptr;
}

// A view window, black at once, over each monitor after the first that has a device of its
// own and no view yet; its record waits for BringUpWaitingDisplays. A monitor without a
// device gets a cover instead (CoverOtherMonitors).
void OpenViews(HWND saver, const RECT* monitors, int monitorCount, const MonitorDevice* devices, int deviceCount) {
  if (deviceCount < 1 || !RegisterViewClass()) return;
  for (int i = 1; i < monitorCount; ++i) {
    const MonitorDevice* device = DeviceOfMonitor(devices, deviceCount, monitors[i]);
    if (!device || MonitorHasView(monitors[i])) continue;
    DeviceStateRecord* record = FreeViewRecord();
    if (!record) return;
    HWND view = OpenViewWindow(saver, monitors[i]);
    if (!view) continue;
    PrepareWindowedRecord(*record, devices, deviceCount, device, view, false);
  }
}

// Each view's own teardown runs as its window goes (MonitorViewProc).
void CloseViewsOffDesktop(const RECT* monitors, int count) {
  for (int i = 1; i < saverDesktop.viewCount; ++i) {
    RECT placed;
    HWND view = displayRecords[i].window;
    if (view && (!GetWindowRect(view, &placed) || !IsMonitorBesidePrimary(placed, monitors, count))) DestroyWindow(view);
  }
  while (saverDesktop.viewCount > 1 && !displayRecords[saverDesktop.viewCount - 1].window) --saverDesktop.viewCount;
}

// Brings up every record whose window waits for its picture; a failed bring-up is logged
// there and leaves its monitor black while the others draw on. A full-screen bring-up may
// itself change the display mode, which is no change of the user's.
void BringUpWaitingDisplays() {
  bool fullScreen = false;
  for (int i = 0; i < saverDesktop.viewCount; ++i) {
    DeviceStateRecord& record = displayRecords[i];
    if (!record.window || record.deviceStatus != 0) continue;
    BringUpDisplay(record, record.window, Settings, animation);
    if (record.fullScreen) fullScreen = true;
  }
  if (fullScreen) RememberDesktop();
}

}  // namespace

void BringUpDisplays(HWND saver) {
  saverDesktop.viewCount = 1;
  RECT monitors[maxDisplayRecords];
  MonitorDevice devices[maxDisplayRecords];
  int monitorCount = 0;
  const int deviceCount = ListDrawingDevices(monitors, monitorCount, devices);
  PrepareMainRecord(saver, monitors, devices, deviceCount, false);
  OpenViews(saver, monitors, monitorCount, devices, deviceCount);
  BringUpWaitingDisplays();
  RememberDesktop();
}

void RememberDesktop() {
  RECT monitors[maxDisplayRecords];
  // Taken after the bring-up, whose own display mode change must not count as the user's.
  RememberMonitors(monitors, shell.previewMode ? 0 : ListDesktop(monitors));
  saverDesktop.desktopChanged = 0;
  saverDesktop.lastDesktopLook = GetTickCount();
}

bool IsMonitorBesidePrimary(const RECT& area, const RECT* monitors, int count) {
  for (int i = 1; i < count; ++i) {
    if (EqualRect(&monitors[i], &area)) return true;
  }
  return false;
}

bool DesktopDiffers() {
  if (shell.previewMode || saverDesktop.knownMonitorCount == 0) return false;
  RECT monitors[maxDisplayRecords];
  const int count = ListDesktop(monitors);
  return count >= 1 && !SameMonitors(monitors, count);
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
  BringUpWaitingDisplays();
  const DWORD now = GetTickCount();
  if (!saverDesktop.desktopChanged && ElapsedTicks(saverDesktop.lastDesktopLook, now) < desktopLookTicks) return;
  saverDesktop.desktopChanged = 0;
  saverDesktop.lastDesktopLook = now;
  RECT monitors[maxDisplayRecords];
  const int count = ListDesktop(monitors);
  if (count < 1 || SameMonitors(monitors, count)) return;
  // A cursor travel waiting for its tick came with this change, not from the user.
  ExcuseTravelForChange(now);

  const bool mainChanged = !EqualRect(&monitors[0], &saverDesktop.knownMonitors[0]) ||
                           (count > 1) != (saverDesktop.knownMonitorCount > 1);
  CloseViewsOffDesktop(monitors, count);
  RemoveCoversOffDesktop(monitors, count);
  RECT drawn[maxDisplayRecords];
  MonitorDevice devices[maxDisplayRecords];
  int drawnCount = 0;
  const int deviceCount = ListDrawingDevices(drawn, drawnCount, devices);
  if (mainChanged) {
    TearDownDisplay(DeviceState, saver);
    const RECT& main = monitors[0];
    MoveWindow(saver, main.left, main.top, main.right - main.left, main.bottom - main.top, TRUE);
    PrepareMainRecord(saver, drawn, devices, deviceCount, true);
  }
  OpenViews(saver, drawn, drawnCount, devices, deviceCount);
  CoverOtherMonitors(saver);
  RememberMonitors(monitors, count);
  // The system may move the cursor as the monitors change; that is no travel of the user's.
  POINT position;
  if (platform.GetCursorPos(&position)) shell.savedCursorPos = position;
}

// The clock moves on once a tick, just before the first picture that can draw, so that a
// tick where none can leaves it alone; every picture of the tick shows that one frame.
int PresentFrames() {
  int drawn = 0;
  for (int i = 0; i < saverDesktop.viewCount; ++i) {
    DeviceStateRecord& record = displayRecords[i];
    if (!record.window || !PrepareFrame(record, record.window, Settings, animation)) continue;
    if (!drawn) AdvanceAnimation(animation);
    drawn = 1;
    PresentFrame(record, record.window, Settings, animation);
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
