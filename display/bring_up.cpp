// Device bring-up: runtime gate, DirectDraw, surfaces, palette, clipper, device and viewport.
#include <string.h>

#include "diagnostics/diagnostics.h"
#include "display/display.h"
#include "platform/platform.h"


namespace {

// Lowest version word the saver runs on: DirectX 5.
constexpr DWORD requiredDirectX = 0x500;

constexpr DWORD exclusiveLevel = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT;
constexpr DWORD flippingCaps =
    DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
constexpr DWORD windowedPrimaryCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
constexpr DWORD windowedRenderCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;

// Full-screen surface attempts: the current mode, then 640 x 480 at 16 and at 8 bits.
// FullScreenSurfaceAttempts says how many of them the running system gets.
constexpr int mostSurfaceAttempts = 3;
constexpr DWORD attemptBits[mostSurfaceAttempts] = {0, 16, 8};

// The stock palette's twenty colours go to both ends of the display palette; a
// 5 x 6 x 7 colour cube (blue outermost, green innermost) fills entries 10 to 219.
constexpr int stockColoursAtEachEnd = 10;
constexpr int cubeStart = 10;
constexpr int cubeBlue = 5, cubeRed = 6, cubeGreen = 7;
constexpr int highStockStart = 246;

void ReadClientSize(DeviceStateRecord& record, HWND window) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  record.clientWidth = client.right - client.left;
  record.clientHeight = client.bottom - client.top;
}

// Windows refuses the exclusive level for a child window (a preview), and the saver
// then copies into it. Wine grants it and stretches the child over the whole screen,
// so a child window is never offered for the exclusive level. Nor is a record that
// starts windowed: one of several monitors, each drawn into its own window.
int SetCooperativeLevel(DeviceStateRecord& record, HWND window) {
  const bool childWindow = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
  if (!childWindow && record.fullScreen && record.directDraw2->SetCooperativeLevel(window, exclusiveLevel) == DD_OK) return 1;
  HRESULT result = record.directDraw2->SetCooperativeLevel(window, DDSCL_NORMAL);
  record.fullScreen = 0;
  if (result != DD_OK) {
    LogError("SetCooperativeLevel failed");
    return 0;
  }
  return 1;
}

// The flipping chain: front buffer and its one back buffer, which the device renders into.
// Only the last attempt's failure is logged, with its own result.
int CreateFlippingSurfaces(DeviceStateRecord& record, HWND window, DDSURFACEDESC& desc) {
  const int surfaceAttempts = FullScreenSurfaceAttempts(CurrentSystem());
  HRESULT result = DD_OK;
  for (int attempt = 0; attempt < surfaceAttempts; ++attempt) {
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = flippingCaps;
    // The mode switch may fail or change nothing; the surface creation decides.
    if (attemptBits[attempt] != 0) record.directDraw2->SetDisplayMode(640, 480, attemptBits[attempt], 0, 0);
    ReadClientSize(record, window);
    result = record.directDraw2->CreateSurface(&desc, &record.frontSurface, nullptr);
    if (result == DD_OK) break;
    // A refused creation that still handed back a surface must not be lost to the next attempt.
    if (attempt < surfaceAttempts - 1) ReleaseField(record.frontSurface);
  }
  if (result != DD_OK) {
    LogError("CreateSurface failed \n%s", ResultText(result));
    return 0;
  }

  DDSCAPS backBuffer;
  backBuffer.dwCaps = DDSCAPS_BACKBUFFER;
  if (record.frontSurface->GetAttachedSurface(&backBuffer, &record.renderSurface) != DD_OK) {
    LogError("An error occurred while creating the device.\n");
    return 0;
  }
  return 1;
}

// The plain primary surface and an offscreen render surface of the client's size.
int CreateWindowedSurfaces(DeviceStateRecord& record, DDSURFACEDESC& desc) {
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = windowedPrimaryCaps;
  if (record.directDraw2->CreateSurface(&desc, &record.frontSurface, nullptr) != DD_OK) {
    LogError("CreateSurface failed");
    return 0;
  }
  record.renderWidth = record.clientWidth;
  record.renderHeight = record.clientHeight;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(record.renderWidth);
  desc.dwHeight = static_cast<DWORD>(record.renderHeight);
  desc.ddsCaps.dwCaps = windowedRenderCaps;
  if (record.directDraw2->CreateSurface(&desc, &record.renderSurface, nullptr) != DD_OK) {
    LogError("CreateSurface 2 failed");
    return 0;
  }
  return 1;
}

// 8-bit displays only; read after the surfaces, since the last full-screen attempt
// may have switched the display to 8 bits. A refused palette is no failure.
void CreateDisplayPalette(DeviceStateRecord& record, HWND window) {
  HDC dc = GetDC(window);
  int bitsPerPixel = platform.GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(window, dc);
  if (bitsPerPixel != 8) return;

  // Entries 220 to 245 belong to no rule; they stay black rather than undefined.
  PALETTEENTRY entries[256];
  memset(entries, 0, sizeof(entries));
  HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  GetPaletteEntries(stock, 0, stockColoursAtEachEnd, entries);
  GetPaletteEntries(stock, stockColoursAtEachEnd, stockColoursAtEachEnd, entries + highStockStart);
  for (int b = 0; b < cubeBlue; ++b) {
    for (int r = 0; r < cubeRed; ++r) {
      for (int g = 0; g < cubeGreen; ++g) {
        PALETTEENTRY& entry = entries[cubeStart + cubeRed * cubeGreen * b + cubeGreen * r + g];
        entry.peRed = static_cast<BYTE>(255 * r / (cubeRed - 1));
        entry.peGreen = static_cast<BYTE>(255 * g / (cubeGreen - 1));
        entry.peBlue = static_cast<BYTE>(255 * b / (cubeBlue - 1));
        entry.peFlags = 0;
      }
    }
  }

  if (record.directDraw2->CreatePalette(DDPCAPS_8BIT, entries, &record.palette, nullptr) != DD_OK) return;
  record.frontSurface->SetPalette(record.palette);
  record.renderSurface->SetPalette(record.palette);
}

// The front surface keeps the clipper alive; bring-up keeps no reference of its own.
int AttachClipper(DeviceStateRecord& record, HWND window) {
  IDirectDrawClipper* clipper = nullptr;
  if (record.directDraw2->CreateClipper(0, &clipper, nullptr) != DD_OK) {
    ReleaseField(clipper);
    LogError("An error occurred while creating the device.\n");
    return 0;
  }
  if (clipper) {
    clipper->SetHWnd(0, window);
    record.frontSurface->SetClipper(clipper);
    clipper->Release();
  }
  return 1;
}

// The HAL device when the hardware setting allows and it is granted, else the software
// device of the running system. Linear magnification survives only on the HAL with the
// linear setting on.
int CreateDevice(DeviceStateRecord& record, const SettingsRecord& settings) {
  HRESULT hal = DDERR_GENERIC;
  if (settings.hardware != 0)
    hal = record.direct3D2->CreateDevice(IID_IDirect3DHALDevice, record.renderSurface, &record.device);
  if (settings.linear == 0) record.textureFilter = D3DFILTER_NEAREST;
  if (hal == D3D_OK) return 1;

  // A refused HAL that still handed back a device must not be lost under the software device.
  ReleaseField(record.device);
  record.textureFilter = D3DFILTER_NEAREST;
  HRESULT software = record.direct3D2->CreateDevice(SoftwareDevice(CurrentSystem()), record.renderSurface, &record.device);
  if (software != D3D_OK) {
    LogError("Create Render device error \n%s.", ResultText(software));
    return 0;
  }
  return 1;
}

int CreateViewport(DeviceStateRecord& record) {
  HRESULT result = record.direct3D2->CreateViewport(&record.viewport, nullptr);
  if (result != D3D_OK) {
    LogError("Create viewport error \n%s.", ResultText(result));
    return 0;
  }
  record.device->AddViewport(record.viewport);

  D3DVIEWPORT2 view;
  memset(&view, 0, sizeof(view));
  view.dwSize = sizeof(view);
  view.dwX = 0;
  view.dwY = 0;
  view.dwWidth = static_cast<DWORD>(record.clientWidth);
  view.dwHeight = static_cast<DWORD>(record.clientHeight);
  view.dvClipX = 0.0f;
  view.dvClipY = 0.0f;
  view.dvClipWidth = static_cast<D3DVALUE>(record.clientWidth);
  view.dvClipHeight = static_cast<D3DVALUE>(record.clientHeight);
  view.dvMinZ = 0.0f;
  view.dvMaxZ = 1.0f;
  result = record.viewport->SetViewport2(&view);
  if (result != D3D_OK) {
    LogError("Set view port\n%s.", ResultText(result));
    return 0;
  }
  result = record.device->SetCurrentViewport(record.viewport);
  if (result != D3D_OK) {
    LogError("Set current viewport\n%s.", ResultText(result));
    return 0;
  }
  return 1;
}

}  // namespace

int BringUpDisplay(DeviceStateRecord& record, HWND window, const SettingsRecord& settings, const AnimationState& clock) {
  record.deviceStatus = 1;
  if (OpenDirectDraw(record) != 0) return 0;
  if (!CreateSurfacesAndDevice(record, window, settings)) return 0;
  SetUpSceneState(record, record.device, clock);
  record.deviceStatus = 2;
  return 1;
}

// Each interface is queried straight into its field, so whatever a refused call still
// hands back is held there and released by the teardown.
int OpenDirectDraw(DeviceStateRecord& record) {
  if (ProbeDirectXVersion() < requiredDirectX) {
    LogError("This application requires DirectX version 5 or above.");
    return 1;
  }
  GUID* driver = record.hasDriverGuid ? &record.driverGuid : nullptr;
  platform.DirectDrawCreate(driver, &record.directDraw, nullptr);
  if (!record.directDraw) {
    LogError("Failed to create DirectDraw.");
    return 1;
  }
  HRESULT result =
      record.directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&record.direct3D2));
  if (result != S_OK) {
    LogError("Failed to QI for IID_IDirect3D2.\n%s", ResultText(result));
    return 1;
  }
  result = record.directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&record.directDraw2));
  if (result != S_OK) {
    LogError("Failed to QI for IID_IDirectDraw2.\n%s", ResultText(result));
    return 1;
  }
  return 0;
}

// Each failure is logged and ends the step at once; what was made so far stays in
// the record for the teardown.
int CreateSurfacesAndDevice(DeviceStateRecord& record, HWND window, const SettingsRecord& settings) {
  if (!record.directDraw2 || !record.direct3D2) return 0;
  ReadClientSize(record, window);
  if (!SetCooperativeLevel(record, window)) return 0;

  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  if (record.fullScreen) {
    if (!CreateFlippingSurfaces(record, window, desc)) return 0;
  } else {
    if (!CreateWindowedSurfaces(record, desc)) return 0;
  }

  CreateDisplayPalette(record, window);
  if (!AttachClipper(record, window)) return 0;
  if (!CreateDevice(record, settings)) return 0;
  return CreateViewport(record);
}
