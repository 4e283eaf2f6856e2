// Presentation against the fake DirectX: the frame's draw calls, then the flip or the clamped copy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>

#include <string>
#include <vector>

#include "diagnostics/diagnostics.h"
#include "display/display.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"
#include "fakes/frame_calls.h"
#include "settings/settings.h"

using ::testing::ElementsAreArray;

namespace {

// A place and size of the window, and what presenting there logs after the frame's draw calls.
struct Placement {
  const char* name;
  int x, y, width, height;
  std::vector<std::string> presentation;
};

class Present : public ::testing::Test {
 protected:
  void SetUp() override {
    display_test::StartFakeDisplay();
    window = display_test::OpenWindow(100, 50, 320, 240);
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override { display_test::CloseFakeDisplay(window); }
  // Brings the display up, windowed when the exclusive level is refused, and clears the log.
  void BringUp(bool windowed) {
    if (windowed) fake::FailCall("SetCooperativeLevel(wnd,0x13)", 0, DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(1, BringUpDisplay(DeviceState, window, Settings, animation));
    ASSERT_EQ(windowed ? 0 : 1, DeviceState.fullScreen);
    fake::ClearLog();
  }
  void PlaceWindow(int x, int y, int width, int height) {
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The check for lost surfaces and what recovery it calls for, one frame of the title
  // sequence with the logo, then presentation.
  static std::vector<std::string> FrameThen(const std::vector<std::string>& presentation,
                                            const std::vector<std::string>& recovery = {}) {
    std::vector<std::string> lines = {"Surface::IsLost(S1)"};
    lines.insert(lines.end(), recovery.begin(), recovery.end());
    lines.insert(lines.end(), fake::tunnelCalls.begin(), fake::tunnelCalls.end());
    lines.insert(lines.end(), fake::logoCalls.begin(), fake::logoCalls.end());
    lines.push_back("Device::EndScene(Dev1)");
    lines.insert(lines.end(), presentation.begin(), presentation.end());
    return lines;
  }
  // Presents one frame at each placement in turn: each must succeed and log the frame, then its presentation.
  template <size_t N>
  void PresentAt(const Placement (&placements)[N]) {
    for (const Placement& test : placements) {
      SCOPED_TRACE(test.name);
      PlaceWindow(test.x, test.y, test.width, test.height);
      fake::ClearLog();
      EXPECT_EQ(1, display_test::PresentTick(DeviceState, window));
      EXPECT_THAT(fake::Log(), ElementsAreArray(FrameThen(test.presentation)));
    }
  }
  HWND window = nullptr;
};

TEST_F(Present, WindowedCopyIsClampedToTheRenderSurfaceAndFollowsTheWindow) {
  BringUp(true);
  ASSERT_EQ(320, DeviceState.renderWidth);
  ASSERT_EQ(240, DeviceState.renderHeight);
  const Placement cases[] = {
      {"client as large as the render surface", 100, 50, 320, 240,
       {"Surface::Blt(S1,(100,50,420,290),S2,(0,0,320,240),0x1000000,null)"}},
      {"larger client: only the render surface, to the top left", 100, 50, 400, 300,
       {"Surface::Blt(S1,(100,50,420,290),S2,(0,0,320,240),0x1000000,null)"}},
      {"smaller client: the render surface's top-left part", 100, 50, 200, 100,
       {"Surface::Blt(S1,(100,50,300,150),S2,(0,0,200,100),0x1000000,null)"}},
      {"wider but lower client", 100, 50, 500, 100,
       {"Surface::Blt(S1,(100,50,420,150),S2,(0,0,320,100),0x1000000,null)"}},
      {"moved window", 10, 20, 320, 240, {"Surface::Blt(S1,(10,20,330,260),S2,(0,0,320,240),0x1000000,null)"}},
      {"window partly off the screen", -50, -30, 320, 240,
       {"Surface::Blt(S1,(-50,-30,270,210),S2,(0,0,320,240),0x1000000,null)"}},
      {"no width: drawn, not presented", 100, 50, 0, 240, {}},
      {"no height: drawn, not presented", 100, 50, 320, 0, {}},
  };
  PresentAt(cases);
}

TEST_F(Present, FullScreenFlipsWhereverTheWindowIs) {
  BringUp(false);
  const Placement cases[] = {
      {"as brought up", 100, 50, 320, 240, {"Surface::Flip(S1,null,0x1)"}},
      {"moved and resized", 0, 0, 640, 480, {"Surface::Flip(S1,null,0x1)"}},
      {"empty client area", 0, 0, 0, 0, {}},
  };
  PresentAt(cases);
}

TEST_F(Present, RefusedCopyIsNeitherRetriedNorReported) {
  BringUp(true);
  fake::FailCall("Surface::Blt", 0, DDERR_SURFACELOST);
  EXPECT_EQ(1, display_test::PresentTick(DeviceState, window));
  EXPECT_THAT(fake::Log(),
              ElementsAreArray(FrameThen({"Surface::Blt(S1,(100,50,420,290),S2,(0,0,320,240),0x1000000,null)"})));
  EXPECT_FALSE(display_test::LogFileExists());
}

// A picture that cannot draw takes no frame: the clock stays where it was.
TEST_F(Present, NothingIsDrawnUntilTheDeviceIsReadyNorAfterTeardown) {
  const AnimationState clock = animation;
  EXPECT_EQ(0, display_test::PresentTick(DeviceState, window)) << "before any bring-up";
  EXPECT_EQ(0, PresentFrame(DeviceState, window, Settings, animation)) << "before any bring-up";
  fake::FailCall("CreateViewport", 1, DDERR_OUTOFMEMORY);
  EXPECT_EQ(0, BringUpDisplay(DeviceState, window, Settings, animation));
  fake::ClearLog();
  EXPECT_EQ(0, display_test::PresentTick(DeviceState, window)) << "after a failed bring-up";
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));

  TearDownDisplay(DeviceState, window);
  fake::Reset();
  fake::NameWindow(window, "wnd");
  ResetDeviceState();
  BringUp(false);
  TearDownDisplay(DeviceState, window);
  fake::ClearLog();
  EXPECT_EQ(2, DeviceState.deviceStatus);
  EXPECT_EQ(0, display_test::PresentTick(DeviceState, window)) << "after teardown";
  EXPECT_EQ(0, PresentFrame(DeviceState, window, Settings, animation)) << "after teardown";
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));
  EXPECT_EQ(clock.frameCounter, animation.frameCounter);
  EXPECT_EQ(clock.animationSeed, animation.animationSeed);
}

// A reset loses every video-memory surface. The next frame restores them and loads the
// texture again from its source under the same handle; a surface made in another display
// mode has the display made anew; when even that fails, one line is logged and it stays down.
TEST_F(Present, LostSurfacesComeBackBeforeTheNextFrame) {
  BringUp(true);
  fake::FailCall("Surface::IsLost(S1)", 1, DDERR_SURFACELOST);
  EXPECT_EQ(1, display_test::PresentTick(DeviceState, window));
  EXPECT_THAT(fake::Log(), ElementsAreArray(FrameThen(
      {"Surface::Blt(S1,(100,50,420,290),S2,(0,0,320,240),0x1000000,null)"},
      {"Surface::Restore(S1)", "Surface::Restore(S2)", "Surface::Restore(S3)",
       "Surface::QueryInterface(S3,IID_IDirect3DTexture2)", "Surface::QueryInterface(S4,IID_IDirect3DTexture2)",
       "Texture::Load(S3,S4)", "Texture::Release(S3)", "Texture::Release(S4)"})));
  EXPECT_EQ(3u, fake::Device("Dev1")->draws.back().renderStates.at(D3DRENDERSTATE_TEXTUREHANDLE));

  fake::FailCall("Surface::IsLost", 1, DDERR_SURFACELOST);
  fake::FailCall("Surface::Restore(S1)", 1, DDERR_WRONGMODE);
  EXPECT_EQ(1, display_test::PresentTick(DeviceState, window));
  EXPECT_EQ(0, fake::Object("Dev1")->refs);
  EXPECT_FALSE(fake::Device("Dev2")->draws.empty()) << "the frame is drawn on the display made anew";

  fake::FailCall("Surface::IsLost", 1, DDERR_SURFACELOST);
  fake::FailCall("Surface::Restore", 1, DDERR_WRONGMODE);
  fake::FailCall("CreateViewport", 1, DDERR_OUTOFMEMORY);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  EXPECT_EQ(0, display_test::PresentTick(DeviceState, window));
  HDC dc = GetDC(window);
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 160, 120)) << "the window is painted black";
  ReleaseDC(window, dc);
  EXPECT_EQ(display_test::LogFileBytes("Create viewport error \n" + std::string(ResultText(DDERR_OUTOFMEMORY)) + "."),
            display_test::LogFileText());
  DeleteFileA("vykerror.txt");
  EXPECT_EQ(0, display_test::PresentTick(DeviceState, window));
  EXPECT_FALSE(display_test::LogFileExists()) << "the failure is logged once";
}

// Only DDERR_SURFACELOST calls for recovery. Any other answer of IsLost (a driver's
// DDERR_GENERIC, say) restores nothing and makes nothing anew: the frame is drawn on the
// display as it is, and teardown then leaves no reference behind.
TEST_F(Present, AnotherAnswerOfIsLostRestoresNothing) {
  BringUp(true);
  const HRESULT answers[] = {DDERR_GENERIC, DDERR_INVALIDOBJECT, DDERR_SURFACEBUSY};
  for (HRESULT answer : answers) {
    SCOPED_TRACE(ResultText(answer));
    fake::FailCall("Surface::IsLost(S1)", 1, answer);
    EXPECT_EQ(1, display_test::PresentTick(DeviceState, window));
    EXPECT_THAT(fake::Log(), ElementsAreArray(FrameThen(
        {"Surface::Blt(S1,(100,50,420,290),S2,(0,0,320,240),0x1000000,null)"})));
    EXPECT_EQ(2, DeviceState.deviceStatus) << "still ready";
    fake::ClearLog();
  }
  EXPECT_EQ(nullptr, fake::Object("Dev2")) << "no display was made anew";
  EXPECT_FALSE(display_test::LogFileExists());
  TearDownDisplay(DeviceState, window);
  EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
}

// Records of the test's own, one per window and each at its own size, take one tick: the
// clock moves on by exactly one, each picture draws and shows that frame at its own size,
// and each is torn down alone.
TEST_F(Present, OneTickShowsOneFrameOnPicturesOfEverySize) {
  HWND second = display_test::OpenWindow(500, 50, 200, 100);
  DeviceStateRecord records[2] = {NewDeviceState(), NewDeviceState()};
  const HWND windows[2] = {window, second};
  for (int i = 0; i < 2; ++i) {
    records[i].fullScreen = 0;
    ASSERT_EQ(1, BringUpDisplay(records[i], windows[i], Settings, animation)) << i;
    EXPECT_EQ(records[i].renderWidth, i == 0 ? 320 : 200) << i;
  }
  const AnimationState before = animation;
  for (int i = 0; i < 2; ++i) ASSERT_EQ(1, PrepareFrame(records[i], windows[i], Settings, animation)) << i;
  AdvanceAnimation(animation);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(1, PresentFrame(records[i], windows[i], Settings, animation)) << i;
  EXPECT_EQ(before.frameCounter + 1, animation.frameCounter);
  EXPECT_EQ(before.animationSeed - 1, animation.animationSeed);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(fake::Device(records[i].device)->scenes, 2) << "set-up and one frame, " << i;
    // The centre square's texels: column 159 - (seed & 127) at its centre.
    EXPECT_EQ(fake::Device(records[i].device)->draws.front().vertices[1].tu,
              static_cast<float>((159 - (animation.animationSeed & 127u)) / 256.0))
        << i;
  }
  EXPECT_EQ(0, DeviceState.deviceStatus) << "the saver's own record is not touched";
  EXPECT_NE(records[0].texture.textureSurface, records[1].texture.textureSurface) << "a texture per device";
  for (int i = 1; i >= 0; --i) {
    TearDownDisplay(records[i], windows[i]);
    display_test::ExpectRecordHoldsNothing(records[i]);
  }
  DestroyWindow(second);
}

}  // namespace
