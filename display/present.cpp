// Presentation: the clock's frame drawn, then flipped or copied into the picture's window.
#include "display/display.h"
#include "display/draw_frame.h"

void (*framePresentedHook)() = nullptr;

namespace {

void CountFramePresented() {
  if (framePresentedHook) framePresentedHook();
}

// GDI reaches every monitor of the desktop, whichever DirectDraw device drew the frame.
void CopyByGdi(IDirectDrawSurface* renderSurface, HWND window, LONG width, LONG height) {
  HDC source = nullptr;
  if (renderSurface->GetDC(&source) != DD_OK || !source) return;
  HDC target = GetDC(window);
  if (target) {
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(window, target);
  }
  renderSurface->ReleaseDC(source);
}

}  // namespace

// Reads the client area anew on every tick, so a moved or resized window is followed.
// The destination is in the front surface's coordinates: the virtual screen's, or the
// monitor's when the record's DirectDraw object is that monitor's device.
// The copy is never stretched: source and destination are cut to the same size, the
// smaller of the client area and the render surface. Results are not examined; lost
// surfaces are recovered by the next tick's PrepareFrame.
int PresentFrame(DeviceStateRecord& record, HWND window, const SettingsRecord& settings, const AnimationState& clock) {
  if (!DisplayIsUp(record)) return 0;

  DrawFrame(record, clock, settings);

  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  POINT origin = {client.left, client.top};
  ClientToScreen(window, &origin);
  origin.x -= record.surfaceOrigin.x;
  origin.y -= record.surfaceOrigin.y;
  RECT destination = {client.left + origin.x, client.top + origin.y, client.right + origin.x, client.bottom + origin.y};
  if (destination.top >= destination.bottom || destination.left >= destination.right) return 1;

  LONG height = destination.bottom - destination.top;
  if (height > record.renderHeight) height = record.renderHeight;
  LONG width = destination.right - destination.left;
  if (width > record.renderWidth) width = record.renderWidth;
  destination.right = destination.left + width;
  destination.bottom = destination.top + height;
  RECT source = {0, 0, width, height};

  if (record.fullScreen) {
    record.frontSurface->Flip(nullptr, DDFLIP_WAIT);
    CountFramePresented();
    return 1;
  }
  if (record.renderSurface && record.gdiCopy) {
    CopyByGdi(record.renderSurface, window, width, height);
  } else if (record.renderSurface) {
    record.frontSurface->Blt(&destination, record.renderSurface, &source, DDBLT_WAIT, nullptr);
  }
  CountFramePresented();
  return 1;
}
