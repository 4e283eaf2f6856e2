// Display device operations: runtime probe, bring-up, scene state, presentation, teardown.
#ifndef VYK_DISPLAY_DISPLAY_H
#define VYK_DISPLAY_DISPLAY_H

#include <windows.h>
#include "display/device_state.h"

// DirectX version word: high byte major version, low byte step (0x500 is DirectX 5).
DWORD ProbeDirectXVersion();

// 1 when the whole chain is up (deviceStatus 2), 0 otherwise; failures are logged.
int BringUpDisplay(HWND window);
// Runtime gate and DirectDraw objects: 0 on success, 1 on failure.
int OpenDirectDraw();
// Cooperative level, surfaces, palette, clipper, device, viewport: 1 on success.
int CreateSurfacesAndDevice(HWND window);
// Releases every object in the fixed order; safe at any point; returns 1.
int TearDownDisplay(HWND window);

// Fixed render states, texture and material; ends by building the scene geometry.
void SetUpSceneState(IDirect3DDevice2* device);

// Draws the next frame and shows it; 0 when the display is not ready.
int PresentFrame(HWND window);
// Called after every frame handed to Flip or Blt when set; null in the saver as shipped.
// A benchmark build of the saver sets it to count the frames it presents.
extern void (*framePresentedHook)();

#endif
