// The desktop as the system reports it, and whether it is still the one the monitor records were made for.
#include "platform/platform.h"
#include "settings/settings.h"
#include "shell/monitor_list.h"
#include "shell/shell.h"

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

bool DesktopDiffers() {
  if (shell.previewMode || saverMonitors[0].role == noRole) return false;
  DesktopReport desktop;
  ListDesktop(desktop);
  return desktop.monitorCount >= 1 && !SameDesktop(desktop);
}

