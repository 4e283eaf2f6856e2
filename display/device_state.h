// The one record of every display object, size, status and render-state choice.
#ifndef VYK_DISPLAY_DEVICE_STATE_H
#define VYK_DISPLAY_DEVICE_STATE_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include "display/directx5.h"

// One copy for the process. Each interface field owns one counted reference, from
// its creation in BringUpDisplay (material: SetUpSceneState) until TearDownDisplay.
struct DeviceStateRecord {
  LONG deviceStatus;                  // 0 never started, 1 bring-up started or failed, 2 ready; teardown keeps it
  LONG fullScreen;                    // 1 while exclusive full screen (flip); 0 for good after the fallback (copy)
  DWORD textureFilter;                // D3DRENDERSTATE_TEXTUREMAG value: 2 linear, forced to 1 by device selection
  DWORD textureBlend;                 // D3DRENDERSTATE_TEXTUREMAPBLEND value: always D3DTBLEND_MODULATE
  IDirectDraw* directDraw;            // from DirectDrawCreate
  IDirectDraw2* directDraw2;          // queried from directDraw; every DirectDraw call of bring-up and teardown
  IDirect3D2* direct3D2;              // queried from directDraw; makes device, viewport and material
  IDirectDrawSurface* frontSurface;   // primary surface; carries the clipper and any palette
  IDirectDrawSurface* renderSurface;  // render target: the back buffer, or the offscreen surface when windowed
  IDirectDrawPalette* palette;        // 256 entries, only on 8-bit displays
  IDirect3DDevice2* device;           // the HAL or Ramp device rendering into renderSurface
  IDirect3DViewport2* viewport;       // viewport over the client area; current on device
  IDirect3DMaterial2* material;       // the white textured material; made by SetUpSceneState
  LONG clientWidth;                   // client area in pixels as last read during bring-up (after any mode change)
  LONG clientHeight;                  // the same area's height; both read by the geometry and the animation
  LONG renderWidth;                   // windowed render surface size in pixels; 0 in full screen
  LONG renderHeight;                  // its height; the windowed copy is clamped to both
};
extern DeviceStateRecord DeviceState;

// Puts DeviceState back to its process-start values without releasing anything (tests only).
void ResetDeviceState();

// Releases the reference field holds, if any, and clears the field.
template <typename Interface>
void ReleaseField(Interface*& field) {
  if (field) {
    field->Release();
    field = nullptr;
  }
}

#endif
