// The platform seam's real defaults, and DirectDrawCreate looked up at run time.
#include "platform/platform.h"

#include "platform/system_version.h"

PlatformCalls platform = {
    RuntimeListMonitors,
    ::GetVersionExA, ::LoadLibraryA, ::GetProcAddress, ::FreeLibrary,
    RuntimeDirectDrawCreate, ::GetDeviceCaps, ::OutputDebugStringA, ::GetCursorPos,
    RuntimeRegisterPowerNotification, RuntimeUnregisterPowerNotification,
    RuntimeListMonitorDevices, RuntimeEnumDisplayDevices,
};

void ResetPlatform() {
  platform.ListMonitors = RuntimeListMonitors;
  platform.GetVersionExA = ::GetVersionExA;
  platform.LoadLibraryA = ::LoadLibraryA;
  platform.GetProcAddress = ::GetProcAddress;
  platform.FreeLibrary = ::FreeLibrary;
  platform.DirectDrawCreate = RuntimeDirectDrawCreate;
  platform.GetDeviceCaps = ::GetDeviceCaps;
  platform.OutputDebugStringA = ::OutputDebugStringA;
  platform.GetCursorPos = ::GetCursorPos;
  platform.RegisterPowerSettingNotification = RuntimeRegisterPowerNotification;
  platform.UnregisterPowerSettingNotification = RuntimeUnregisterPowerNotification;
  platform.ListMonitorDevices = RuntimeListMonitorDevices;
  platform.EnumDisplayDevicesA = RuntimeEnumDisplayDevices;
  ForgetSystemVersion();
}

HRESULT WINAPI RuntimeDirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer) {
  static DirectDrawCreateFn create;  // kept for the process: DDRAW.DLL is never freed once used
  if (!create) {
    if (out) *out = nullptr;
    HMODULE ddraw = platform.LoadLibraryA("DDRAW.DLL");
    if (!ddraw) return DDERR_GENERIC;
    create = reinterpret_cast<DirectDrawCreateFn>(reinterpret_cast<void*>(platform.GetProcAddress(ddraw, "DirectDrawCreate")));
    if (!create) {
      platform.FreeLibrary(ddraw);
      return DDERR_GENERIC;
    }
  }
  return create(driver, out, outer);
}

namespace {

// The system fills records of these sizes, told by their cbSize and cb.
static_assert(sizeof(MONITORINFOEXA) == 72, "GetMonitorInfoA's record with the display device's name");
static_assert(sizeof(DISPLAY_DEVICEA) == 424, "EnumDisplayDevicesA's record");

using RegisterPowerFn = HPOWERNOTIFY(WINAPI*)(HANDLE recipient, LPCGUID setting, DWORD flags);
using UnregisterPowerFn = BOOL(WINAPI*)(HPOWERNOTIFY notify);
using EnumDevicesFn = BOOL(WINAPI*)(LPCSTR device, DWORD index, PDISPLAY_DEVICEA info, DWORD flags);

// A USER32 export that older systems lack; null there.
FARPROC UserExport(const char* name) {
  HMODULE user = GetModuleHandleA("USER32.DLL");
  return user ? ::GetProcAddress(user, name) : nullptr;
}

// A monitor's rectangle, flags and display device's name; false when the system gives none.
bool ReadMonitorInfo(MonitorInfoFn monitorInfo, HMONITOR monitor, MONITORINFOEXA& info) {
  info = MONITORINFOEXA{};
  info.cbSize = sizeof(info);
  return monitorInfo && monitorInfo(monitor, &info);
}

// A mirroring driver (remote control, screen capture) copies what the other monitors show;
// the monitor some systems report for it, overlapping theirs, shows nothing of its own.
// The enumeration ends with FALSE past the last device; the bound keeps a driver that never
// says so from holding the saver.
bool IsMirroringDriver(const char* deviceName) {
  constexpr DWORD mostDisplayDevices = 64;
  if (!deviceName[0]) return false;
  for (DWORD index = 0; index < mostDisplayDevices; ++index) {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof(device);
    if (!platform.EnumDisplayDevicesA(nullptr, index, &device, 0)) return false;
    if (lstrcmpiA(device.DeviceName, deviceName) != 0) continue;
    return (device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0;
  }
  return false;
}

// What the enumeration callback fills; lives on the stack of RuntimeListMonitors.
struct MonitorList {
  RECT* rects;                // caller's array
  int capacity;               // its length
  int count;                  // rectangles filled so far
  bool primaryFound;          // the primary monitor already sits in rects[0]
  MonitorInfoFn monitorInfo;  // GetMonitorInfoA, or null when only the enumeration exists
};

// The enumeration runs to its end whatever the capacity, because the primary monitor may
// come last. A monitor whose information is unavailable is the primary when it holds the
// virtual screen's origin, which is the primary's top-left corner by definition.
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT bounds, LPARAM data) {
  MonitorList* list = reinterpret_cast<MonitorList*>(data);
  MONITORINFOEXA info;
  RECT area = *bounds;
  bool primary;
  if (ReadMonitorInfo(list->monitorInfo, monitor, info)) {
    if (IsMirroringDriver(info.szDevice)) return TRUE;
    area = info.rcMonitor;
    primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  } else {
    primary = PtInRect(&area, POINT{0, 0}) != FALSE;
  }
  bool full = list->count >= list->capacity;
  if (primary && !list->primaryFound) {
    list->primaryFound = true;
    // The monitor that held the first place moves to the end; in a full list it takes
    // the last place instead, and the monitor there is left out.
    int moved = full ? list->capacity - 1 : list->count++;
    if (moved > 0) list->rects[moved] = list->rects[0];
    list->rects[0] = area;
  } else if (!full) {
    list->rects[list->count++] = area;
  }
  return TRUE;
}

}  // namespace

HPOWERNOTIFY WINAPI RuntimeRegisterPowerNotification(HANDLE recipient, LPCGUID setting, DWORD flags) {
  RegisterPowerFn registerPower =
      reinterpret_cast<RegisterPowerFn>(reinterpret_cast<void*>(UserExport("RegisterPowerSettingNotification")));
  return registerPower ? registerPower(recipient, setting, flags) : nullptr;
}

BOOL WINAPI RuntimeUnregisterPowerNotification(HPOWERNOTIFY notify) {
  UnregisterPowerFn unregisterPower =
      reinterpret_cast<UnregisterPowerFn>(reinterpret_cast<void*>(UserExport("UnregisterPowerSettingNotification")));
  return unregisterPower ? unregisterPower(notify) : FALSE;
}

BOOL WINAPI RuntimeEnumDisplayDevices(LPCSTR device, DWORD index, PDISPLAY_DEVICEA info, DWORD flags) {
  EnumDevicesFn enumDevices =
      reinterpret_cast<EnumDevicesFn>(reinterpret_cast<void*>(UserExport("EnumDisplayDevicesA")));
  return enumDevices ? enumDevices(device, index, info, flags) : FALSE;
}

int RuntimeListMonitors(RECT* rects, int capacity) {
  // USER32 is loaded in every process that has a window; the exports are there from Windows 98 and 2000 on.
  EnumMonitorsFn enumMonitors = reinterpret_cast<EnumMonitorsFn>(reinterpret_cast<void*>(UserExport("EnumDisplayMonitors")));
  MonitorInfoFn monitorInfo = reinterpret_cast<MonitorInfoFn>(reinterpret_cast<void*>(UserExport("GetMonitorInfoA")));
  return ListMonitorsWith(enumMonitors, monitorInfo, rects, capacity);
}

int ListMonitorsWith(EnumMonitorsFn enumMonitors, MonitorInfoFn monitorInfo, RECT* rects, int capacity) {
  if (!rects || capacity < 1) return 0;
  MonitorList list = {rects, capacity, 0, false, monitorInfo};
  if (enumMonitors) enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  if (list.count > 0) return list.count;
  rects[0] = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return 1;
}

namespace {

// What the device enumeration fills; lives on the stack of RuntimeListMonitorDevices.
struct DeviceList {
  MonitorDevice* devices;     // caller's array
  int capacity;               // its length
  int count;                  // devices filled so far
  MonitorInfoFn monitorInfo;  // GetMonitorInfoA
};

// The null GUID stands for the primary display as a whole and has no monitor handle;
// only devices of one monitor each are taken.
BOOL WINAPI AddMonitorDevice(GUID* guid, LPSTR, LPSTR, LPVOID data, HMONITOR monitor) {
  DeviceList* list = static_cast<DeviceList*>(data);
  if (!guid || !monitor) return TRUE;
  if (list->count >= list->capacity) return FALSE;
  MONITORINFOEXA info;
  if (!ReadMonitorInfo(list->monitorInfo, monitor, info) || IsMirroringDriver(info.szDevice)) return TRUE;
  list->devices[list->count].driverGuid = *guid;
  list->devices[list->count].area = info.rcMonitor;
  ++list->count;
  return TRUE;
}

// Wine 8 gives every monitor one GUID, which DirectDrawCreate ignores: the object it makes
// has the primary monitor's surface whichever monitor asked. Every monitor of such a GUID
// is cleared at once, so that none of them keeps it.
void ClearSharedGuids(MonitorDevice* devices, int count) {
  const GUID none = {};
  for (int i = 0; i < count; ++i) {
    if (IsEqualGUID(devices[i].driverGuid, none)) continue;
    bool shared = false;
    for (int j = i + 1; j < count; ++j) {
      if (!IsEqualGUID(devices[j].driverGuid, devices[i].driverGuid)) continue;
      devices[j].driverGuid = none;
      shared = true;
    }
    if (shared) devices[i].driverGuid = none;
  }
}

}  // namespace

int RuntimeListMonitorDevices(MonitorDevice* devices, int capacity) {
  if (!devices || capacity < 1) return 0;
  HMODULE user = GetModuleHandleA("USER32.DLL");
  MonitorInfoFn monitorInfo =
      user ? reinterpret_cast<MonitorInfoFn>(reinterpret_cast<void*>(::GetProcAddress(user, "GetMonitorInfoA"))) : nullptr;
  if (!monitorInfo) return 0;
  HMODULE ddraw = platform.LoadLibraryA("DDRAW.DLL");
  if (!ddraw) return 0;
  EnumerateDevicesFn enumerate = reinterpret_cast<EnumerateDevicesFn>(
      reinterpret_cast<void*>(platform.GetProcAddress(ddraw, "DirectDrawEnumerateExA")));
  const int count = enumerate ? ListMonitorDevicesWith(enumerate, monitorInfo, devices, capacity) : 0;
  platform.FreeLibrary(ddraw);
  return count;
}

int ListMonitorDevicesWith(EnumerateDevicesFn enumerate, MonitorInfoFn monitorInfo, MonitorDevice* devices, int capacity) {
  if (!devices || capacity < 1) return 0;
  DeviceList list = {devices, capacity, 0, monitorInfo};
  enumerate(AddMonitorDevice, &list, DDENUM_ATTACHEDSECONDARYDEVICES);
  ClearSharedGuids(devices, list.count);
  return list.count;
}
