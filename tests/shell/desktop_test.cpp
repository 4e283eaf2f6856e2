// The full-screen saver on the desktop: covers over the other monitors, no frames with the display off, DPI-scaled travel.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_directx.h"
#include "tests/shell/shell_test_support.h"

namespace {

std::vector<RECT> monitors;  // what the monitor seam reports, primary first
int ReportMonitors(RECT* rects, int capacity) {
  int count = std::min(capacity, static_cast<int>(monitors.size()));
  std::copy(monitors.begin(), monitors.begin() + count, rects);
  return count;
}

// The windows the saver window owns: its covers.
std::vector<HWND> covers;
BOOL CALLBACK AddCover(HWND window, LPARAM saver) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(saver) && IsWindowVisible(window)) covers.push_back(window);
  return TRUE;
}
std::vector<HWND> Covers(HWND saver) {
  covers.clear();
  EnumThreadWindows(GetCurrentThreadId(), AddCover, reinterpret_cast<LPARAM>(saver));
  return covers;
}

// A saver on fake DirectX over two monitors, the cursor resting on the second.
void Start() {
  shell_test::ResetAll();
  fake::Reset();
  fake::InstallPlatform();
  platform.ListMonitors = ReportMonitors;
  monitors = {{0, 0, 400, 600}, {400, 0, 800, 600}};
  shell_test::PlaceCursor(600, 300);
}

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  void TearDown() override { shell_test::ResetAll(); }
};

TEST_F(DesktopTest, EveryOtherMonitorGetsABlackCover) {
  HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr, nullptr, nullptr);
  const struct {
    const char* name;
    std::vector<RECT> monitors;
    HWND parent;  // the preview's parent, or null for full screen
    std::vector<RECT> covers;
  } cases[] = {
      {"one monitor", {{0, 0, 800, 600}}, nullptr, {}},
      {"two monitors", monitors, nullptr, {{400, 0, 800, 600}}},
      {"three", {{0, 0, 400, 300}, {-300, 0, 0, 200}, {0, 300, 800, 600}}, nullptr,
       {{-300, 0, 0, 200}, {0, 300, 800, 600}}},
      {"preview", monitors, host, {}},
  };
  for (const auto& c : cases) {
    monitors = c.monitors;
    std::vector<HWND> made;
    shell_test::RunSaver(c.parent, [&](HWND saver) {
      made = Covers(saver);
      ASSERT_EQ(made.size(), c.covers.size()) << c.name;
      for (HWND cover : made) {
        RECT at;
        GetWindowRect(cover, &at);
        EXPECT_EQ(std::count_if(c.covers.begin(), c.covers.end(), [&](const RECT& r) { return EqualRect(&r, &at); }), 1);
        EXPECT_EQ(GetWindowLongA(cover, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST) << c.name;
        EXPECT_EQ(GetForegroundWindow(), saver) << c.name;
      }
    });
    for (HWND cover : made) EXPECT_FALSE(IsWindow(cover)) << c.name;
  }
  platform.ListMonitors = RuntimeListMonitors;
  shell_test::RunSaver(nullptr, [](HWND saver) { EXPECT_TRUE(Covers(saver).empty()) << "Wine's one monitor"; });
  DestroyWindow(host);
}

TEST_F(DesktopTest, RealInputOnTheCoverEndsTheSaver) {
  const struct {
    const char* name;
    int moveX;  // cursor travel across the cover; 0 clicks instead
    bool closes;
  } cases[] = {{"click", 0, true}, {"move by 4", 4, false}, {"move by 5", 5, true}};
  for (const auto& c : cases) {
    Start();
    HWND cover = nullptr;
    bool closed = false;
    int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      cover = Covers(saver).at(0);
      SendMessageA(saver, WM_TIMER, 1, 0);
      EXPECT_EQ(WindowFromPoint(POINT{600, 300}), cover) << c.name;
      INPUT click[2] = {{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
      click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      c.moveX ? shell_test::PlaceCursor(600 + c.moveX, 300) : static_cast<void>(SendInput(2, click, sizeof(INPUT)));
      // A closing input is waited for until the deadline; one that must not close gets a
      // second and a half after the platform has reported it.
      const auto gone = [&] { return !IsWindow(saver); };
      const auto pump = [] {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        shell_test::Pump();
      };
      if (c.closes) {
        waits::WaitUntil(gone, pump);
      } else {
        for (const DWORD start = GetTickCount(); !gone() && GetTickCount() - start < 1500;) pump();
      }
      closed = gone();
    });
    EXPECT_EQ(closed, c.closes) << c.name;
    EXPECT_EQ(result, 0) << c.name;
    EXPECT_FALSE(IsWindow(cover)) << c.name;
  }
}

// One tick after the system's notice of a power setting (the console display's: 0 off,
// 1 on, 2 dimmed); the frames it presented as the fake DirectX logged them.
int FramesAfterNotice(HWND saver, DWORD state, bool consoleDisplay = true) {
  POWERBROADCAST_SETTING setting = {{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}},
                                    sizeof(DWORD), {static_cast<UCHAR>(state)}};
  if (!consoleDisplay) setting.PowerSetting.Data1 = 0x02731015;
  SendMessageA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting));
  fake::ClearLog();
  SendMessageA(saver, WM_TIMER, 1, 0);
  return static_cast<int>(std::count_if(fake::Log().begin(), fake::Log().end(), [](const std::string& line) {
    return line.find("::Flip(") != std::string::npos || line.find("::Blt(") != std::string::npos;
  }));
}

TEST_F(DesktopTest, NoFramesWhileTheDisplayIsOff) {
  int result = shell_test::RunSaver(nullptr, [](HWND saver) {
    EXPECT_EQ(FramesAfterNotice(saver, 0), 0) << "off";
    EXPECT_EQ(FramesAfterNotice(saver, 2), 1) << "dimmed";
    EXPECT_EQ(FramesAfterNotice(saver, 0), 0) << "off again";
    EXPECT_EQ(FramesAfterNotice(saver, 1, false), 0) << "another setting";
    EXPECT_EQ(FramesAfterNotice(saver, 1), 1) << "on";
    // The first tick came while the display was off, and a key still ends the saver.
    FramesAfterNotice(saver, 0);
    SendMessageA(saver, WM_KEYDOWN, 'A', 0);
    shell_test::Pump();
    EXPECT_FALSE(IsWindow(saver));
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(fake::Leaks().empty());
}

TEST(CursorTravelLimit, ScaledByDpi) {
  const UINT cases[][2] = {{96, 4}, {120, 5}, {144, 6}, {192, 8}, {72, 3}, {0, 4}, {20, 4}, {100000, 4}, {~0u, 4}};
  for (const auto& c : cases) EXPECT_EQ(CursorTravelLimit(c[0]), c[1]) << c[0];
}

}  // namespace
