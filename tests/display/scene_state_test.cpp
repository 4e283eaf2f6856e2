// Scene-state set-up against the fake DirectX: the fixed order of calls and a refused material.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <string.h>

#include <iterator>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "display/display.h"
#include "display/texture.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"
#include "texture_test_support.h"

using ::testing::ElementsAreArray;
using display_test::Append;
using texture_test::CloseChain;
using texture_test::FakeChain;
using texture_test::OpenChain;

namespace {

const char* const statesBeforeTexture[] = {
    "Device::SetRenderState(Dev1,7,0)",
    "Device::SetRenderState(Dev1,14,0)",
    "Device::SetRenderState(Dev1,9,1)",
    "Device::SetRenderState(Dev1,17,2)",
};

const char* const materialAndScene[] = {
    "D3D2::CreateMaterial(null)",
    "Material::SetMaterial(M1,{size=80,tex=2})",
    "Material::GetHandle(M1,Dev1)",
    "Device::BeginScene(Dev1)",
    "Device::SetLightState(Dev1,1,0x101)",
    "Device::SetRenderState(Dev1,22,1)",
    "Device::SetRenderState(Dev1,26,0)",
    "Device::SetRenderState(Dev1,4,0)",
    "Device::SetRenderState(Dev1,21,2)",
    "Device::SetRenderState(Dev1,1,2)",
    "Device::SetRenderState(Dev1,29,0)",
    "Device::EndScene(Dev1)",
};

class SceneState : public ::testing::Test {
 protected:
  void SetUp() override { OpenScene(); }
  void TearDown() override { CloseScene(); }

  // A fresh HAL device whose DeviceState fields the set-up reads.
  void OpenScene() {
    OpenChain(chain, IID_IDirect3DHALDevice);
    DeviceState.direct3D2 = chain.direct3D2;
    DeviceState.device = chain.device;
    DeviceState.material = nullptr;
    DeviceState.textureFilter = D3DFILTER_LINEAR;
    DeviceState.textureBlend = D3DTBLEND_MODULATE;
    // A 640 x 480 client area: the geometry, once built, has an 800-pixel diagonal.
    DeviceState.clientWidth = 640;
    DeviceState.clientHeight = 480;
    DeviceState.scene = SceneGeometry();
  }
  // Releases what the set-up made, then the chain; every fake reference must be back.
  void CloseScene() {
    if (DeviceState.material) DeviceState.material->Release();
    DeviceState.texture.ReleaseTexture();
    DeviceState.material = nullptr;
    DeviceState.direct3D2 = nullptr;
    DeviceState.device = nullptr;
    DeviceState.clientWidth = 0;
    DeviceState.clientHeight = 0;
    DeviceState.scene = SceneGeometry();
    CloseChain(chain);
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(fake::Problems(), ElementsAreArray(std::vector<std::string>{}));
  }
  FakeChain chain;
};

// The log opens with the render states set before the texture and ends with after; the
// texture load between them is checked step by step by the texture tests.
void ExpectStatesTextureThen(const std::vector<std::string>& after) {
  const std::vector<std::string>& log = fake::Log();
  const size_t before = std::size(statesBeforeTexture);
  ASSERT_GT(log.size(), before + after.size());
  EXPECT_THAT(std::vector<std::string>(log.begin(), log.begin() + before), ElementsAreArray(statesBeforeTexture));
  EXPECT_THAT(std::vector<std::string>(log.end() - after.size(), log.end()), ElementsAreArray(after));
  EXPECT_EQ("Device::GetRenderTarget(Dev1)", log[before]) << "the texture load follows the first states";
}

TEST_F(SceneState, CallsComeInTheirFixedOrderWithTheTextureBeforeTheMaterial) {
  SetUpSceneState(DeviceState, chain.device, animation);
  std::vector<std::string> expected;
  Append(expected, materialAndScene);
  // The material names the texture's handle, so the texture was loaded before it.
  ExpectStatesTextureThen(expected);

  fake::DeviceInfo* device = fake::Device("Dev1");
  ASSERT_NE(nullptr, device);
  EXPECT_EQ(0, device->sceneDepth);
  EXPECT_EQ(1, device->scenes);
  EXPECT_EQ("M1", fake::NameOf(DeviceState.material));
  EXPECT_EQ(2u, DeviceState.texture.textureHandle);
  EXPECT_EQ(800.0, DeviceState.scene.sceneDiagonal);

  fake::MaterialInfo* material = fake::Material("M1");
  ASSERT_NE(nullptr, material);
  const D3DMATERIAL& data = material->data;
  EXPECT_EQ(80u, data.dwSize);
  for (const D3DCOLORVALUE* colour : {&data.diffuse, &data.ambient, &data.specular}) {
    EXPECT_EQ(1.0f, colour->r);
    EXPECT_EQ(1.0f, colour->g);
    EXPECT_EQ(1.0f, colour->b);
    EXPECT_EQ(0.0f, colour->a);  // not 1: the material's alpha is zero
  }
  EXPECT_EQ(0.0f, data.emissive.r);
  EXPECT_EQ(0.0f, data.emissive.g);
  EXPECT_EQ(0.0f, data.emissive.b);
  EXPECT_EQ(0.0f, data.emissive.a);
  EXPECT_EQ(40.0f, data.power);
  EXPECT_EQ(2u, data.hTexture);
  EXPECT_EQ(1u, data.dwRampSize);
}

TEST_F(SceneState, RefusedMaterialStopsAfterTheTextureIsLoaded) {
  fake::FailCall("CreateMaterial", 1, DDERR_OUTOFMEMORY);
  SetUpSceneState(DeviceState, chain.device, animation);
  ExpectStatesTextureThen({"D3D2::CreateMaterial(null)"});
  EXPECT_EQ(nullptr, DeviceState.material);
  EXPECT_EQ(2u, DeviceState.texture.textureHandle);
  EXPECT_EQ(0, fake::Device("Dev1")->scenes);
  EXPECT_EQ(0.0, DeviceState.scene.sceneDiagonal);
  EXPECT_EQ(0.0f, DeviceState.scene.logoWidth);
}

TEST_F(SceneState, FailedTextureLeavesHandleZeroInMaterialAndRenderState) {
  fake::FailCall("DD::CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
  SetUpSceneState(DeviceState, chain.device, animation);
  EXPECT_EQ(nullptr, DeviceState.texture.textureSurface);
  ASSERT_NE(nullptr, fake::Material("M1"));
  EXPECT_EQ(0u, fake::Material("M1")->data.hTexture);
  EXPECT_EQ(800.0, DeviceState.scene.sceneDiagonal);
  const std::vector<std::string>& log = fake::Log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_THAT(std::vector<std::string>(log.end() - 4, log.end()),
              ElementsAreArray({"Device::SetRenderState(Dev1,21,2)", "Device::SetRenderState(Dev1,1,0)",
                                "Device::SetRenderState(Dev1,29,0)", "Device::EndScene(Dev1)"}));
}

TEST_F(SceneState, MagnificationAndBlendComeFromTheDeviceState) {
  const struct {
    DWORD filter;
    DWORD blend;
  } cases[] = {{D3DFILTER_NEAREST, D3DTBLEND_MODULATE}, {D3DFILTER_LINEAR, D3DTBLEND_MODULATE},
               {D3DFILTER_NEAREST, D3DTBLEND_DECAL}};
  for (const auto& test : cases) {
    SCOPED_TRACE("filter " + std::to_string(test.filter) + ", blend " + std::to_string(test.blend));
    CloseScene();
    OpenScene();
    DeviceState.textureFilter = test.filter;
    DeviceState.textureBlend = test.blend;
    SetUpSceneState(DeviceState, chain.device, animation);
    const fake::DeviceInfo* device = fake::Device("Dev1");
    ASSERT_NE(nullptr, device);
    ASSERT_EQ(1u, device->renderStates.count(D3DRENDERSTATE_TEXTUREMAG));
    EXPECT_EQ(test.filter, device->renderStates.at(D3DRENDERSTATE_TEXTUREMAG));
    EXPECT_EQ(test.blend, device->renderStates.at(D3DRENDERSTATE_TEXTUREMAPBLEND));
    const std::vector<std::string>& log = fake::Log();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ("Device::SetRenderState(Dev1,17," + std::to_string(test.filter) + ")", log[3]);
  }
}

}  // namespace
