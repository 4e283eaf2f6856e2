// Tests of the native hack's command line, frame periods and decoded artwork.
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
  }
}

// The Windows timer's periods: speed * 14.2857 ms, truncated; out of range counts as 1.
TEST(HackOptions, FramePeriodsFollowTheWindowsTimer) {
  static const uint32_t expected[11] = {14, 14, 28, 42, 57, 71, 85, 99, 114, 128, 142};
  for (int32_t speed = 0; speed <= 10; ++speed) {
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
