// Tests of the native hack's command line, frame periods, frame-rate overlay and decoded artwork.
#include <gtest/gtest.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "linux/hack.h"

namespace {

struct CommandLineCase {
  std::vector<const char*> arguments;  // after the program name
  int accepted;                        // ParseHackOptions' result
  int32_t speed;                       // HackOptions after an accepted line
  int32_t logos;
  int32_t linear;
  HackTarget target;
  unsigned long windowId;
  int32_t showFps = 0;
  int32_t delayUs = -1;
  const char* displayName = nullptr;
  int32_t helpWanted = 0;
  HackRenderer renderer = rendererAuto;
};

int Parse(const std::vector<const char*>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("vyk"));
  for (const char* argument : arguments) argv.push_back(const_cast<char*>(argument));
  argv.push_back(nullptr);
  return ParseHackOptions(static_cast<int>(argv.size() - 1), argv.data());
}

TEST(HackOptions, CommandLines) {
  static const CommandLineCase cases[] = {
      {{}, 1, 1, 1, 1, targetDefault, 0},
      {{"--root"}, 1, 1, 1, 1, targetRoot, 0},
      {{"-root"}, 1, 1, 1, 1, targetRoot, 0},
      {{"--window"}, 1, 1, 1, 1, targetOwnWindow, 0},
      {{"--window-id", "0x2a00007"}, 1, 1, 1, 1, targetWindowId, 0x2a00007ul},
      {{"-window-id", "1234"}, 1, 1, 1, 1, targetWindowId, 1234ul},
      {{"--speed", "10", "--no-logo", "--no-linear"}, 1, 10, 0, 0, targetDefault, 0},
      {{"--no-logo", "--logo", "--no-linear", "--linear", "--speed", "1"}, 1, 1, 1, 1, targetDefault, 0},
      {{"--speed", "0"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--speed", "11"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--speed", "3x"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--speed"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--window-id"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--window-id", "window"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--window-id", "0"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--colour"}, 0, 0, 0, 0, targetDefault, 0},
      {{"root"}, 0, 0, 0, 0, targetDefault, 0},
      // XScreenSaver's standard hack options, as its daemon and settings dialog pass them.
      {{"-root", "-fps"}, 1, 1, 1, 1, targetRoot, 0, 1},
      {{"--fps", "--no-fps"}, 1, 1, 1, 1, targetDefault, 0, 0},
      {{"-delay", "20000"}, 1, 1, 1, 1, targetDefault, 0, 0, 20000},
      {{"--delay", "0", "--speed", "3"}, 1, 3, 1, 1, targetDefault, 0, 0, 0},
      {{"-delay", "1000000"}, 1, 1, 1, 1, targetDefault, 0, 0, 1000000},
      {{"-display", ":7"}, 1, 1, 1, 1, targetDefault, 0, 0, -1, ":7"},
      {{"-visual", "default"}, 1, 1, 1, 1, targetDefault, 0},
      {{"--visual", "TrueColor", "-window"}, 1, 1, 1, 1, targetOwnWindow, 0},
      {{"-install"}, 1, 1, 1, 1, targetDefault, 0},
      {{"--noinstall"}, 1, 1, 1, 1, targetDefault, 0},
      {{"-mono"}, 1, 1, 1, 1, targetDefault, 0},
      {{"--help"}, 1, 1, 1, 1, targetDefault, 0, 0, -1, nullptr, 1},
      {{"-help"}, 1, 1, 1, 1, targetDefault, 0, 0, -1, nullptr, 1},
      {{"-delay", "1000001"}, 0, 0, 0, 0, targetDefault, 0},
      {{"-delay", "-5"}, 0, 0, 0, 0, targetDefault, 0},
      {{"-delay"}, 0, 0, 0, 0, targetDefault, 0},
      {{"-display"}, 0, 0, 0, 0, targetDefault, 0},
      {{"-visual"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--frames"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--wayland"}, 1, 1, 1, 1, targetWayland, 0},
      {{"-wayland", "--speed", "4", "--fps"}, 1, 4, 1, 1, targetWayland, 0, 1},
      {{"--wayland", "--root"}, 1, 1, 1, 1, targetRoot, 0},
      {{"--window", "--wayland"}, 1, 1, 1, 1, targetWayland, 0},
      {{"--renderer", "cpu"}, 1, 1, 1, 1, targetDefault, 0, 0, -1, nullptr, 0, rendererCpu},
      {{"-renderer", "gl", "--renderer", "auto"}, 1, 1, 1, 1, targetDefault, 0},
      {{"--renderer", "gl"}, 1, 1, 1, 1, targetDefault, 0, 0, -1, nullptr, 0, rendererGl},
      {{"--renderer", "vulkan"}, 0, 0, 0, 0, targetDefault, 0},
      {{"--renderer"}, 0, 0, 0, 0, targetDefault, 0},
  };
  for (const CommandLineCase& c : cases) {
    std::string line;
    for (const char* argument : c.arguments) line += std::string(" ") + argument;
    ASSERT_EQ(Parse(c.arguments), c.accepted) << line;
    if (!c.accepted) continue;
    EXPECT_EQ(HackOptions.redrawSpeed, c.speed) << line;
    EXPECT_EQ(HackOptions.logos, c.logos) << line;
    EXPECT_EQ(HackOptions.linear, c.linear) << line;
    EXPECT_EQ(HackOptions.target, c.target) << line;
    EXPECT_EQ(HackOptions.windowId, c.windowId) << line;
    EXPECT_EQ(HackOptions.showFps, c.showFps) << line;
    EXPECT_EQ(HackOptions.delayUs, c.delayUs) << line;
    EXPECT_STREQ(HackOptions.displayName, c.displayName) << line;
    EXPECT_EQ(HackOptions.helpWanted, c.helpWanted) << line;
    EXPECT_EQ(HackOptions.renderer, c.renderer) << line;
  }
}

// Wayland when asked, or when the environment names a Wayland display and no X display and the
// command line names no X target; an X display or an X target keeps the X run.
TEST(HackOptions, WaylandWhenAskedOrWhenThereIsNoXDisplay) {
  static const struct {
    std::vector<const char*> arguments;
    const char* xDisplay;        // DISPLAY; null when unset
    const char* waylandDisplay;  // WAYLAND_DISPLAY; null when unset
    int wayland;
    const char* waylandSocket = nullptr;  // WAYLAND_SOCKET; null when unset
  } cases[] = {
      // A lock screen hands its connection over and takes both display names away.
      {{}, nullptr, nullptr, 1, "5"},
      {{}, ":0", nullptr, 0, "5"},
      {{}, nullptr, "wayland-1", 1},
      {{}, "", "wayland-1", 1},
      {{"--speed", "2"}, nullptr, "wayland-0", 1},
      {{}, ":0", "wayland-1", 0},
      {{}, nullptr, nullptr, 0},
      {{}, nullptr, "", 0},
      {{"--wayland"}, ":0", nullptr, 1},
      {{"--wayland"}, nullptr, nullptr, 1},
      {{"--root"}, nullptr, "wayland-1", 0},
      {{"--window"}, nullptr, "wayland-1", 0},
      {{"--window-id", "0x400001"}, nullptr, "wayland-1", 0},
      {{"--display", ":3"}, nullptr, "wayland-1", 0},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const char* argument : c.arguments) line += std::string(" ") + argument;
    ASSERT_EQ(Parse(c.arguments), 1) << line;
    EXPECT_EQ(WantsWayland(c.xDisplay, c.waylandDisplay, c.waylandSocket), c.wayland)
        << line << " DISPLAY=" << (c.xDisplay ? c.xDisplay : "(unset)")
        << " WAYLAND_DISPLAY=" << (c.waylandDisplay ? c.waylandDisplay : "(unset)");
  }
}

// Auto draws with the CPU where OpenGL is only software; a real GPU's string keeps OpenGL.
TEST(HackOptions, SoftwareRenderersAreKnownByName) {
  static const struct {
    const char* renderer;
    int software;
  } cases[] = {{"llvmpipe (LLVM 15.0.6, 256 bits)", 1},
               {"softpipe", 1},
               {"Mesa DRI swrast", 1},
               {"Software Rasterizer", 1},
               {nullptr, 1},
               {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)", 0},
               {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", 0},
               {"virgl (Intel(R) Iris(R) Xe Graphics)", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsSoftwareRenderer(c.renderer), c.software) << (c.renderer ? c.renderer : "(null)");
  }
}

// The pointer ends the Wayland run once it has gone more than 4 units, |dx| + |dy|, from where it entered.
TEST(WaylandInput, PointerTravelBeyondFourUnitsEnds) {
  static const struct {
    double fromX, fromY, toX, toY;
    int ends;
  } cases[] = {{100, 100, 100, 100, 0}, {100, 100, 104, 100, 0}, {100, 100, 104.5, 100, 1}, {100, 100, 98, 102, 0},
               {100, 100, 97, 102, 1},  {100, 100, 100, 95, 1},   {0.5, 0.5, 2.5, 2.75, 1},   {10, 10, 8, 12, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(PointerTravelEnds(c.fromX, c.fromY, c.toX, c.toY), c.ends)
        << c.fromX << "," << c.fromY << " to " << c.toX << "," << c.toY;
  }
}

// A fractional scale's buffer is the configured size times scale / 120, rounded to the nearest
// pixel: the viewport then shows it at exactly the configured size, with no pixel stretched.
TEST(WaylandScale, DevicePixelsRoundTheScaledLength) {
  static const struct {
    int32_t units, scale120, pixels;
  } cases[] = {{640, 120, 640}, {640, 180, 960}, {1366, 150, 1708}, {1365, 150, 1706}, {333, 140, 389},
               {1, 60, 1},      {1, 59, 1},      {0, 120, 1},       {800, 0, 800},     {3840, 240, 7680}};
  for (const auto& c : cases) {
    EXPECT_EQ(DevicePixels(c.units, c.scale120), c.pixels) << c.units << " at " << c.scale120 << "/120";
  }
}

// --delay is the period at speed 1, and the redraw speed counts delays; without it the Windows timer.
TEST(HackOptions, DelayTimesSpeedIsTheFramePeriod) {
  static const struct {
    int32_t speed, delayUs;
    uint64_t periodUs;
  } cases[] = {{1, -1, 14000}, {10, -1, 142000}, {1, 20000, 20000}, {3, 20000, 60000}, {10, 0, 0}, {1, 1000000, 1000000}};
  for (const auto& c : cases) {
    EXPECT_EQ(FramePeriodUs(c.speed, c.delayUs), c.periodUs) << c.speed << " " << c.delayUs;
  }
}

// The overlay shows no figure for the first second, then the rate of the last whole second,
// then the renderer's name when the host gave one.
TEST(FpsOverlay, ShowsTheRateOfEachSecond) {
  static const struct {
    uint64_t frameUs;
    int frames;  // presented after the first, one every frameUs
    const char* renderer;
    const char* text;
  } cases[] = {{14286, 69, nullptr, "FPS: --.-"}, {14286, 71, nullptr, "FPS: 70.0"}, {50000, 20, "GL", "FPS: 20.0 GL"},
               {30000, 40, "CPU", "FPS: 33.3 CPU"}, {14286, 69, "CPU", "FPS: --.- CPU"}};
  for (const auto& c : cases) {
    FpsOverlay.rendererName = c.renderer;
    ResetFpsOverlay();
    uint64_t now = 5000000;
    CountOverlayFrame(now);
    for (int k = 0; k < c.frames; ++k) CountOverlayFrame(now += c.frameUs);
    char text[32];
    FormatOverlayText(text, sizeof text);
    EXPECT_STREQ(text, c.text) << c.frameUs << " x " << c.frames;
  }
  FpsOverlay.rendererName = nullptr;
}

// Every character of the texts the overlay shows has a glyph: a missing one leaves a gap in the box.
TEST(FpsOverlay, LaysOutCellsForEveryCharacter) {
  static const struct {
    const char* renderer;
    int32_t tenths;
  } cases[] = {{"GL", 714}, {"CPU", -1}, {"CPU", 1000}};
  for (const auto& c : cases) {
    FpsOverlay.rendererName = c.renderer;
    ResetFpsOverlay();
    FpsOverlay.shownTenths = c.tenths;
    char text[fpsOverlayTextSize];
    FormatOverlayText(text, sizeof text);
    OverlayRect rects[fpsOverlayRectLimit];
    const int32_t count = LayOutFpsOverlay(1920, 1080, rects);
    ASSERT_GT(count, 1);
    // The box is seven rows of cells and a margin of two cells above and below.
    const int32_t cell = rects[0].height / 11;
    EXPECT_EQ(rects[0].color, 0x000000u);
    EXPECT_EQ(rects[0].top + rects[0].height, 1080 - 2 * cell);
    for (int32_t k = 0; text[k] != '\0'; ++k) {
      const int32_t left = rects[0].left + 2 * cell + 6 * cell * k;
      int32_t lit = 0;
      for (int32_t r = 1; r < count; ++r) lit += rects[r].color == 0xFFFFFFu && rects[r].left >= left && rects[r].left < left + 5 * cell;
      EXPECT_EQ(lit > 0, text[k] != ' ') << text << " at " << k;
    }
  }
  FpsOverlay.rendererName = nullptr;
  ResetFpsOverlay();
}

// The Windows timer's periods: speed * 14.2857 ms, truncated.
TEST(HackOptions, FramePeriodsFollowTheWindowsTimer) {
  static const uint32_t expected[11] = {0, 14, 28, 42, 57, 71, 85, 99, 114, 128, 142};
  for (int32_t speed = fastestSpeed; speed <= slowestSpeed; ++speed) {
    EXPECT_EQ(FramePeriodMs(speed), expected[speed]) << "speed " << speed;
  }
}

// The wall rows are opaque throughout; the logo rows are keyed black except the lettering.
TEST(Artwork, BlackTexelsAreTransparentOnlyOutsideTheWall) {
  static uint8_t texels[256 * 256 * 4];
  ASSERT_EQ(DecodeArtwork(texels), 1);
  int wallTransparent = 0;
  int logoOpaque = 0;
  int logoOpaqueOutsideLettering = 0;
  for (int row = 0; row < 256; ++row) {
    for (int column = 0; column < 256; ++column) {
      const uint8_t* texel = texels + 4 * (row * 256 + column);
      const bool black = (texel[0] | texel[1] | texel[2]) == 0;
      ASSERT_EQ(texel[3], black ? 0 : 255) << row << "," << column;
      if (row < 160) wallTransparent += black;
      if (row >= 160 && !black) {
        ++logoOpaque;
        logoOpaqueOutsideLettering += !(row >= 170 && row <= 233 && column >= 1 && column <= 128);
      }
    }
  }
  EXPECT_EQ(wallTransparent, 0);
  EXPECT_GT(logoOpaque, 500);
  EXPECT_EQ(logoOpaqueOutsideLettering, 0);
}

}  // namespace
