// Display device operations: runtime probe, bring-up, scene state, presentation, teardown.
#ifndef VYK_DISPLAY_DISPLAY_H
#define VYK_DISPLAY_DISPLAY_H

#include <windows.h>
#include "animation/animation.h"
#include "display/device_state.h"
#include "platform/system_version.h"
#include "settings/settings.h"

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
// window that record's picture fills. The shell hands down the process's Settings and
// animation clock: bring-up reads settings.hardware and settings.linear, drawing
// settings.logos; the clock is read, never moved, here.

// 1 when the whole chain is up (deviceStatus 2), 0 otherwise; failures are logged. A
// record whose fullScreen is 0 on entry is brought up windowed without asking for the
// exclusive level (one of several monitors).
int BringUpDisplay(DeviceStateRecord& record, HWND window, const SettingsRecord& settings, const AnimationState& clock);
// Runtime gate and DirectDraw objects: 0 on success, 1 on failure.
int OpenDirectDraw(DeviceStateRecord& record);
// Cooperative level, surfaces, palette, clipper, device, viewport: 1 on success.
int CreateSurfacesAndDevice(DeviceStateRecord& record, HWND window, const SettingsRecord& settings);
// Releases every object in the fixed order; safe at any point; returns 1.
int TearDownDisplay(DeviceStateRecord& record, HWND window);

// Fixed render states, texture and material; ends by building the scene geometry, whose
// logo starts its cycle at once when it joins a clock already running.
void SetUpSceneState(DeviceStateRecord& record, IDirect3DDevice2* device, const AnimationState& clock);

// True while the record's picture is up: brought up, with its device and front surface,
// neither torn down since nor left down by a failed recovery.
inline bool DisplayIsUp(const DeviceStateRecord& record) {
  return record.deviceStatus == 2 && record.frontSurface != nullptr && record.device != nullptr;
}

// A tick shows one frame on every picture: each picture is made ready by PrepareFrame,
// the clock is moved on once, before the first ready picture is drawn, and each ready
// picture then draws and shows that frame through PresentFrame.

// 1 when the record's picture can draw a frame now: it is up, with its device and front
// surface, and whatever DirectDraw lost is back. This is the one place lost surfaces are
// recovered: after DirectDraw lost them (a display-mode change resets it), they are
// restored and the texture reloaded from its system-memory source, or, when a surface
// cannot be restored, the record's display is brought up anew. 0 when the picture is not
// up, or could not be brought back: its window is then painted black, the bring-up has
// logged the failure, and the display stays down.
int PrepareFrame(DeviceStateRecord& record, HWND window, const SettingsRecord& settings, const AnimationState& clock);
// Draws the record's picture of the frame clock shows and shows it; 0 when the record's
// display is not up.
int PresentFrame(DeviceStateRecord& record, HWND window, const SettingsRecord& settings, const AnimationState& clock);
// Called after every frame handed to Flip or Blt when set; null in the saver as shipped.
// A benchmark build of the saver sets it to count the frames it presents.
extern void (*framePresentedHook)();

#endif
