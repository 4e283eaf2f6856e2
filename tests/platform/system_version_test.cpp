// The system version: read once through the seam, kept, and what each Windows is taken for.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/platform.h"
#include "platform/system_version.h"

namespace {

OSVERSIONINFOA reported;   // what the fake GetVersionExA reports
BOOL versionCallSucceeds;  // its result
int versionCalls;          // how often it was called

BOOL WINAPI CountedGetVersion(LPOSVERSIONINFOA info) {
  ++versionCalls;
  if (!versionCallSucceeds) return FALSE;
  const DWORD size = info->dwOSVersionInfoSize;
  *info = reported;
  info->dwOSVersionInfoSize = size;
  return TRUE;
}

void Report(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
  reported = OSVERSIONINFOA{};
  reported.dwPlatformId = platformId;
  reported.dwMajorVersion = major;
  reported.dwMinorVersion = minor;
  reported.dwBuildNumber = build;
  versionCallSucceeds = TRUE;
}

class SystemVersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlatform();
    platform.GetVersionExA = CountedGetVersion;
    versionCalls = 0;
    Report(VER_PLATFORM_WIN32_NT, 6, 1, 7601);
  }
  void TearDown() override { ResetPlatform(); }
};

TEST_F(SystemVersionTest, ReadOnceAndKeptForEveryLaterUse) {
  const SystemVersion& first = CurrentSystem();
  Report(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE);
  const SystemVersion& later = CurrentSystem();
  EXPECT_EQ(1, versionCalls);
  EXPECT_EQ(&first, &later);
  EXPECT_EQ(1u, later.known);
  EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), later.platformId);
  EXPECT_EQ(6u, later.major);
  EXPECT_EQ(1u, later.minor);
  EXPECT_EQ(7601u, later.build);

  // The shell's read at start replaces what a first use read before it.
  EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), ReadSystemVersion().platformId);
  EXPECT_EQ(0x040A08AEu, CurrentSystem().build);
  EXPECT_EQ(2, versionCalls);
}

TEST_F(SystemVersionTest, FailedReadIsKeptAsAllZero) {
  versionCallSucceeds = FALSE;
  const SystemVersion& system = CurrentSystem();
  EXPECT_EQ(0u, system.known);
  EXPECT_EQ(0u, system.platformId);
  EXPECT_EQ(0u, system.major);
  EXPECT_EQ(0, IsWin95Family(system));
  EXPECT_FALSE(IsNtAtLeast(system, 0, 0));
  CurrentSystem();
  EXPECT_EQ(1, versionCalls);
}

TEST_F(SystemVersionTest, ResetPlatformMakesTheNextUseReadAgain) {
  CurrentSystem();
  Report(VER_PLATFORM_WIN32_NT, 10, 0, 22631);
  ResetPlatform();
  platform.GetVersionExA = CountedGetVersion;
  EXPECT_EQ(10u, CurrentSystem().major);
  EXPECT_EQ(2, versionCalls);
}

TEST_F(SystemVersionTest, FamilyAndNtVersionOfEachWindows) {
  const struct {
    const char* name;
    DWORD platformId, major, minor;
    LONG win95Family;
    bool nt5, nt6, nt62;  // Windows 2000 or later, Vista or later, 8 or later
  } cases[] = {
      {"Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1, false, false, false},
      {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 1, false, false, false},
      {"Win32s", VER_PLATFORM_WIN32s, 3, 10, 0, false, false, false},
      {"Windows NT 4", VER_PLATFORM_WIN32_NT, 4, 0, 0, false, false, false},
      {"Windows XP", VER_PLATFORM_WIN32_NT, 5, 1, 0, true, false, false},
      {"Windows 7", VER_PLATFORM_WIN32_NT, 6, 1, 0, true, true, false},
      {"Windows 8", VER_PLATFORM_WIN32_NT, 6, 2, 0, true, true, true},
      {"Windows 11", VER_PLATFORM_WIN32_NT, 10, 0, 0, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Report(c.platformId, c.major, c.minor, 0);
    const SystemVersion& system = ReadSystemVersion();
    EXPECT_EQ(c.win95Family, IsWin95Family(system));
    EXPECT_EQ(c.nt5, IsNtAtLeast(system, 5, 0));
    EXPECT_EQ(c.nt6, IsNtAtLeast(system, 6, 0));
    EXPECT_EQ(c.nt62, IsNtAtLeast(system, 6, 2));
  }
}

}  // namespace
