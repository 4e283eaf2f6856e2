// Tests of DrawFrame against the fake DirectX: the draws of the clock's frame, colour keying, the clock left alone, null guard.
#include <gtest/gtest.h>
#include <stddef.h>
#include <string.h>

#include <string>
#include <vector>

#include "display/draw_frame.h"
#include "fakes/fake_directx.h"
#include "fakes/frame_calls.h"

using fake::logoCalls;
using fake::tunnelCalls;

namespace {

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Every field of two scenes alike, the padding after the last one left out.
bool SameScene(const SceneGeometry& a, const SceneGeometry& b) {
  return memcmp(&a, &b, offsetof(SceneGeometry, logoCentreY) + sizeof(a.logoCentreY)) == 0;
}

// A device on an offscreen render target, held by a record of the test's own whose scene
// is built at 640 x 480; the clock and the settings are the test's too.
class DrawFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ASSERT_EQ(DD_OK, fake::DirectDrawCreate(nullptr, &directDraw, nullptr));
    ASSERT_EQ(S_OK, directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&direct3D)));
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 640;
    desc.dwHeight = 480;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    ASSERT_EQ(DD_OK, directDraw->CreateSurface(&desc, &target, nullptr));
    ASSERT_EQ(D3D_OK, direct3D->CreateDevice(IID_IDirect3DHALDevice, target, &device));
    ASSERT_EQ("Dev1", fake::NameOf(device));

    record = NewDeviceState();
    record.device = device;
    record.clientWidth = 640;
    record.clientHeight = 480;
    BuildSceneGeometry(record.scene, record.clientWidth, record.clientHeight);
    settings = SettingsRecord{};
    settings.logos = 1;
    clock = AnimationState{0x12345, 0};
    fake::ClearLog();
  }

  void TearDown() override {
    EXPECT_EQ(0u, device->Release());
    EXPECT_EQ(0u, target->Release());
    direct3D->Release();
    EXPECT_EQ(0u, directDraw->Release());
    EXPECT_TRUE(fake::Leaks().empty());
    EXPECT_TRUE(fake::Problems().empty()) << fake::Problems().front();
  }

  IDirectDraw* directDraw = nullptr;
  IDirect3D2* direct3D = nullptr;
  IDirectDrawSurface* target = nullptr;
  IDirect3DDevice2* device = nullptr;
  DeviceStateRecord record;
  SettingsRecord settings;
  AnimationState clock;
};

// Eight draws and two colour-key changes with the logo, seven and one without.
TEST_F(DrawFrameTest, CallSequenceFollowsTheLogoSetting) {
  static const struct {
    LONG logos;
    size_t draws;
  } cases[] = {{1, 8}, {0, 7}, {-1, 8}, {2, 8}};
  for (const auto& c : cases) {
    settings.logos = c.logos;
    fake::ClearLog();
    const size_t drawsBefore = fake::Device("Dev1")->draws.size();
    AdvanceAnimation(clock);
    DrawFrame(record, clock, settings);
    const std::vector<std::string> expected =
        c.logos ? Concat({tunnelCalls, logoCalls, {"Device::EndScene(Dev1)"}})
                : Concat({tunnelCalls, {"Device::EndScene(Dev1)"}});
    EXPECT_EQ(expected, fake::Log()) << "logos = " << c.logos;
    EXPECT_EQ(fake::Device("Dev1")->draws.size() - drawsBefore, c.draws) << "logos = " << c.logos;
  }
  EXPECT_EQ(4, fake::Device("Dev1")->scenes);
}

// The strips are handed over in place, already laid out for the clock's frame, with colour
// keying off for the tunnel and on for the logo.
TEST_F(DrawFrameTest, DrawsTheAnimatedStripsInOrder) {
  AdvanceAnimation(clock);
  DrawFrame(record, clock, settings);
  const std::vector<fake::DrawRecord>& draws = fake::Device("Dev1")->draws;
  ASSERT_EQ(draws.size(), 8u);
  const struct {
    const TLVertex* first;
    size_t count;
    DWORD colourKey;
  } strips[] = {
      {quadA(record.scene), 4, FALSE},           {quadB(record.scene), 4, FALSE},
      {record.scene.ringStrips[0], 66, FALSE}, {record.scene.ringStrips[1], 66, FALSE},
      {record.scene.ringStrips[2], 66, FALSE}, {record.scene.ringStrips[3], 66, FALSE},
      {record.scene.ringStrips[4], 66, FALSE}, {record.scene.logoStrip, 10, TRUE},
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
  // Laid out before drawing: the centre of the square shows column 159 - (0x12344 & 127).
  EXPECT_EQ(draws[0].vertices[1].tu, 91 / 256.0f);
  EXPECT_GT(draws[7].vertices[9].sy, 0.0f) << "the logo was laid out before it was drawn";
}

// Drawing lays out the frame the clock shows, exactly as the animation on its own does,
// and leaves the clock to its owner; it asks nothing of any surface, whose losses are
// recovered before the frame (PrepareFrame).
TEST_F(DrawFrameTest, DrawsTheClocksFrameWithoutMovingIt) {
  SceneGeometry alone = record.scene;
  AnimationState aloneClock = clock;
  for (uint32_t frame = 1; frame <= 3; ++frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    AdvanceAnimation(clock);
    fake::ClearLog();
    DrawFrame(record, clock, settings);
    EXPECT_EQ(clock.frameCounter, frame);
    EXPECT_EQ(clock.animationSeed, 0x12345u - frame);
    EXPECT_EQ(Concat({tunnelCalls, logoCalls, {"Device::EndScene(Dev1)"}}), fake::Log());
    AnimateFrame(alone, aloneClock, 640, 480);
    EXPECT_TRUE(SameScene(alone, record.scene));
    // The wall one texel further out each frame: column 159 - (seed & 127) at the centre.
    const std::vector<fake::DrawRecord>& draws = fake::Device("Dev1")->draws;
    ASSERT_EQ(draws.size(), 8u * frame);
    EXPECT_EQ(draws[draws.size() - 8].vertices[1].tu, static_cast<float>((159 - ((0x12345u - frame) & 127u)) / 256.0));
  }
}

// Without a device nothing is called and the scene stays as it was.
TEST_F(DrawFrameTest, NullDeviceLeavesTheSceneAlone) {
  record.device = nullptr;
  record.scene.logoLeft = 12.0f;
  record.scene.logoCentreY = 34.0f;
  clock = AnimationState{0xCAFE, 77};
  const SceneGeometry before = record.scene;
  DrawFrame(record, clock, settings);
  EXPECT_TRUE(fake::Log().empty());
  EXPECT_TRUE(SameScene(before, record.scene));
  EXPECT_TRUE(fake::Device("Dev1")->draws.empty());
}

// Geometry never built: the frame is drawn from degenerate strips.
TEST_F(DrawFrameTest, UnbuiltGeometryDrawsDegenerateStrips) {
  memset(&record.scene, 0, sizeof(record.scene));
  AdvanceAnimation(clock);
  DrawFrame(record, clock, settings);
  EXPECT_EQ(Concat({tunnelCalls, logoCalls, {"Device::EndScene(Dev1)"}}), fake::Log());
  for (const fake::DrawRecord& draw : fake::Device("Dev1")->draws) {
    for (const D3DTLVERTEX& v : draw.vertices) {
      EXPECT_EQ(v.sx, draw.vertices[0].sx);
      EXPECT_EQ(v.sy, v.sy) << "no NaN";
    }
  }
}

}  // namespace
