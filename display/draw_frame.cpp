// Frame drawing: lays out one picture's scene for the clock's frame and draws the centre square, the rings and the logo in one scene.
//
// There is no depth buffer, so the order of the draws decides what covers what: the
// centre square, then the rings from the inside out (ring 0 covers the square's
// corners), then the logo over the tunnel. Colour keying is off for the tunnel, whose
// black texels are drawn like any other, and on for the logo only, so that the logo's
// black surround is left out and the tunnel shows between the letters.
#include "display/draw_frame.h"

namespace {

void DrawStrip(IDirect3DDevice2* device, TLVertex* vertices, DWORD count) {
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, AsD3DVertices(vertices), count, D3DDP_WAIT);
}

}  // namespace

void DrawFrame(DeviceStateRecord& record, const AnimationState& clock, const SettingsRecord& settings) {
  IDirect3DDevice2* device = record.device;
  if (device == nullptr) return;
  SceneGeometry& scene = record.scene;
  AnimateScene(scene, clock, record.clientWidth, record.clientHeight);

  device->BeginScene();
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DrawStrip(device, quadA(scene), quadVertexCount);
  DrawStrip(device, quadB(scene), quadVertexCount);
  for (int k = 0; k < ringCount; ++k) DrawStrip(device, scene.ringStrips[k], ringVertexCount);
  if (settings.logos != 0) {
    device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
    DrawStrip(device, scene.logoStrip, logoVertexCount);
  }
  device->EndScene();
}
