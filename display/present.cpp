// Presentation: the next frame drawn, then flipped or copied into the saver window.
#include "animation/draw_frame.h"
#include "display/display.h"

void (*framePresentedHook)() = nullptr;

namespace {

void CountFramePresented() {
  if (framePresentedHook) framePresentedHook();
}

}  // namespace

// Reads the client area anew on every tick, so a moved or resized window is followed.
// The copy is never stretched: source and destination are cut to the same size, the
// smaller of the client area and the render surface. Results are not examined; lost
// surfaces are restored, and the texture reloaded, before the next frame is drawn.
int PresentFrame(HWND window) {
  if (DeviceState.deviceStatus != 2) return 0;
  if (!DeviceState.frontSurface) return 0;
  if (!RecoverLostSurfaces(window)) return 0;

  DrawFrame(DeviceState.device, DeviceState.frontSurface, DeviceState.clientWidth, DeviceState.clientHeight);

  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  POINT origin = {client.left, client.top};
  ClientToScreen(window, &origin);
  RECT destination = {client.left + origin.x, client.top + origin.y, client.right + origin.x, client.bottom + origin.y};
  if (destination.top >= destination.bottom || destination.left >= destination.right) return 1;

  LONG height = destination.bottom - destination.top;
  if (height > DeviceState.renderHeight) height = DeviceState.renderHeight;
  LONG width = destination.right - destination.left;
  if (width > DeviceState.renderWidth) width = DeviceState.renderWidth;
  destination.right = destination.left + width;
  destination.bottom = destination.top + height;
  RECT source = {0, 0, width, height};

  if (DeviceState.fullScreen) {
    DeviceState.frontSurface->Flip(nullptr, DDFLIP_WAIT);
    CountFramePresented();
    return 1;
  }
  if (DeviceState.renderSurface)
    DeviceState.frontSurface->Blt(&destination, DeviceState.renderSurface, &source, DDBLT_WAIT, nullptr);
  CountFramePresented();
  return 1;
}
