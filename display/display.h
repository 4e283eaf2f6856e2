// Display device operations: runtime probe, bring-up, scene state, presentation, teardown.
#ifndef VYK_DISPLAY_DISPLAY_H
#define VYK_DISPLAY_DISPLAY_H

#include <windows.h>
#include "display/device_state.h"

// DirectX version word: high byte major version, low byte step (0x500 is DirectX 5).
DWORD ProbeDirectXVersion();

// Each operation works on the display record it is handed, drawing into window, the
// window that record's picture fills.

// 1 when the whole chain is up (deviceStatus 2), 0 otherwise; failures are logged. A
// record whose fullScreen is 0 on entry is brought up windowed without asking for the
// exclusive level (one of several monitors).
int BringUpDisplay(DeviceStateRecord& record, HWND window);
// Runtime gate and DirectDraw objects: 0 on success, 1 on failure.
int OpenDirectDraw(DeviceStateRecord& record);
// Cooperative level, surfaces, palette, clipper, device, viewport: 1 on success.
int CreateSurfacesAndDevice(DeviceStateRecord& record, HWND window);
// Releases every object in the fixed order; safe at any point; returns 1.
int TearDownDisplay(DeviceStateRecord& record, HWND window);

// Fixed render states, texture and material; ends by building the scene geometry.
void SetUpSceneState(DeviceStateRecord& record, IDirect3DDevice2* device);

// Draws a frame and shows it; 0 when the record's display is not ready. newFrame 1
// moves the animation clock on first; 0 shows the clock's frame (the further monitors
// of one tick).
int PresentFrame(DeviceStateRecord& record, HWND window, int newFrame);
// Called after every frame handed to Flip or Blt when set; null in the saver as shipped.
// A benchmark build of the saver sets it to count the frames it presents.
extern void (*framePresentedHook)();

#endif
