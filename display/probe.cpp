// DirectX runtime probe: the installed runtime classified into a version word.
#include <string.h>

#include "display/display.h"
#include "platform/platform.h"
#include "platform/system_version.h"

namespace {

// Runtime steps of the version word.
constexpr DWORD noDirectX = 0x000;
constexpr DWORD directDrawOnly = 0x100;
constexpr DWORD directDraw2Offered = 0x200;
constexpr DWORD directInputOffered = 0x300;
constexpr DWORD surface3Offered = 0x500;
constexpr DWORD fromVersionAlone = 0x501;

// Windows 95 builds above this one carry DirectX 5 or later as part of the system.
constexpr DWORD lastBuildToProbe = 1353;

void Note(const char* text) { platform.OutputDebugStringA(text); }

// Windows NT 4 has no DirectDraw worth probing: only DirectInput tells 3 from 2.
DWORD ProbeNt4() {
  HMODULE directInput = platform.LoadLibraryA("DINPUT.DLL");
  if (!directInput) {
    Note("Couldn't LoadLibrary DInput\r\n");
    return directDraw2Offered;
  }
  FARPROC create = platform.GetProcAddress(directInput, "DirectInputCreateA");
  platform.FreeLibrary(directInput);
  if (!create) {
    Note("Couldn't GetProcAddress DInputCreate\r\n");
    return directDraw2Offered;
  }
  return directInputOffered;
}

// The Windows 95 family up to build 1353: each interface that answers raises the word.
// Objects are released before the library that made them is freed, on every path. A
// call that fails yet hands back an object still has that object released.
DWORD ProbeWin95() {
  HMODULE ddraw = platform.LoadLibraryA("DDRAW.DLL");
  if (!ddraw) return noDirectX;
  DirectDrawCreateFn create =
      reinterpret_cast<DirectDrawCreateFn>(reinterpret_cast<void*>(platform.GetProcAddress(ddraw, "DirectDrawCreate")));
  if (!create) {
    platform.FreeLibrary(ddraw);
    Note("Couldn't LoadLibrary DDraw\r\n");
    return noDirectX;
  }

  IDirectDraw* directDraw = nullptr;
  HRESULT result = create(nullptr, &directDraw, nullptr);
  if (FAILED(result) || !directDraw) {
    ReleaseField(directDraw);
    platform.FreeLibrary(ddraw);
    Note("Couldn't create DDraw\r\n");
    return noDirectX;
  }

  IDirectDraw2* directDraw2 = nullptr;
  result = directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw2));
  ReleaseField(directDraw2);
  if (FAILED(result)) {
    directDraw->Release();
    platform.FreeLibrary(ddraw);
    Note("Couldn't QI DDraw2\r\n");
    return directDrawOnly;
  }

  HMODULE directInput = platform.LoadLibraryA("DINPUT.DLL");
  if (!directInput) {
    Note("Couldn't LoadLibrary DInput\r\n");
    directDraw->Release();
    platform.FreeLibrary(ddraw);
    return directDraw2Offered;
  }
  FARPROC inputCreate = platform.GetProcAddress(directInput, "DirectInputCreateA");
  platform.FreeLibrary(directInput);
  if (!inputCreate) {
    directDraw->Release();
    platform.FreeLibrary(ddraw);
    Note("Couldn't GetProcAddress DInputCreate\r\n");
    return directDraw2Offered;
  }

  if (FAILED(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) {
    directDraw->Release();
    platform.FreeLibrary(ddraw);
    Note("Couldn't Set coop level\r\n");
    return noDirectX;
  }

  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  result = directDraw->CreateSurface(&desc, &primary, nullptr);
  if (FAILED(result) || !primary) {
    ReleaseField(primary);
    directDraw->Release();
    platform.FreeLibrary(ddraw);
    Note("Couldn't CreateSurface\r\n");
    return noDirectX;
  }

  DWORD version = directInputOffered;
  IDirectDrawSurface3* surface3 = nullptr;
  if (SUCCEEDED(primary->QueryInterface(IID_IDirectDrawSurface3, reinterpret_cast<void**>(&surface3))))
    version = surface3Offered;
  ReleaseField(surface3);
  primary->Release();
  directDraw->Release();
  platform.FreeLibrary(ddraw);
  return version;
}

}  // namespace

DWORD ProbeDirectXVersion() {
  const SystemVersion& system = CurrentSystem();
  if (!system.known) return noDirectX;
  if (system.platformId == VER_PLATFORM_WIN32_NT) {
    if (system.major < 4) return noDirectX;
    if (system.major > 4) return fromVersionAlone;
    return ProbeNt4();
  }
  if ((system.build & 0xFFFF) > lastBuildToProbe) return fromVersionAlone;
  return ProbeWin95();
}
