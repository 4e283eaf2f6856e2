// The benchmark floor: the least program that shows the saver's picture the saver's way, to measure Vyk against.
//
// It brings up what the saver brings up in full screen (exclusive level, primary
// surface with one back buffer, HAL device, viewport, the same texture, material and
// render states), and on a 14 ms window timer animates and draws the same eight
// strips with the saver's own geometry and animation code, then flips. There is no
// shell, no settings, no message filtering and no per-frame check of the window.
// Usage: vyk_floor.exe [SECONDS]; it ends after SECONDS (if given) or on a key.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <stdio.h>
#include <stdlib.h>

#include "bench/present_counter.h"
#include "display/device_state.h"
#include "display/draw_frame.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT_PTR frameTimer = 1;  // the saver's redraw timer at speed 1
constexpr UINT framePeriodMs = 14;
constexpr UINT_PTR endTimer = 2;     // ends the run after the requested time

// Every object of the floor; each interface field owns one reference until ReleaseAll.
struct FloorRecord {
  IDirectDraw* directDraw;             // from DirectDrawCreate of DDRAW.DLL
  IDirectDraw2* directDraw2;           // queried from directDraw; makes the surfaces
  IDirect3D2* direct3D2;               // queried from directDraw; makes device, viewport, material
  IDirectDrawSurface* frontSurface;    // primary surface with one back buffer
  IDirectDrawSurface* backSurface;     // the back buffer, render target of device
  IDirect3DDevice2* device;            // HAL device on backSurface
  IDirect3DViewport2* viewport;        // over the whole client area, current on device
  IDirectDrawSurface* textureSurface;  // 256 x 256 16-bit texture in video memory
  IDirect3DTexture2* texture;          // textureSurface's texture interface
  IDirect3DMaterial2* material;        // white material carrying the texture
  int width;                           // client area in pixels, read once at bring-up
  int height;
};
FloorRecord floorState;
SceneGeometry floorScene;  // the picture the floor draws, at floorState's size

bool Check(HRESULT result, const char* step) {
  if (result == 0) return true;
  fprintf(stderr, "vyk_floor: %s failed: 0x%08lx\n", step, static_cast<unsigned long>(result));
  return false;
}

HRESULT WINAPI PickRgb565(LPDDSURFACEDESC format, LPVOID context) {
  const DDPIXELFORMAT& pixels = format->ddpfPixelFormat;
  if ((pixels.dwFlags & DDPF_RGB) && !(pixels.dwFlags & DDPF_ALPHAPIXELS) && pixels.dwRGBBitCount == 16 &&
      pixels.dwGBitMask == 0x07E0) {
    *static_cast<DDSURFACEDESC*>(context) = *format;
    return D3DENUMRET_CANCEL;
  }
  return D3DENUMRET_OK;
}

// Loads bitmap 108 into a 16-bit texture: a system-memory copy filled through GDI,
// then loaded into the video-memory texture; the copy is dropped once loaded.
bool LoadFloorTexture(D3DTEXTUREHANDLE* handle) {
  DDSURFACEDESC format = {};
  if (!Check(floorState.device->EnumTextureFormats(PickRgb565, &format), "EnumTextureFormats")) return false;
  if (format.dwSize == 0) {
    fprintf(stderr, "vyk_floor: no 16-bit RGB texture format\n");
    return false;
  }
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwWidth = 256;
  desc.dwHeight = 256;
  desc.ddpfPixelFormat = format.ddpfPixelFormat;
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface* source = nullptr;
  if (!Check(floorState.directDraw2->CreateSurface(&desc, &source, nullptr), "CreateSurface (texture source)")) {
    return false;
  }
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TEXTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HDC surfaceDc = nullptr;
  if (bitmap && source->GetDC(&surfaceDc) == 0) {
    HDC bitmapDc = CreateCompatibleDC(surfaceDc);
    HGDIOBJ previous = SelectObject(bitmapDc, bitmap);
    BitBlt(surfaceDc, 0, 0, 256, 256, bitmapDc, 0, 0, SRCCOPY);
    SelectObject(bitmapDc, previous);
    DeleteDC(bitmapDc);
    source->ReleaseDC(surfaceDc);
  }
  if (bitmap) DeleteObject(bitmap);
  DDCOLORKEY black = {0, 0};
  source->SetColorKey(DDCKEY_SRCBLT, &black);

  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD;
  bool loaded = false;
  IDirect3DTexture2* sourceTexture = nullptr;
  if (Check(floorState.directDraw2->CreateSurface(&desc, &floorState.textureSurface, nullptr),
            "CreateSurface (texture)") &&
      Check(source->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&sourceTexture)),
            "QueryInterface (source texture)") &&
      Check(floorState.textureSurface->QueryInterface(IID_IDirect3DTexture2,
                                                      reinterpret_cast<void**>(&floorState.texture)),
            "QueryInterface (texture)") &&
      Check(floorState.texture->Load(sourceTexture), "Load (texture)") &&
      Check(floorState.texture->GetHandle(floorState.device, handle), "GetHandle (texture)")) {
    loaded = true;
  }
  ReleaseField(sourceTexture);
  ReleaseField(source);
  return loaded;
}

// The saver's fixed scene state: no depth, flat shading, no culling, the texture
// modulated by a white material, colour keying left to each frame.
bool SetUpFloorScene() {
  IDirect3DDevice2* device = floorState.device;
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR);
  D3DTEXTUREHANDLE textureHandle = 0;
  if (!LoadFloorTexture(&textureHandle)) return false;
  if (!Check(floorState.direct3D2->CreateMaterial(&floorState.material, nullptr), "CreateMaterial")) return false;
  D3DMATERIAL material = {};
  material.dwSize = sizeof(material);
  material.diffuse.r = material.diffuse.g = material.diffuse.b = 1.0f;
  material.ambient.r = material.ambient.g = material.ambient.b = 1.0f;
  material.specular.r = material.specular.g = material.specular.b = 1.0f;
  material.power = 40.0f;
  material.hTexture = textureHandle;
  material.dwRampSize = 1;
  D3DMATERIALHANDLE materialHandle = 0;
  if (!Check(floorState.material->SetMaterial(&material), "SetMaterial") ||
      !Check(floorState.material->GetHandle(device, &materialHandle), "GetHandle (material)")) {
    return false;
  }
  device->BeginScene();
  device->SetLightState(D3DLIGHTSTATE_MATERIAL, materialHandle);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_MODULATE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, textureHandle);
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  device->EndScene();
  return true;
}

bool BringUpFloor(HWND window) {
  HMODULE ddraw = LoadLibraryA("DDRAW.DLL");  // kept loaded until the process ends
  DirectDrawCreateFn create =
      ddraw ? reinterpret_cast<DirectDrawCreateFn>(reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate"))) : nullptr;
  if (!create) {
    fprintf(stderr, "vyk_floor: DDRAW.DLL or its DirectDrawCreate is missing\n");
    return false;
  }
  if (!Check(create(nullptr, &floorState.directDraw, nullptr), "DirectDrawCreate") ||
      !Check(floorState.directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&floorState.direct3D2)),
             "QueryInterface (IDirect3D2)") ||
      !Check(floorState.directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&floorState.directDraw2)),
             "QueryInterface (IDirectDraw2)") ||
      !Check(floorState.directDraw2->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT),
             "SetCooperativeLevel")) {
    return false;
  }
  RECT client;
  GetClientRect(window, &client);
  floorState.width = client.right - client.left;
  floorState.height = client.bottom - client.top;

  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
  if (!Check(floorState.directDraw2->CreateSurface(&desc, &floorState.frontSurface, nullptr), "CreateSurface")) {
    return false;
  }
  DDSCAPS backCaps = {DDSCAPS_BACKBUFFER};
  if (!Check(floorState.frontSurface->GetAttachedSurface(&backCaps, &floorState.backSurface), "GetAttachedSurface")) {
    return false;
  }
  IDirectDrawClipper* clipper = nullptr;
  if (!Check(floorState.directDraw2->CreateClipper(0, &clipper, nullptr), "CreateClipper")) return false;
  clipper->SetHWnd(0, window);
  floorState.frontSurface->SetClipper(clipper);
  clipper->Release();

  if (!Check(floorState.direct3D2->CreateDevice(IID_IDirect3DHALDevice, floorState.backSurface, &floorState.device),
             "CreateDevice (HAL)") ||
      !Check(floorState.direct3D2->CreateViewport(&floorState.viewport, nullptr), "CreateViewport")) {
    return false;
  }
  floorState.device->AddViewport(floorState.viewport);
  D3DVIEWPORT2 view = {};
  view.dwSize = sizeof(view);
  view.dwWidth = static_cast<DWORD>(floorState.width);
  view.dwHeight = static_cast<DWORD>(floorState.height);
  view.dvClipWidth = static_cast<D3DVALUE>(floorState.width);
  view.dvClipHeight = static_cast<D3DVALUE>(floorState.height);
  view.dvMaxZ = 1.0f;
  if (!Check(floorState.viewport->SetViewport2(&view), "SetViewport2") ||
      !Check(floorState.device->SetCurrentViewport(floorState.viewport), "SetCurrentViewport") ||
      !SetUpFloorScene()) {
    return false;
  }
  BuildSceneGeometry(floorScene, floorState.width, floorState.height);
  animation.animationSeed = GetTickCount();
  return true;
}

void ReleaseAll(HWND window) {
  ReleaseField(floorState.device);
  ReleaseField(floorState.viewport);
  ReleaseField(floorState.backSurface);
  ReleaseField(floorState.frontSurface);
  if (floorState.directDraw2) floorState.directDraw2->SetCooperativeLevel(window, DDSCL_NORMAL);
  ReleaseField(floorState.material);
  ReleaseField(floorState.texture);
  ReleaseField(floorState.textureSurface);
  ReleaseField(floorState.direct3D2);
  ReleaseField(floorState.directDraw2);
  ReleaseField(floorState.directDraw);
}

void DrawAndFlip() {
  IDirect3DDevice2* device = floorState.device;
  AnimateFrame(floorScene, animation, floorState.width, floorState.height);
  device->BeginScene();
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, AsD3DVertices(quadA(floorScene)), quadVertexCount, D3DDP_WAIT);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, AsD3DVertices(quadB(floorScene)), quadVertexCount, D3DDP_WAIT);
  for (int ring = 0; ring < ringCount; ++ring) {
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, AsD3DVertices(floorScene.ringStrips[ring]), ringVertexCount, D3DDP_WAIT);
  }
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, AsD3DVertices(floorScene.logoStrip), logoVertexCount, D3DDP_WAIT);
  device->EndScene();
  floorState.frontSurface->Flip(nullptr, DDFLIP_WAIT);
  CountPresent();
}

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:  // 0: frame ticks draw, the end tick closes
      if (wParam == endTimer) {
        DestroyWindow(window);
      } else if (floorState.device) {
        DrawAndFlip();
      }
      return 0;
    case WM_KEYDOWN:  // 0: any key ends the run
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:  // 0: objects released before the loop ends
      KillTimer(window, frameTimer);
      KillTimer(window, endTimer);
      ReleaseAll(window);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  int seconds = atoi(commandLine);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = FloorWindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "VykFloorClass";
  if (!RegisterClassA(&windowClass)) return 2;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "VykFloorClass", "Vyk floor", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 2;
  if (!BringUpFloor(window)) {
    DestroyWindow(window);
    return 1;
  }
  SetTimer(window, frameTimer, framePeriodMs, nullptr);
  if (seconds > 0) SetTimer(window, endTimer, static_cast<UINT>(seconds) * 1000u, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
