// The platform seam's real defaults, and DirectDrawCreate looked up at run time.
#include "platform/platform.h"

PlatformCalls platform = {
    RuntimeListMonitors,
    ::GetVersionExA, ::LoadLibraryA, ::GetProcAddress, ::FreeLibrary,
    RuntimeDirectDrawCreate, ::GetDeviceCaps, ::OutputDebugStringA, ::GetCursorPos,
    RuntimeListMonitorDevices,
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
  platform.ListMonitorDevices = RuntimeListMonitorDevices;
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

using EnumMonitorsFn = BOOL(WINAPI*)(HDC dc, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);
using MonitorInfoFn = BOOL(WINAPI*)(HMONITOR monitor, LPMONITORINFO info);

// What the enumeration callback fills; lives on the stack of RuntimeListMonitors.
struct MonitorList {
  RECT* rects;                // caller's array
  int capacity;               // its length
  int count;                  // rectangles filled so far
  MonitorInfoFn monitorInfo;  // GetMonitorInfoA, or null when only the enumeration exists
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT bounds, LPARAM data) {
  MonitorList* list = reinterpret_cast<MonitorList*>(data);
  if (list->count >= list->capacity) return FALSE;
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  bool primary = false;
  RECT area = *bounds;
  if (list->monitorInfo && list->monitorInfo(monitor, &info)) {
    area = info.rcMonitor;
    primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  }
  list->rects[list->count] = area;
  if (primary && list->count > 0) {
    list->rects[list->count] = list->rects[0];
    list->rects[0] = area;
  }
  ++list->count;
  return TRUE;
}

}  // namespace

int RuntimeListMonitors(RECT* rects, int capacity) {
  if (!rects || capacity < 1) return 0;
  // USER32 is loaded in every process that has a window; the exports are there from Windows 98 and 2000 on.
  HMODULE user = GetModuleHandleA("USER32.DLL");
  EnumMonitorsFn enumMonitors = nullptr;
  MonitorList list = {rects, capacity, 0, nullptr};
  if (user) {
    enumMonitors = reinterpret_cast<EnumMonitorsFn>(reinterpret_cast<void*>(::GetProcAddress(user, "EnumDisplayMonitors")));
    list.monitorInfo = reinterpret_cast<MonitorInfoFn>(reinterpret_cast<void*>(::GetProcAddress(user, "GetMonitorInfoA")));
  }
  if (enumMonitors) enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  if (list.count > 0) return list.count;
  rects[0] = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return 1;
}

namespace {

using EnumerateDevicesFn = HRESULT(WINAPI*)(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);

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
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!list->monitorInfo(monitor, &info)) return TRUE;
  list->devices[list->count].driverGuid = *guid;
  list->devices[list->count].area = info.rcMonitor;
  ++list->count;
  return TRUE;
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
  DeviceList list = {devices, capacity, 0, monitorInfo};
  if (enumerate) enumerate(AddMonitorDevice, &list, DDENUM_ATTACHEDSECONDARYDEVICES);
  platform.FreeLibrary(ddraw);
  return list.count;
}
