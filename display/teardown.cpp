// Device teardown: every display object released in its fixed order, safe after any failure.
#include "display/display.h"

// The device and viewport go before the surfaces they use. The cooperative level is
// handed back while the DirectDraw interfaces are still held; the display mode is
// left to DirectDraw to restore when its object goes.
int TearDownDisplay(DeviceStateRecord& record, HWND window) {
  ReleaseField(record.device);
  ReleaseField(record.viewport);
  ReleaseField(record.renderSurface);
  ReleaseField(record.frontSurface);
  ReleaseField(record.palette);
  if (record.directDraw2) record.directDraw2->SetCooperativeLevel(window, DDSCL_NORMAL);
  ReleaseField(record.material);
  record.texture.ReleaseTexture();
  ReleaseField(record.direct3D2);
  ReleaseField(record.directDraw2);
  ReleaseField(record.directDraw);
  return 1;
}
