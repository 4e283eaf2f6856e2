// The display on fakes that answer as real Windows does where Wine is kinder: palettised software textures, and teardown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <string>
#include <vector>

#include "display/display.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

using ::testing::ElementsAre;

namespace {

class RealWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    display_test::StartFakeDisplay();
    fake::WindowsAsItIs();
    window = display_test::OpenWindow(0, 0, 320, 240);
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override {
    TearDownDisplay(DeviceState, window);
    DestroyWindow(window);
    display_test::EndFakeDisplay();
  }
  HWND window = nullptr;
};

// The scene bitmap's colour at x, y (0x00RRGGBB), read with GDI.
class SceneBitmap {
 public:
  SceneBitmap() {
    bitmap_ = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TEXTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~SceneBitmap() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  SceneBitmap(const SceneBitmap&) = delete;
  SceneBitmap& operator=(const SceneBitmap&) = delete;
  DWORD Colour(int x, int y) const {
    const COLORREF colour = GetPixel(dc_, x, y);
    return (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8) |
           GetBValue(colour);
  }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// Windows 95 to 8.1 give the software device (Ramp) only 8-bit palettised textures, and a
// hardware device may offer nothing else either; Load into a palettised surface without a
// palette fails there, and GDI draws into such a surface through the palette attached. The
// texture the device samples must show the bitmap's own colours, and its handle must be the
// one the frames draw with.
TEST_F(RealWindows, PalettisedTexturesShowTheBitmapsColours) {
  const struct {
    const char* name;
    LONG hardware;       // the "Use (HAL)" setting
    bool onlyPalettised; // the HAL device offers 8-bit palettised formats alone
    const char* device;
    bool oneSurface;     // the software device samples the surface GDI drew into
  } cases[] = {
      {"software device, one surface", 0, false, "Ramp", true},
      {"hardware device offering palettised formats alone, loaded from a second surface", 1, true, "HAL", false},
  };
  const SceneBitmap scene;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDownDisplay(DeviceState, window);
    display_test::StartFakeDisplay();
    fake::WindowsAsItIs();
    fake::NameWindow(window, "wnd");
    Settings.hardware = c.hardware;
    if (c.onlyPalettised) fake::config.textureFormats = {fake::PalettizedFormat(8, DDPF_PALETTEINDEXED8)};
    ASSERT_EQ(1, BringUpDisplay(DeviceState, window, Settings, animation));
    ASSERT_EQ(c.device, fake::Device(DeviceState.device)->type);
    const TextureHolder& texture = DeviceState.texture;
    ASSERT_NE(nullptr, texture.textureSurface);
    EXPECT_EQ(c.oneSurface, texture.textureSurface == texture.sourceSurface);
    const std::string sampled = fake::NameOf(texture.textureSurface);
    const fake::SurfaceInfo* surface = fake::Surface(sampled);
    EXPECT_TRUE(surface->desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
    EXPECT_FALSE(surface->palette.empty()) << "a palette attached: Load into it is accepted";
    if (!c.oneSurface) {
      EXPECT_EQ(fake::NameOf(texture.sourceSurface), surface->loadedFrom) << "Load was accepted";
    }
    int wrong = 0;
    for (int y = 0; y < 256; y += 3)
      for (int x = 0; x < 256; x += 3)
        if (fake::Texel(sampled, x, y) != scene.Colour(x, y)) ++wrong;
    EXPECT_EQ(0, wrong) << "texels whose colour is not the bitmap's";

    ASSERT_EQ(1, display_test::PresentTick(DeviceState, window));
    ASSERT_NE(0u, texture.textureHandle);
    EXPECT_EQ(texture.textureHandle,
              fake::Device(DeviceState.device)->draws.back().renderStates.at(D3DRENDERSTATE_TEXTUREHANDLE));
    EXPECT_FALSE(display_test::LogFileExists()) << display_test::LogFileText();
  }
}

// On Windows the device leaves the reference SetCurrentViewport took, and the DirectDraw
// object's last release frees whatever surface, palette or clipper is still alive: the
// teardown must touch none of them afterwards, from a full bring-up and from every failure
// on the way there. The one reference left behind is the viewport's.
TEST_F(RealWindows, TeardownTouchesNothingWhoseDirectDrawObjectIsGone) {
  const struct {
    const char* name;
    bool windowed;
    int bitsPerPixel;  // 8 brings in the display palette
  } scenarios[] = {
      {"full screen, 8 bits", false, 8},
      {"windowed, 32 bits", true, 32},
  };
  for (const auto& scenario : scenarios) {
    // A clean run lists every failable call; each is then refused in a run of its own.
    std::vector<fake::InjectionPoint> points;
    for (int run = -1; run < static_cast<int>(points.size()); ++run) {
      const std::string refused = run < 0 ? "nothing" : points[run].pattern + " #" + std::to_string(points[run].occurrence);
      SCOPED_TRACE(std::string(scenario.name) + ", refused: " + refused);
      TearDownDisplay(DeviceState, window);
      display_test::StartFakeDisplay();
      fake::WindowsAsItIs();
      fake::NameWindow(window, "wnd");
      fake::config.bitsPerPixel = scenario.bitsPerPixel;
      if (scenario.windowed) fake::FailCall("SetCooperativeLevel(wnd,0x13)", 0, DDERR_NOEXCLUSIVEMODE);
      if (run >= 0) fake::FailCall(points[run].pattern, points[run].occurrence, DDERR_GENERIC);
      const int up = BringUpDisplay(DeviceState, window, Settings, animation);
      if (up) display_test::PresentTick(DeviceState, window);
      if (run < 0) {
        ASSERT_EQ(1, up);
        points = fake::InjectionPoints();
      }
      TearDownDisplay(DeviceState, window);
      display_test::ExpectRecordHoldsNothing();
      // A refused BeginScene or EndScene leaves frames drawn outside a scene, which is the
      // frame's business; the teardown's is that no object is touched once it is gone.
      for (const std::string& problem : fake::Problems()) {
        const bool sceneOrder =
            problem.find("outside a scene") != std::string::npos || problem.find("nested BeginScene") != std::string::npos;
        EXPECT_TRUE(sceneOrder) << problem;
      }
      // Whatever the teardown released itself is no business of the object's last release.
      for (const char* name : {"S1", "S2", "S3", "S4", "P1", "P2", "C1"}) {
        const fake::ObjectInfo* object = fake::Object(name);
        if (object) {
          EXPECT_FALSE(object->freedWithOwner) << name << " was left to its DirectDraw object";
        }
      }
      if (fake::DirectDraw(1)) {
        EXPECT_TRUE(fake::DirectDraw(1)->freed);
      }
      const std::vector<std::string> leaks = fake::Leaks();
      if (fake::Object("V1") && fake::Device("Dev1") && fake::Device("Dev1")->currentViewport == "V1") {
        EXPECT_THAT(leaks, ElementsAre("V1 (Viewport) refs=1")) << "the reference SetCurrentViewport took";
      } else {
        EXPECT_THAT(leaks, ElementsAre());
      }
    }
  }
}

}  // namespace
