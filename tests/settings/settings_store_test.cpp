// Loading the four settings from control.ini: defaults for what is missing, stored values unchecked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "shell/shell.h"
#include "tests/settings/profile_file.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell.instance = GetModuleHandleA(nullptr);
    Settings = SettingsRecord{};
  }
  profile_file::Saved saved;
};

struct LoadCase {
  const char* name;
  const char* file;  // whole content of control.ini; null: no file at all
  LONG redrawSpeed, logos, linear, hardware;
};

const LoadCase loadCases[] = {
    {"no file", nullptr, 1, 1, 1, 1},
    {"empty file", "", 1, 1, 1, 1},
    {"no section", "[Screen Saver.Other]\r\nRedrawSpeed=7\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\n", 1, 1, 1, 1},
    {"section without keys", "[Screen Saver.Vyk]\r\n[Next]\r\nRedrawSpeed=7\r\n", 1, 1, 1, 1},
    {"only the speed", "[Screen Saver.Vyk]\r\nRedrawSpeed=5\r\n", 5, 1, 1, 1},
    {"only the hardware", "[Screen Saver.Vyk]\r\nHardware=0\r\n", 1, 1, 1, 0},
    {"all four", "[Screen Saver.Vyk]\r\nRedrawSpeed=7\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\n", 7, 0, 0, 0},
    {"keys in another order", "[Screen Saver.Vyk]\r\nHardware=3\r\nLinear=0\r\nLogos=2\r\nRedrawSpeed=10\r\n", 10, 2, 0, 3},
    {"speed 0 unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=0\r\n", 0, 1, 1, 1},
    {"speed 11 unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\n", 11, 1, 1, 1},
    {"negative values unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=-3\r\nLogos=-1\r\n", -3, -1, 1, 1},
    {"largest value unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=2147483647\r\n", 2147483647, 1, 1, 1},
    {"other sections around it",
     "[Before]\r\nRedrawSpeed=9\r\n[Screen Saver.Vyk]\r\nRedrawSpeed=4\r\nLogos=0\r\n[After]\r\nLinear=0\r\n", 4, 0, 1, 1},
};

TEST_F(SettingsStoreTest, LoadsStoredValuesAndDefaults) {
  for (const LoadCase& c : loadCases) {
    SCOPED_TRACE(c.name);
    if (c.file) {
      profile_file::Write(c.file);
    } else {
      profile_file::Remove();
    }
    Settings = SettingsRecord{-7, -7, -7, -7};
    LoadSettings();
    EXPECT_EQ(Settings.redrawSpeed, c.redrawSpeed);
    EXPECT_EQ(Settings.logos, c.logos);
    EXPECT_EQ(Settings.linear, c.linear);
    EXPECT_EQ(Settings.hardware, c.hardware);
  }
}

// Loading never writes: out-of-range values stay in the file as they were, and a
// missing file stays missing.
TEST_F(SettingsStoreTest, LoadLeavesTheFileAsItWas) {
  const std::string stored = "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\nLogos=0\r\n";
  profile_file::Write(stored);
  LoadSettings();
  std::string bytes;
  ASSERT_TRUE(profile_file::Read(&bytes));
  EXPECT_EQ(bytes, stored);

  profile_file::Remove();
  LoadSettings();
  EXPECT_FALSE(profile_file::Read(&bytes));
}

TEST_F(SettingsStoreTest, ProfileLocationComesFromTheStringTable) {
  lstrcpyA(profile.file, "stale.ini");
  lstrcpyA(profile.section, "Stale section");
  LoadSettings();
  EXPECT_STREQ(profile.file, "control.ini");
  EXPECT_STREQ(profile.section, "Screen Saver.Vyk");
}

// A second load picks up a change made on disk in between.
TEST_F(SettingsStoreTest, EveryLoadReadsTheFileAfresh) {
  profile_file::Write("[Screen Saver.Vyk]\r\nRedrawSpeed=3\r\n");
  LoadSettings();
  EXPECT_EQ(Settings.redrawSpeed, 3);
  WritePrivateProfileStringA("Screen Saver.Vyk", "RedrawSpeed", "8", "control.ini");
  LoadSettings();
  EXPECT_EQ(Settings.redrawSpeed, 8);
  profile_file::Remove();
  LoadSettings();
  EXPECT_EQ(Settings.redrawSpeed, 1);
}

}  // namespace
