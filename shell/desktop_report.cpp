// The desktop as the system reports it, and whether it is still the one the monitor records were made for.
#include "platform/platform.h"
#include "settings/settings.h"
#include "shell/monitor_list.h"
#include "shell/shell.h"

namespace {

// True when area meets a monitor desktop already holds.
bool MeetsListedMonitor(const DesktopReport& desktop, const RECT& area) {
  for (int i = 0; i < desktop.monitorCount; ++i) {
    RECT common;
    if (IntersectRect(&common, &desktop.monitors[i], &area)) return true;
  }
  return false;
}

}  // namespace

// A monitor whose rectangle meets one listed before it shows that one's picture already:
// a mirror of the same rectangle shares its record, and a pseudo-monitor overlapping it
// (some drivers report one over the whole desktop) gets no window, which would lie over
// that picture.
void ListDesktop(DesktopReport& desktop) {
  desktop.monitorCount = 0;
  desktop.deviceCount = 0;
  if (shell.previewMode) return;
  RECT listed[maxMonitors];
  const int count = platform.ListMonitors(listed, maxMonitors);
  for (int i = 0; i < count && i < maxMonitors; ++i) {
    if (!MeetsListedMonitor(desktop, listed[i])) desktop.monitors[desktop.monitorCount++] = listed[i];
  }
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

// Where the device list names no device of the monitor's own (none listed, or Wine's one
// GUID for all, which the platform turns into the null GUID), the rectangle alone decides.
bool IsMonitorOf(const MonitorRecord& monitor, const DesktopReport& desktop, int index) {
  const RECT& area = desktop.monitors[index];
  if (!EqualRect(&monitor.area, &area)) return false;
  const MonitorDevice* device = DeviceOfMonitor(desktop, area);
  const GUID none = {};
  return !device || IsEqualGUID(device->driverGuid, none) || IsEqualGUID(device->driverGuid, monitor.device);
}

// The place of the record's monitor among the monitors beside the primary; 0 when it is none of them.
int PlaceBesidePrimary(const MonitorRecord& monitor, const DesktopReport& desktop) {
  for (int i = 1; i < desktop.monitorCount; ++i) {
    if (IsMonitorOf(monitor, desktop, i)) return i;
  }
  return 0;
}

// The record beside the first that was made for the monitor at index; null when none was.
MonitorRecord* RecordOfMonitor(const DesktopReport& desktop, int index) {
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole && IsMonitorOf(saverMonitors[i], desktop, index)) return &saverMonitors[i];
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
// monitors beside it, each with its record.
bool SameDesktop(const DesktopReport& desktop) {
  if (!IsMonitorOf(saverMonitors[0], desktop, 0)) return false;
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole && !PlaceBesidePrimary(saverMonitors[i], desktop)) return false;
  }
  for (int i = 1; i < desktop.monitorCount; ++i) {
    if (!RecordOfMonitor(desktop, i)) return false;
  }
  return true;
}

bool DesktopDiffers() {
  if (shell.previewMode || saverMonitors[0].role == noRole) return false;
  DesktopReport desktop;
  ListDesktop(desktop);
  return desktop.monitorCount >= 1 && !SameDesktop(desktop);
}

