// The platform seam: the few system calls whose outcome tests must control.
#ifndef VYK_PLATFORM_PLATFORM_H
#define VYK_PLATFORM_PLATFORM_H

#include <windows.h>
#include <ddraw.h>

// DirectDrawCreate as DDRAW.DLL exports it.
typedef HRESULT(WINAPI* DirectDrawCreateFn)(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer);

// A monitor's DirectDraw device, as DirectDrawEnumerateExA reports it.
struct MonitorDevice {
  GUID driverGuid;  // the device of this monitor alone, for DirectDrawCreate; all zero (GUID_NULL) when the system names none of its own
  RECT area;        // its monitor's rectangle, virtual-screen coordinates (GetMonitorInfoA)
};

// Every field defaults to the real function (see ResetPlatform). Tests replace
// single fields and call ResetPlatform afterwards. Nothing else is routed here.
struct PlatformCalls {
  int (*ListMonitors)(RECT* rects, int capacity);               // monitor rectangles, primary first (RuntimeListMonitors)
  BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA info);          // OS version; decides the Windows 95 family paths
  HMODULE(WINAPI* LoadLibraryA)(LPCSTR name);                  // PASSWORD.CPL, MPR.DLL, DDRAW.DLL, DINPUT.DLL
  FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR name);  // exports of the libraries above
  BOOL(WINAPI* FreeLibrary)(HMODULE module);                    // pairs with LoadLibraryA
  DirectDrawCreateFn DirectDrawCreate;                         // bring-up's DirectDraw object
  int(WINAPI* GetDeviceCaps)(HDC dc, int index);               // display depth (BITSPIXEL)
  void(WINAPI* OutputDebugStringA)(LPCSTR text);               // runtime probe's notes
  BOOL(WINAPI* GetCursorPos)(LPPOINT point);                    // the saver window's cursor travel
  HPOWERNOTIFY(WINAPI* RegisterPowerSettingNotification)(HANDLE recipient, LPCGUID setting, DWORD flags);  // display power (RuntimeRegisterPowerNotification)
  BOOL(WINAPI* UnregisterPowerSettingNotification)(HPOWERNOTIFY notify);  // pairs with it (RuntimeUnregisterPowerNotification)
  int (*ListMonitorDevices)(MonitorDevice* devices, int capacity);  // per-monitor DirectDraw devices (RuntimeListMonitorDevices)
  BOOL(WINAPI* EnumDisplayDevicesA)(LPCSTR device, DWORD index, PDISPLAY_DEVICEA info, DWORD flags);  // display devices, for the mirroring drivers the monitor lists leave out (RuntimeEnumDisplayDevices)
};

extern PlatformCalls platform;

// Puts the real functions back into every field.
void ResetPlatform();

// Default of platform.DirectDrawCreate: resolves DirectDrawCreate from DDRAW.DLL on
// first use, so the saver starts on a system without DirectDraw. The library then
// stays loaded for the life of the process, because the objects it made may outlive
// any caller. Without the library or its export it returns DDERR_GENERIC and leaves
// *out null.
HRESULT WINAPI RuntimeDirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer);

// Defaults of the power notification fields: the USER32 functions of Windows Vista and
// later, looked up by name; where they are missing the registration returns null and the
// unregistration FALSE.
HPOWERNOTIFY WINAPI RuntimeRegisterPowerNotification(HANDLE recipient, LPCGUID setting, DWORD flags);
BOOL WINAPI RuntimeUnregisterPowerNotification(HPOWERNOTIFY notify);

// Default of platform.EnumDisplayDevicesA: USER32's EnumDisplayDevicesA, looked up by name;
// where it is missing (Windows 95, NT 4) it returns FALSE, and so names no display device.
BOOL WINAPI RuntimeEnumDisplayDevices(LPCSTR device, DWORD index, PDISPLAY_DEVICEA info, DWORD flags);

// Default of platform.ListMonitors: fills rects with up to capacity monitor rectangles in
// virtual-screen coordinates, the primary monitor first, and returns how many it filled.
// A monitor whose display device (GetMonitorInfoA's szDevice) platform.EnumDisplayDevicesA
// reports as a mirroring driver's is left out: it shows no picture of its own.
// EnumDisplayMonitors and GetMonitorInfoA are looked up in USER32 by name; where they are
// missing (Windows 95, NT 4) it reports the one screen, 0,0 to SM_CXSCREEN by SM_CYSCREEN.
int RuntimeListMonitors(RECT* rects, int capacity);

// EnumDisplayMonitors and GetMonitorInfoA as USER32 exports them.
typedef BOOL(WINAPI* EnumMonitorsFn)(HDC dc, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);
typedef BOOL(WINAPI* MonitorInfoFn)(HMONITOR monitor, LPMONITORINFO info);

// RuntimeListMonitors over the given functions, either of which may be null; tests hand
// in monitors in any order here. A monitor without information is the primary when it
// holds 0,0; the mirroring drivers are those platform.EnumDisplayDevicesA reports.
int ListMonitorsWith(EnumMonitorsFn enumMonitors, MonitorInfoFn monitorInfo, RECT* rects, int capacity);
// Default of platform.ListMonitorDevices: fills devices with up to capacity of the
// DirectDraw devices that DirectDrawEnumerateExA reports with DDENUM_ATTACHEDSECONDARYDEVICES
// for a monitor (a GUID and a monitor handle), but a mirroring driver's, and returns how
// many it filled. The enumeration comes with DirectX 6 on Windows 98, 2000 and later;
// DDRAW.DLL and the export are looked up by name, and without them (Windows 95, NT 4,
// DirectX 5) it returns 0.
int RuntimeListMonitorDevices(MonitorDevice* devices, int capacity);

// DirectDrawEnumerateExA as DDRAW.DLL exports it.
typedef HRESULT(WINAPI* EnumerateDevicesFn)(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);

// RuntimeListMonitorDevices over the given functions, which must not be null. A GUID that
// the enumeration gives more than one monitor names no device of one monitor: each of
// those monitors is listed with the null GUID, to be drawn through the active display driver.
int ListMonitorDevicesWith(EnumerateDevicesFn enumerate, MonitorInfoFn monitorInfo, MonitorDevice* devices, int capacity);

#endif
