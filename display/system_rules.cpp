// What today's Windows offers the display: the software device and the full-screen mode attempts, by system version.
#include "display/display.h"

// Windows 10 reports 10.0 to this program only because its manifest names Windows 10
// among the supported systems; without that it would be told 6.2.
const GUID& SoftwareDevice(const SystemVersion& system) {
  if (system.platformId == VER_PLATFORM_WIN32_NT && system.major >= 10) return IID_IDirect3DRGBDevice;
  return IID_IDirect3DRampDevice;
}

// Windows 8 is NT 6.2; an unreadable version (all zero) keeps every attempt.
int FullScreenSurfaceAttempts(const SystemVersion& system) {
  const bool windows8OrLater =
      system.platformId == VER_PLATFORM_WIN32_NT && (system.major > 6 || (system.major == 6 && system.minor >= 2));
  return windows8OrLater ? 1 : 3;
}
