// The display record: every display object, size, status and render-state choice of one monitor's picture.
#ifndef VYK_DISPLAY_DEVICE_STATE_H
#define VYK_DISPLAY_DEVICE_STATE_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include "animation/animation.h"
#include "display/directx5.h"
#include "display/texture.h"
#include "platform/platform.h"

// One record per picture: the saver window's (or the preview's), and one for each further
// monitor that draws, made as that monitor's window opens. Each interface field owns one
// counted reference, from its creation in BringUpDisplay (material: SetUpSceneState) until
// TearDownDisplay; the texture holder owns the texture's. What every picture shares, the
// animation clock, lives in animation.
struct DeviceStateRecord {
  LONG deviceStatus;                  // 0 never started, 1 bring-up started or failed, 2 ready; teardown keeps it
  LONG fullScreen;                    // 1 while exclusive full screen (flip); 0 for good after the fallback, or from the start for one of several monitors (copy)
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
  HWND window;                        // window the picture fills, handed to bring-up, presentation and teardown; set as the record opens
  GUID driverGuid;                    // DirectDraw device of the record's monitor; used when hasDriverGuid
  LONG hasDriverGuid;                 // 1: DirectDrawCreate gets driverGuid; 0: the active display driver (null GUID)
  LONG gdiCopy;                       // 1: the windowed copy goes by GDI (a monitor without a DirectDraw device of its own)
  POINT surfaceOrigin;                // virtual-screen point at the front surface's 0,0: its monitor's corner with a driver GUID
  TextureHolder texture;              // the scene texture, made for this record's device; emptied by TearDownDisplay
  SceneGeometry scene;                // vertex arrays at this record's client size; built by SetUpSceneState
};

// The saver window's record: the only picture of a preview or of a single monitor, the
// primary monitor's when several draw. Zero, taking no room in the file, until the saver
// opens its display (OpenWindowDisplay, OpenMonitorDisplay) or a test resets it.
extern DeviceStateRecord DeviceState;

// A record as a picture starts it: nothing held, nothing sized, full screen and linear
// magnification hoped for until bring-up decides otherwise, the active display driver.
DeviceStateRecord NewDeviceState();

// The record of a picture that fills window alone (a preview, or the saver on a single
// monitor or with "Draw on every monitor" off): DeviceState in its start values, windowed
// from the start when fullScreen is 0.
DeviceStateRecord* OpenWindowDisplay(HWND window, LONG fullScreen);

// The record of one of several monitors, drawn windowed into window, the window over that
// monitor: DeviceState for the main monitor's, a record of its own, made here, for each
// other; null when no memory is left for it. With a GUID of the monitor's own, DirectDraw
// is made for that device, whose front surface starts at the monitor's corner. Without one
// the monitor is drawn through the active display driver, whose primary surface is the
// main monitor's: a further monitor then gets its frames by GDI, which spans the desktop.
DeviceStateRecord* OpenMonitorDisplay(const MonitorDevice& device, bool mainMonitor, HWND window);

// Tears down a record made by OpenWindowDisplay or OpenMonitorDisplay in its window, and
// frees it; DeviceState stays, emptied and without a window. Null is let through.
void CloseDisplayRecord(DeviceStateRecord* record);

// Puts DeviceState back to its start values without releasing anything (tests only).
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
