// The monitor list's own parts, shared by its files: the desktop report and its questions, the monitor window class.
#ifndef VYK_SHELL_MONITOR_LIST_H
#define VYK_SHELL_MONITOR_LIST_H

#include <windows.h>

#include "platform/platform.h"
#include "shell/shell.h"

// One class serves views and covers alike: black, input to the saver window.
inline constexpr char monitorClassName[] = "VykMonitorWindow";

// The desktop as the system reports it at one moment; lives on the stack of whoever reads it.
struct DesktopReport {
  RECT monitors[maxMonitors];          // the monitors' rectangles, primary first (ListDesktop)
  int monitorCount;                    // how many of monitors are filled; 0 in a preview
  MonitorDevice devices[maxMonitors];  // their DirectDraw devices, matched to monitors by rectangle (ListDrawingDevices)
  int deviceCount;                     // how many of devices are filled; 0 when the saver window alone draws
};

// Listing and comparing the desktop (desktop_report.cpp).
// Fills desktop's monitors, primary first, leaving out each that meets one listed before
// it; a preview has none beside its host.
void ListDesktop(DesktopReport& desktop);
// Fills desktop's devices when several monitors draw; a look at the list alone, as every
// mouse move may take, does without the device enumeration.
void ListDrawingDevices(DesktopReport& desktop);
// The monitor's device, found by its rectangle; null when the enumeration has none.
const MonitorDevice* DeviceOfMonitor(const DesktopReport& desktop, const RECT& area);
// What the monitor at index of desktop shows.
MonitorRole RoleOf(const DesktopReport& desktop, int index);
// True when the record was made for the monitor at index of desktop: the same rectangle
// and, where the device list names a device of that monitor's own, the device the record
// was opened for. A monitor unplugged may leave another of its size in its place.
bool IsMonitorOf(const MonitorRecord& monitor, const DesktopReport& desktop, int index);
// The place of the record's monitor among the monitors beside the primary; 0 when it is none of them.
int PlaceBesidePrimary(const MonitorRecord& monitor, const DesktopReport& desktop);
// The record beside the first that was made for the monitor at index; null when none was.
MonitorRecord* RecordOfMonitor(const DesktopReport& desktop, int index);
// True while a record beside the first is in use.
bool HasMonitorsBesidePrimary();
// True when desktop is the one the records were made for.
bool SameDesktop(const DesktopReport& desktop);

// The monitor window class (monitor_window.cpp).
// Registers the class for the run; true when it is there.
bool RegisterMonitorClass();

#endif
