// Frame drawing: animates one frame and draws the centre square, the rings and the logo in one scene.
//
// There is no depth buffer, so the order of the draws decides what covers what: the
// centre square, then the rings from the inside out (ring 0 covers the square's
// corners), then the logo over the tunnel. Colour keying is off for the tunnel, whose
// black texels are drawn like any other, and on for the logo only, so that the logo's
// black surround is left out and the tunnel shows between the letters.
#include "animation/draw_frame.h"

#include <ddraw.h>

#include "settings/settings.h"

namespace {

void DrawStrip(IDirect3DDevice2* device, TLVertex* vertices, DWORD count) {
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, AsD3DVertices(vertices), count, D3DDP_WAIT);
}

}  // namespace

void DrawFrame(IDirect3DDevice2* device, IDirectDrawSurface* front, SceneGeometry& scene, LONG clientWidth,
               LONG clientHeight, int newFrame) {
  if (device == nullptr) return;
  if (front == nullptr) return;

  // Only the front surface is checked; one Restore a frame, and the frame is drawn whatever it gives.
  if (front->IsLost() == DDERR_SURFACELOST) front->Restore();

  if (newFrame) AdvanceAnimation();
  AnimateScene(scene, clientWidth, clientHeight);

  device->BeginScene();
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DrawStrip(device, quadA(scene), quadVertexCount);
  DrawStrip(device, quadB(scene), quadVertexCount);
  for (int k = 0; k < ringCount; ++k) DrawStrip(device, scene.ringStrips[k], ringVertexCount);
  if (Settings.logos != 0) {
    device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
    DrawStrip(device, scene.logoStrip, logoVertexCount);
  }
  device->EndScene();
}
