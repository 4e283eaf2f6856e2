// A picture made ready for its frame: after a DirectDraw reset, lost surfaces restored, the texture reloaded, or the display made anew.
#include "display/display.h"
#include "display/texture.h"

namespace {

// Restores what a reset took and refills the texture from the system-memory source the
// hardware path keeps. 0 when something cannot be restored (a surface made in another
// display mode answers DDERR_WRONGMODE) or the texture cannot be refilled.
int RestoreSurfaces(DeviceStateRecord& record) {
  if (record.frontSurface->Restore() != DD_OK) return 0;
  // A flipping chain's back buffer comes back with its front surface; the windowed
  // render surface is a surface of its own.
  if (!record.fullScreen && record.renderSurface && record.renderSurface->Restore() != DD_OK) return 0;
  TextureHolder& texture = record.texture;
  if (!texture.textureSurface) return 1;
  // A software device's texture is one system-memory surface, which a reset leaves in
  // place; should it be lost all the same, there is no source left to refill it from.
  if (texture.textureSurface == texture.sourceSurface) return texture.textureSurface->IsLost() != DDERR_SURFACELOST;
  // Restore and Load keep the surface, so the handle in the material and the render state stays valid.
  return texture.UploadTexture();
}

// Used when not even a new bring-up gives a picture; the window class paints black too,
// but this needs no repaint to arrive.
void PaintBlack(HWND window) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  if (!dc) return;
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(window, dc);
}

}  // namespace

// DirectDraw loses every video-memory surface at once, the front surface among them, so
// the front surface alone tells whether anything is to be done. A new bring-up works in
// the display mode now current; the log line of a failed one is the only one, since the
// display then stays down and is not prepared again.
int PrepareFrame(DeviceStateRecord& record, HWND window, const SettingsRecord& settings, const AnimationState& clock) {
  if (!DisplayIsUp(record)) return 0;
  if (record.frontSurface->IsLost() != DDERR_SURFACELOST) return 1;
  if (RestoreSurfaces(record)) return 1;
  TearDownDisplay(record, window);
  if (BringUpDisplay(record, window, settings, clock)) return 1;
  PaintBlack(window);
  return 0;
}
