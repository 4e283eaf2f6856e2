// The saver procedure: settings loaded at creation, the redraw timer's period, closes held until the first tick, the frame guard.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "animation/animation.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "tests/settings/profile_file.h"
#include "tests/shell/shell_test_support.h"

namespace {

using shell_test::RunSaver;
using shell_test::timerCalls;

class SaverProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell_test::ResetAll();
    Settings = SettingsRecord{};
    shell_test::PlaceCursor(400, 300);
    parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(parent, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent);
    shell_test::ResetAll();
  }
  void StoreSpeed(const char* speed) {
    if (speed) {
      profile_file::Write(std::string("[Screen Saver.Vyk]\r\nRedrawSpeed=") + speed + "\r\n");
    } else {
      profile_file::Remove();
    }
  }
  profile_file::Saved savedProfile;
  HWND parent = nullptr;
};

struct PeriodCase {
  const char* stored;  // RedrawSpeed in control.ini; null: no file
  LONG loaded;         // Settings.redrawSpeed after creation, unchecked
  UINT period;         // milliseconds asked of SetTimer
};

const PeriodCase periodCases[] = {
    {"1", 1, 14},    {"2", 2, 28},    {"3", 3, 42},   {"4", 4, 57},   {"5", 5, 71},     {"6", 6, 85},
    {"7", 7, 99},    {"8", 8, 114},   {"9", 9, 128},  {"10", 10, 142}, {nullptr, 1, 14},
    // Out of the dialog's range: loaded as stored, timed as speed 1.
    {"0", 0, 14},    {"11", 11, 14},  {"-1", -1, 14}, {"-3", -3, 14}, {"2147483647", 2147483647, 14},
    {"-2147483648", static_cast<LONG>(0x80000000u), 14},
};

TEST_F(SaverProcTest, TimerPeriodFromTheStoredSpeed) {
  for (const PeriodCase& c : periodCases) {
    shell_test::ResetAll();
    StoreSpeed(c.stored);
    HWND created = nullptr;
    RunSaver(parent, [&](HWND window) { created = window; });
    SCOPED_TRACE(c.stored ? c.stored : "no file");
    EXPECT_EQ(Settings.redrawSpeed, c.loaded);
    ASSERT_EQ(timerCalls.size(), 1u);
    EXPECT_EQ(timerCalls[0].window, created);
    EXPECT_EQ(timerCalls[0].id, 1u);
    EXPECT_EQ(timerCalls[0].period, c.period);
  }
}

TEST_F(SaverProcTest, StoredFileUnchangedByTheSaver) {
  StoreSpeed("-3");
  std::string before;
  ASSERT_TRUE(profile_file::Read(&before));
  RunSaver(parent, [](HWND window) { SendMessageA(window, WM_TIMER, 1, 0); });
  std::string after;
  ASSERT_TRUE(profile_file::Read(&after));
  EXPECT_EQ(after, before);
  EXPECT_EQ(Settings.redrawSpeed, -3);
}

// The period for every value a 32-bit speed can hold lies within the dialog's range of periods.
TEST(TimerPeriod, SpeedsOutsideOneToTenRunAtSpeedOne) {
  const LONG speeds[] = {0, 11, 12, 100, -1, -10, 2147483647, static_cast<LONG>(0x80000000u)};
  for (LONG speed : speeds) EXPECT_EQ(TimerPeriod(speed), 14u) << speed;
  EXPECT_EQ(TimerPeriod(7), 99u);
}

TEST_F(SaverProcTest, CreationOrder) {
  StoreSpeed("4");
  animation.animationSeed = 0;
  DWORD before = GetTickCount();
  RunSaver(parent, [&](HWND) {
    // Settings loaded, seed taken, timer asked for, and the wait for the first tick begun.
    EXPECT_EQ(Settings.redrawSpeed, 4);
    EXPECT_LE(animation.animationSeed - before, GetTickCount() - before);
    EXPECT_EQ(saverProcState.timerId, 1u);
    EXPECT_EQ(saverProcState.awaitingFirstTick, 1);
  });
  EXPECT_EQ(saverProcState.timerId, 0u);
}

TEST_F(SaverProcTest, RealTimerTicksAndIsKilledAtDestruction) {
  shellSeams.SetTimer = ::SetTimer;
  HWND created = nullptr;
  UINT_PTR timer = 0;
  int result = RunSaver(parent, [&](HWND window) {
    created = window;
    timer = saverProcState.timerId;
    EXPECT_EQ(timer, 1u);
    waits::WaitUntil([] { return saverProcState.awaitingFirstTick == 0; }, [] {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      shell_test::Pump();
    });
    EXPECT_EQ(saverProcState.awaitingFirstTick, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsWindow(created));
  EXPECT_EQ(saverProcState.timerId, 0u);
}

TEST_F(SaverProcTest, ClosableWithoutATimer) {
  shell_test::fakeTimerResult = 0;
  bool destroyed = false;
  int result = RunSaver(nullptr, [&](HWND window) {
    EXPECT_EQ(saverProcState.timerId, 0u);
    EXPECT_EQ(saverProcState.awaitingFirstTick, 0);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    shell_test::Pump();
    destroyed = !IsWindow(window);
  });
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(timerCalls.size(), 1u);
}

TEST_F(SaverProcTest, TickAnyIdentifierEndsTheWait) {
  const WPARAM ids[] = {1, 0, 2, 77};
  for (WPARAM id : ids) {
    shell_test::ResetAll();
    bool closedBeforeTick = false;
    bool closedAfterTick = false;
    RunSaver(parent, [&](HWND window) {
      EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
      closedBeforeTick = !IsWindow(window);
      SendMessageA(window, WM_TIMER, id, 0);
      EXPECT_EQ(saverProcState.awaitingFirstTick, 0);
      SendMessageA(window, WM_CLOSE, 0, 0);
      closedAfterTick = !IsWindow(window);
    });
    EXPECT_FALSE(closedBeforeTick) << id;
    EXPECT_TRUE(closedAfterTick) << id;
  }
}

TEST_F(SaverProcTest, TickDuringAFrameLeavesTheFrameGuardAlone) {
  RunSaver(parent, [](HWND window) {
    SendMessageA(window, WM_TIMER, 1, 0);
    EXPECT_EQ(saverProcState.inFrame, 0);
    // A nested tick arriving while a frame is drawn finds the guard set.
    saverProcState.inFrame = 1;
    SendMessageA(window, WM_TIMER, 1, 0);
    EXPECT_EQ(saverProcState.inFrame, 1);
    saverProcState.inFrame = 0;
  });
}

TEST_F(SaverProcTest, NoTickAfterACloseWasAllowed) {
  RunSaver(nullptr, [](HWND window) {
    SendMessageA(window, WM_TIMER, 1, 0);
    shell.closeAllowed = 1;
    saverProcState.awaitingFirstTick = 1;
    // Dropped by the first stage: the wait is not ended by it.
    EXPECT_EQ(SendMessageA(window, WM_TIMER, 1, 0), 0);
    EXPECT_EQ(saverProcState.awaitingFirstTick, 1);
    saverProcState.awaitingFirstTick = 0;
  });
}

}  // namespace
