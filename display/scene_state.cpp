// Scene state: the fixed render states, the scene texture and the lighting material.
#include <string.h>

#include "display/display.h"
#include "resources/resource_ids.h"


namespace {

void SetWhite(D3DCOLORVALUE& colour) {
  colour.r = 1.0f;
  colour.g = 1.0f;
  colour.b = 1.0f;
  colour.a = 0.0f;
}

}  // namespace

// The order is fixed: depth, shading and magnification come before the texture
// exists and outside any scene; the rest is set once inside one scene. Only the
// material's creation is examined: without it the set-up stops there, the texture
// stays loaded and no geometry is built.
void SetUpSceneState(DeviceStateRecord& record, IDirect3DDevice2* device, const AnimationState& clock) {
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, record.textureFilter);

  record.texture.LoadTexture(device, MAKEINTRESOURCEA(IDB_TEXTURE));

  // Created straight into the record, so that a refused creation which still hands
  // back a material has it released by the teardown.
  if (!record.direct3D2 || record.direct3D2->CreateMaterial(&record.material, nullptr) != D3D_OK) {
    return;
  }
  IDirect3DMaterial2* material = record.material;

  D3DMATERIAL description;
  memset(&description, 0, sizeof(description));
  description.dwSize = sizeof(description);
  SetWhite(description.diffuse);
  SetWhite(description.ambient);
  SetWhite(description.specular);
  description.power = 40.0f;
  description.hTexture = record.texture.textureHandle;
  description.dwRampSize = 1;
  material->SetMaterial(&description);
  D3DMATERIALHANDLE materialHandle = 0;
  material->GetHandle(device, &materialHandle);

  device->BeginScene();
  device->SetLightState(D3DLIGHTSTATE_MATERIAL, materialHandle);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREMAPBLEND, record.textureBlend);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, record.texture.textureHandle);
  device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  device->EndScene();

  BuildSceneGeometry(record.scene, record.clientWidth, record.clientHeight);
  // A picture that joins a clock already running starts the logo's cycle now.
  if (clock.frameCounter != 0) StartLogoCycle(record.scene);
}
