// Loading the five settings from the user's key or control.ini: defaults for what is missing, stored values unchecked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "tests/settings/profile_file.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell.instance = GetModuleHandleA(nullptr);
    Settings = SettingsRecord{};
  }
  void TearDown() override { ResetPlatform(); }
  // Loads with control.ini holding file (null: no file) and checks the five values loaded.
  static void ExpectLoaded(const char* file, LONG redrawSpeed, LONG logos, LONG linear, LONG hardware,
                           LONG allMonitors) {
    if (file) {
      profile_file::Write(file);
    } else {
      profile_file::Remove();
    }
    Settings = SettingsRecord{-7, -7, -7, -7, -7};
    LoadSettings(GetModuleHandleA(nullptr));
    EXPECT_EQ(Settings.redrawSpeed, redrawSpeed);
    EXPECT_EQ(Settings.logos, logos);
    EXPECT_EQ(Settings.linear, linear);
    EXPECT_EQ(Settings.hardware, hardware);
    EXPECT_EQ(Settings.allMonitors, allMonitors);
  }
  profile_file::Saved saved;
};

struct LoadCase {
  const char* name;
  const char* file;  // whole content of control.ini; null: no file at all
  LONG redrawSpeed, logos, linear, hardware, allMonitors;
};

const LoadCase loadCases[] = {
    {"no file", nullptr, 1, 1, 1, 1, 1},
    {"empty file", "", 1, 1, 1, 1, 1},
    {"no section", "[Screen Saver.Other]\r\nRedrawSpeed=7\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\n", 1, 1, 1, 1, 1},
    {"section without keys", "[Screen Saver.Vyk]\r\n[Next]\r\nRedrawSpeed=7\r\n", 1, 1, 1, 1, 1},
    {"only the speed", "[Screen Saver.Vyk]\r\nRedrawSpeed=5\r\n", 5, 1, 1, 1, 1},
    {"only the hardware", "[Screen Saver.Vyk]\r\nHardware=0\r\n", 1, 1, 1, 0, 1},
    {"all five", "[Screen Saver.Vyk]\r\nRedrawSpeed=7\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\nAllMonitors=0\r\n", 7, 0, 0, 0, 0},
    {"only every monitor", "[Screen Saver.Vyk]\r\nAllMonitors=0\r\n", 1, 1, 1, 1, 0},
    {"keys in another order", "[Screen Saver.Vyk]\r\nHardware=3\r\nLinear=0\r\nLogos=2\r\nRedrawSpeed=10\r\n", 10, 2, 0, 3, 1},
    {"speed 0 unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=0\r\n", 0, 1, 1, 1, 1},
    {"speed 11 unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\n", 11, 1, 1, 1, 1},
    {"negative values unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=-3\r\nLogos=-1\r\n", -3, -1, 1, 1, 1},
    {"largest value unchanged", "[Screen Saver.Vyk]\r\nRedrawSpeed=2147483647\r\n", 2147483647, 1, 1, 1, 1},
    {"other sections around it",
     "[Before]\r\nRedrawSpeed=9\r\n[Screen Saver.Vyk]\r\nRedrawSpeed=4\r\nLogos=0\r\n[After]\r\nLinear=0\r\n", 4, 0, 1, 1, 1},
};

TEST_F(SettingsStoreTest, LoadsStoredValuesAndDefaults) {
  for (const LoadCase& c : loadCases) {
    SCOPED_TRACE(c.name);
    ExpectLoaded(c.file, c.redrawSpeed, c.logos, c.linear, c.hardware, c.allMonitors);
  }
}

// Loading never writes: out-of-range values stay in the file as they were, and a
// missing file stays missing.
TEST_F(SettingsStoreTest, LoadLeavesTheFileAsItWas) {
  const std::string stored = "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\nLogos=0\r\n";
  profile_file::Write(stored);
  LoadSettings(GetModuleHandleA(nullptr));
  std::string bytes;
  ASSERT_TRUE(profile_file::Read(&bytes));
  EXPECT_EQ(bytes, stored);

  profile_file::Remove();
  LoadSettings(GetModuleHandleA(nullptr));
  EXPECT_FALSE(profile_file::Read(&bytes));
}

TEST_F(SettingsStoreTest, ProfileLocationComesFromTheStringTable) {
  lstrcpyA(profile.file, "stale.ini");
  lstrcpyA(profile.section, "Stale section");
  LoadSettings(GetModuleHandleA(nullptr));
  EXPECT_STREQ(profile.file, "control.ini");
  EXPECT_STREQ(profile.section, "Screen Saver.Vyk");
}

// A second load picks up a change made on disk in between.
TEST_F(SettingsStoreTest, EveryLoadReadsTheFileAfresh) {
  profile_file::Write("[Screen Saver.Vyk]\r\nRedrawSpeed=3\r\n");
  LoadSettings(GetModuleHandleA(nullptr));
  EXPECT_EQ(Settings.redrawSpeed, 3);
  WritePrivateProfileStringA("Screen Saver.Vyk", "RedrawSpeed", "8", "control.ini");
  LoadSettings(GetModuleHandleA(nullptr));
  EXPECT_EQ(Settings.redrawSpeed, 8);
  profile_file::Remove();
  LoadSettings(GetModuleHandleA(nullptr));
  EXPECT_EQ(Settings.redrawSpeed, 1);
}

using profile_file::WindowsVersion;

// One value in the user's key: REG_SZ text, or a REG_DWORD number when text is null.
struct UserValue {
  const char* name;
  const char* text;
  DWORD number;
};

struct UserKeyCase {
  const char* name;
  const WindowsVersion* windows;
  std::vector<UserValue> values;  // the user's key; empty: no key at all
  const char* file;               // control.ini; null: no file
  LONG redrawSpeed, logos, linear, hardware;
};

const char allZeroFile[] = "[Screen Saver.Vyk]\r\nRedrawSpeed=7\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\n";

const UserKeyCase userKeyCases[] = {
    {"Vista: the key alone", &profile_file::windowsVista,
     {{"RedrawSpeed", "4", 0}, {"Logos", "0", 0}, {"Linear", "0", 0}, {"Hardware", "2", 0}}, nullptr, 4, 0, 0, 2},
    {"Vista: the key wins over control.ini", &profile_file::windowsVista,
     {{"RedrawSpeed", "3", 0}, {"Logos", "1", 0}, {"Linear", "1", 0}, {"Hardware", "1", 0}}, allZeroFile, 3, 1, 1, 1},
    {"Windows 10: key by key, the rest from control.ini", &profile_file::windows10, {{"Logos", "1", 0}}, allZeroFile,
     7, 1, 0, 0},
    {"Vista: only control.ini", &profile_file::windowsVista, {}, allZeroFile, 7, 0, 0, 0},
    {"Vista: neither", &profile_file::windowsVista, {}, nullptr, 1, 1, 1, 1},
    {"Vista: empty text counts as missing", &profile_file::windowsVista, {{"RedrawSpeed", "", 0}}, allZeroFile, 7, 0,
     0, 0},
    {"Vista: a number that is not text counts as missing", &profile_file::windowsVista,
     {{"RedrawSpeed", nullptr, 9}}, allZeroFile, 7, 0, 0, 0},
    {"Vista: values unchecked", &profile_file::windowsVista,
     {{"RedrawSpeed", "11", 0}, {"Logos", "-1", 0}, {"Linear", " 5x", 0}, {"Hardware", "2147483647", 0}}, nullptr, 11,
     -1, 5, 2147483647},
    {"Windows 95: the key is never read", &profile_file::windows95, {{"RedrawSpeed", "3", 0}, {"Logos", "1", 0}},
     allZeroFile, 7, 0, 0, 0},
    {"Windows NT 4: the key is never read", &profile_file::windowsNt4, {{"RedrawSpeed", "3", 0}}, nullptr, 1, 1, 1, 1},
    {"Windows XP: the key is never read", &profile_file::windowsXp, {{"Hardware", "0", 0}}, nullptr, 1, 1, 1, 1},
};

TEST_F(SettingsStoreTest, UserKeyFirstOnVistaAndLater) {
  for (const UserKeyCase& c : userKeyCases) {
    SCOPED_TRACE(c.name);
    profile_file::PretendWindows(*c.windows);
    profile_file::RemoveUserKey();
    for (const UserValue& v : c.values) {
      profile_file::WriteUserValue(v.name, v.text ? REG_SZ : REG_DWORD, v.text ? v.text : "", v.number);
    }
    ExpectLoaded(c.file, c.redrawSpeed, c.logos, c.linear, c.hardware, 1);
  }
}

// What StoreSetting keeps is what the next load reads, and it lands in one place only:
// the user's key on Vista and later, control.ini before.
TEST_F(SettingsStoreTest, StoredValueIsReadByTheNextLoad) {
  const WindowsVersion* versions[] = {&profile_file::windows95, &profile_file::windowsMe, &profile_file::windowsNt4,
                                      &profile_file::windowsXp, &profile_file::windowsVista, &profile_file::windows10};
  for (const WindowsVersion* windows : versions) {
    SCOPED_TRACE(windows->name);
    profile_file::PretendWindows(*windows);
    profile_file::RemoveUserKey();
    profile_file::Write("[Screen Saver.Vyk]\r\nRedrawSpeed=2\r\n");
    LoadSettings(GetModuleHandleA(nullptr));
    StoreSetting("RedrawSpeed", 9);
    StoreSetting("Logos", 0);
    Settings = SettingsRecord{};
    LoadSettings(GetModuleHandleA(nullptr));
    EXPECT_EQ(Settings.redrawSpeed, 9);
    EXPECT_EQ(Settings.logos, 0);
    std::string bytes;
    ASSERT_TRUE(profile_file::Read(&bytes));
    if (windows->registry) {
      EXPECT_EQ(profile_file::ReadUserValue("RedrawSpeed"), "1:9");
      EXPECT_EQ(profile_file::ReadUserValue("Logos"), "1:0");
      EXPECT_EQ(bytes, "[Screen Saver.Vyk]\r\nRedrawSpeed=2\r\n");
    } else {
      EXPECT_EQ(profile_file::ReadUserValue("RedrawSpeed"), "");
      EXPECT_EQ(bytes, "[Screen Saver.Vyk]\r\nRedrawSpeed=9\r\nLogos=0\r\n");
    }
  }
}

}  // namespace
