// Tests of DrawFrame against the fake DirectX: call sequence, colour keying, lost surface, null guards.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "animation/draw_frame.h"
#include "display/device_state.h"
#include "fakes/fake_directx.h"
#include "fakes/frame_calls.h"
#include "settings/settings.h"

using fake::logoCalls;
using fake::tunnelCalls;

namespace {

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A primary surface and a device on an offscreen render target, set into DeviceState.
class DrawFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ASSERT_EQ(DD_OK, fake::DirectDrawCreate(nullptr, &directDraw, nullptr));
    ASSERT_EQ(S_OK, directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&direct3D)));
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(DD_OK, directDraw->CreateSurface(&desc, &front, nullptr));
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 640;
    desc.dwHeight = 480;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    ASSERT_EQ(DD_OK, directDraw->CreateSurface(&desc, &target, nullptr));
    ASSERT_EQ(D3D_OK, direct3D->CreateDevice(IID_IDirect3DHALDevice, target, &device));
    ASSERT_EQ("S1", fake::NameOf(front));
    ASSERT_EQ("Dev1", fake::NameOf(device));

    savedDevice = DeviceState;
    savedSettings = Settings;
    DeviceState.frontSurface = front;
    DeviceState.device = device;
    DeviceState.clientWidth = 640;
    DeviceState.clientHeight = 480;
    Settings.logos = 1;
    memset(&DeviceState.scene, 0, sizeof(DeviceState.scene));
    BuildSceneGeometry(DeviceState.scene, DeviceState.clientWidth, DeviceState.clientHeight);
    animation = AnimationState{0x12345, 0};
    fake::ClearLog();
  }

  void TearDown() override {
    DeviceState = savedDevice;
    Settings = savedSettings;
    EXPECT_EQ(0u, device->Release());
    EXPECT_EQ(0u, target->Release());
    EXPECT_EQ(0u, front->Release());
    direct3D->Release();
    EXPECT_EQ(0u, directDraw->Release());
    EXPECT_TRUE(fake::Leaks().empty());
    EXPECT_TRUE(fake::Problems().empty()) << fake::Problems().front();
  }

  IDirectDraw* directDraw = nullptr;
  IDirect3D2* direct3D = nullptr;
  IDirectDrawSurface* front = nullptr;
  IDirectDrawSurface* target = nullptr;
  IDirect3DDevice2* device = nullptr;
  DeviceStateRecord savedDevice;
  SettingsRecord savedSettings;
};

// Eight draws and two colour-key changes with the logo, seven and one without.
TEST_F(DrawFrameTest, CallSequenceFollowsTheLogoSetting) {
  static const struct {
    LONG logos;
    size_t draws;
  } cases[] = {{1, 8}, {0, 7}, {-1, 8}, {2, 8}};
  for (const auto& c : cases) {
    Settings.logos = c.logos;
    fake::ClearLog();
    const size_t drawsBefore = fake::Device("Dev1")->draws.size();
    DrawFrame(device, DeviceState.frontSurface, DeviceState.scene, DeviceState.clientWidth, DeviceState.clientHeight, 1);
    const std::vector<std::string> expected =
        c.logos ? Concat({{"Surface::IsLost(S1)"}, tunnelCalls, logoCalls, {"Device::EndScene(Dev1)"}})
                : Concat({{"Surface::IsLost(S1)"}, tunnelCalls, {"Device::EndScene(Dev1)"}});
    EXPECT_EQ(expected, fake::Log()) << "logos = " << c.logos;
    EXPECT_EQ(fake::Device("Dev1")->draws.size() - drawsBefore, c.draws) << "logos = " << c.logos;
  }
  EXPECT_EQ(4, fake::Device("Dev1")->scenes);
}

// The strips are handed over in place, already animated for this frame, with colour
// keying off for the tunnel and on for the logo.
TEST_F(DrawFrameTest, DrawsTheAnimatedStripsInOrder) {
  DrawFrame(device, DeviceState.frontSurface, DeviceState.scene, DeviceState.clientWidth, DeviceState.clientHeight, 1);
  EXPECT_EQ(animation.frameCounter, 1u);
  EXPECT_EQ(animation.animationSeed, 0x12344u);
  const std::vector<fake::DrawRecord>& draws = fake::Device("Dev1")->draws;
  ASSERT_EQ(draws.size(), 8u);
  const struct {
    const TLVertex* first;
    size_t count;
    DWORD colourKey;
  } strips[] = {
      {quadA(DeviceState.scene), 4, FALSE},           {quadB(DeviceState.scene), 4, FALSE},
      {DeviceState.scene.ringStrips[0], 66, FALSE}, {DeviceState.scene.ringStrips[1], 66, FALSE},
      {DeviceState.scene.ringStrips[2], 66, FALSE}, {DeviceState.scene.ringStrips[3], 66, FALSE},
      {DeviceState.scene.ringStrips[4], 66, FALSE}, {DeviceState.scene.logoStrip, 10, TRUE},
  };
  for (size_t i = 0; i < draws.size(); ++i) {
    EXPECT_EQ(draws[i].primitive, D3DPT_TRIANGLESTRIP) << "draw " << i;
    EXPECT_EQ(draws[i].vertexType, D3DVT_TLVERTEX) << "draw " << i;
    EXPECT_EQ(draws[i].flags, static_cast<DWORD>(D3DDP_WAIT)) << "draw " << i;
    ASSERT_EQ(draws[i].vertices.size(), strips[i].count) << "draw " << i;
    EXPECT_EQ(memcmp(draws[i].vertices.data(), strips[i].first, strips[i].count * sizeof(TLVertex)), 0)
        << "draw " << i;
    EXPECT_EQ(draws[i].renderStates.at(D3DRENDERSTATE_COLORKEYENABLE), strips[i].colourKey) << "draw " << i;
  }
  // Animated before drawing: the centre of the square shows column 159 - (0x12344 & 127).
  EXPECT_EQ(draws[0].vertices[1].tu, 91 / 256.0f);
  EXPECT_GT(draws[7].vertices[9].sy, 0.0f) << "the logo was laid out before it was drawn";
}

// A lost front surface gets one Restore before the frame, whatever Restore returns, and
// the frame is still animated and drawn. Other IsLost results go straight on.
TEST_F(DrawFrameTest, LostFrontSurfaceIsRestoredFirst) {
  static const struct {
    HRESULT isLost, restore;
    bool restored;
  } cases[] = {
      {DDERR_SURFACELOST, DD_OK, true},
      {DDERR_SURFACELOST, DDERR_WRONGMODE, true},
      {DDERR_GENERIC, DD_OK, false},
      {DD_OK, DD_OK, false},
  };
  // A scripted failure counts its occurrences from when it is set, so 1 hits this frame's call.
  int frame = 0;
  for (const auto& c : cases) {
    ++frame;
    fake::ClearLog();
    if (c.isLost != DD_OK) fake::FailCall("Surface::IsLost", 1, c.isLost);
    if (c.restore != DD_OK) fake::FailCall("Surface::Restore", 1, c.restore);
    DrawFrame(device, DeviceState.frontSurface, DeviceState.scene, DeviceState.clientWidth, DeviceState.clientHeight, 1);
    std::vector<std::string> expected = {"Surface::IsLost(S1)"};
    if (c.restored) expected.push_back("Surface::Restore(S1)");
    expected = Concat({expected, tunnelCalls, logoCalls, {"Device::EndScene(Dev1)"}});
    EXPECT_EQ(expected, fake::Log()) << std::hex << "IsLost 0x" << c.isLost << ", Restore 0x" << c.restore;
    EXPECT_EQ(animation.frameCounter, static_cast<uint32_t>(frame));
  }
}

// Without a device or a front surface nothing is called and the animation stands still.
TEST_F(DrawFrameTest, NullDeviceOrFrontSurfaceLeavesTheAnimationAlone) {
  static const struct {
    const char* name;
    bool passDevice, frontSurface;
  } cases[] = {
      {"null device", false, true},
      {"null front surface", true, false},
      {"both null", false, false},
  };
  animation = AnimationState{0xCAFE, 77};
  DeviceState.scene.logoLeft = 12.0f;
  DeviceState.scene.logoCentreY = 34.0f;
  for (const auto& c : cases) {
    DeviceState.frontSurface = c.frontSurface ? front : nullptr;
    fake::ClearLog();
    DrawFrame(c.passDevice ? device : nullptr, DeviceState.frontSurface, DeviceState.scene, DeviceState.clientWidth, DeviceState.clientHeight, 1);
    EXPECT_TRUE(fake::Log().empty()) << c.name;
    EXPECT_EQ(animation.frameCounter, 77u) << c.name;
    EXPECT_EQ(animation.animationSeed, 0xCAFEu) << c.name;
    EXPECT_EQ(DeviceState.scene.logoLeft, 12.0f) << c.name;
  }
  EXPECT_TRUE(fake::Device("Dev1")->draws.empty());
}

// Geometry never built: the frame is drawn from degenerate strips and still animates.
TEST_F(DrawFrameTest, UnbuiltGeometryDrawsDegenerateStrips) {
  memset(&DeviceState.scene, 0, sizeof(DeviceState.scene));
  DrawFrame(device, DeviceState.frontSurface, DeviceState.scene, DeviceState.clientWidth, DeviceState.clientHeight, 1);
  EXPECT_EQ(Concat({{"Surface::IsLost(S1)"}, tunnelCalls, logoCalls, {"Device::EndScene(Dev1)"}}), fake::Log());
  EXPECT_EQ(animation.frameCounter, 1u);
  for (const fake::DrawRecord& draw : fake::Device("Dev1")->draws) {
    for (const D3DTLVERTEX& v : draw.vertices) {
      EXPECT_EQ(v.sx, draw.vertices[0].sx);
      EXPECT_EQ(v.sy, v.sy) << "no NaN";
    }
  }
}

}  // namespace
