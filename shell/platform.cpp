// The platform seam's real defaults, and DirectDrawCreate looked up at run time.
#include "shell/platform.h"

PlatformCalls platform = {
    ::GetVersionExA, ::LoadLibraryA, ::GetProcAddress, ::FreeLibrary,
    RuntimeDirectDrawCreate, ::GetDeviceCaps, ::OutputDebugStringA, ::GetCursorPos,
};

void ResetPlatform() {
  platform.GetVersionExA = ::GetVersionExA;
  platform.LoadLibraryA = ::LoadLibraryA;
  platform.GetProcAddress = ::GetProcAddress;
  platform.FreeLibrary = ::FreeLibrary;
  platform.DirectDrawCreate = RuntimeDirectDrawCreate;
  platform.GetDeviceCaps = ::GetDeviceCaps;
  platform.OutputDebugStringA = ::OutputDebugStringA;
  platform.GetCursorPos = ::GetCursorPos;
}

HRESULT WINAPI RuntimeDirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer) {
  using CreateFn = HRESULT(WINAPI*)(GUID*, LPDIRECTDRAW*, IUnknown*);
  static CreateFn create;  // kept for the process: DDRAW.DLL is never freed once used
  if (!create) {
    if (out) *out = nullptr;
    HMODULE ddraw = platform.LoadLibraryA("DDRAW.DLL");
    if (!ddraw) return DDERR_GENERIC;
    create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(platform.GetProcAddress(ddraw, "DirectDrawCreate")));
    if (!create) {
      platform.FreeLibrary(ddraw);
      return DDERR_GENERIC;
    }
  }
  return create(driver, out, outer);
}
