// Presentation against the fake DirectX: the frame's draw calls, then the flip or the clamped copy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>

#include <string>
#include <vector>

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
    ASSERT_EQ(1, BringUpDisplay(DeviceState, window));
    ASSERT_EQ(windowed ? 0 : 1, DeviceState.fullScreen);
    fake::ClearLog();
  }
  void PlaceWindow(int x, int y, int width, int height) {
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // One frame of the title sequence with the logo, then presentation.
  static std::vector<std::string> FrameThen(const std::vector<std::string>& presentation) {
    std::vector<std::string> lines = {"Surface::IsLost(S1)"};
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
      EXPECT_EQ(1, PresentFrame(DeviceState, window, 1));
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
  EXPECT_EQ(1, PresentFrame(DeviceState, window, 1));
  EXPECT_THAT(fake::Log(),
              ElementsAreArray(FrameThen({"Surface::Blt(S1,(100,50,420,290),S2,(0,0,320,240),0x1000000,null)"})));
  EXPECT_FALSE(display_test::LogFileExists());
}

TEST_F(Present, NothingIsDrawnUntilTheDeviceIsReadyNorAfterTeardown) {
  EXPECT_EQ(0, PresentFrame(DeviceState, window, 1)) << "before any bring-up";
  fake::FailCall("CreateViewport", 1, DDERR_OUTOFMEMORY);
  EXPECT_EQ(0, BringUpDisplay(DeviceState, window));
  fake::ClearLog();
  EXPECT_EQ(0, PresentFrame(DeviceState, window, 1)) << "after a failed bring-up";
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));

  TearDownDisplay(DeviceState, window);
  fake::Reset();
  fake::NameWindow(window, "wnd");
  ResetDeviceState();
  BringUp(false);
  TearDownDisplay(DeviceState, window);
  fake::ClearLog();
  EXPECT_EQ(2, DeviceState.deviceStatus);
  EXPECT_EQ(0, PresentFrame(DeviceState, window, 1)) << "after teardown";
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));
}

// Records of the test's own, one per window: each is drawn at its own size, a tick's
// second picture shows the frame the first moved to, and each is torn down alone.
TEST_F(Present, EachRecordDrawsItsOwnPictureOfTheSameFrame) {
  HWND second = display_test::OpenWindow(500, 50, 200, 100);
  DeviceStateRecord records[2] = {NewDeviceState(), NewDeviceState()};
  const HWND windows[2] = {window, second};
  const uint32_t before = animation.frameCounter;
  for (int i = 0; i < 2; ++i) {
    records[i].fullScreen = 0;
    ASSERT_EQ(1, BringUpDisplay(records[i], windows[i])) << i;
    EXPECT_EQ(1, PresentFrame(records[i], windows[i], i == 0)) << i;
    EXPECT_EQ(records[i].renderWidth, i == 0 ? 320 : 200) << i;
  }
  EXPECT_EQ(before + 1, animation.frameCounter);
  EXPECT_EQ(0, DeviceState.deviceStatus) << "the saver's own record is not touched";
  EXPECT_NE(records[0].texture.textureSurface, records[1].texture.textureSurface) << "a texture per device";
  for (int i = 1; i >= 0; --i) {
    TearDownDisplay(records[i], windows[i]);
    display_test::ExpectRecordHoldsNothing(records[i]);
  }
  DestroyWindow(second);
}

}  // namespace
