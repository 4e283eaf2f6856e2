// Device teardown: every display object released in its fixed order, safe after any failure.
#include "display/display.h"
#include "display/texture.h"

// The device and viewport go before the surfaces they use. The cooperative level is
// handed back while the DirectDraw interfaces are still held; the display mode is
// left to DirectDraw to restore when its object goes.
int TearDownDisplay(HWND window) {
  ReleaseField(DeviceState.device);
  ReleaseField(DeviceState.viewport);
  ReleaseField(DeviceState.renderSurface);
  ReleaseField(DeviceState.frontSurface);
  ReleaseField(DeviceState.palette);
  if (DeviceState.directDraw2) DeviceState.directDraw2->SetCooperativeLevel(window, DDSCL_NORMAL);
  ReleaseField(DeviceState.material);
  sceneTexture.ReleaseTexture();
  ReleaseField(DeviceState.direct3D2);
  ReleaseField(DeviceState.directDraw2);
  ReleaseField(DeviceState.directDraw);
  return 1;
}
