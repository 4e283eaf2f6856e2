// Display device operations: runtime probe, bring-up, scene state, presentation, teardown.
#ifndef VYK_DISPLAY_DISPLAY_H
#define VYK_DISPLAY_DISPLAY_H

#include <windows.h>
#include "display/device_state.h"
#include "platform/system_version.h"

// DirectX version word: high byte major version, low byte step (0x500 is DirectX 5),
// decided from the system version (CurrentSystem) and, where that is not enough, by probing.
DWORD ProbeDirectXVersion();

// The software device made where the HAL is off or refused: the Ramp device, or from
// Windows 10 on the RGB device, since Ramp has drawn wrongly there since version 1803.
const GUID& SoftwareDevice(const SystemVersion& system);
// Full-screen surface attempts: the current mode, then 640 x 480 at 16 and at 8 bits (3);
// from Windows 8 on the current mode only (1), since asking there for a mode of fewer than
// 32 bits puts the program into a slow compatibility mode for good.
int FullScreenSurfaceAttempts(const SystemVersion& system);


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
// After DirectDraw lost the record's surfaces (a display-mode change resets it), restores
// them and reloads the texture from its system-memory source, or, when a surface cannot be
// restored, brings the record's display up anew. 1 when the next frame can be drawn; 0 when
// the display could not be brought back: its window is then painted black, the bring-up has
// logged the failure, and the display stays down.
int RecoverLostSurfaces(DeviceStateRecord& record, HWND window);
// Called after every frame handed to Flip or Blt when set; null in the saver as shipped.
// A benchmark build of the saver sets it to count the frames it presents.
extern void (*framePresentedHook)();

#endif
