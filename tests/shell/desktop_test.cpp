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

// The colour a cover paints in its middle, drawn into white memory so that a monitor off
// the virtual display's visible part counts too.
COLORREF CoverPixel(HWND cover) {
  RECT client;
  GetClientRect(cover, &client);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PatBlt(memory, 0, 0, client.right, client.bottom, WHITENESS);
  COLORREF colour = PrintWindow(cover, memory, PW_CLIENTONLY) ? GetPixel(memory, client.right / 2, client.bottom / 2)
                                                               : CLR_INVALID;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return colour;
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
        EXPECT_EQ(CoverPixel(cover), RGB(0, 0, 0)) << c.name;
      }
      if (!c.parent) {
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

// The registry-style text of a GUID, as the platform documentation publishes it.
std::string GuidText(const GUID& guid) {
  char text[40];
  wsprintfA(text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2, guid.Data3, guid.Data4[0],
            guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

// Power notification stand-ins: what the saver registered for, and what it gave back.
struct PowerRegistration {
  HANDLE recipient;
  GUID setting;
  DWORD flags;
};
std::vector<PowerRegistration> registrations;
std::vector<HPOWERNOTIFY> unregistrations;
HPOWERNOTIFY const powerHandle = reinterpret_cast<HPOWERNOTIFY>(0x5150);
HPOWERNOTIFY WINAPI RecordRegistration(HANDLE recipient, LPCGUID setting, DWORD flags) {
  registrations.push_back({recipient, *setting, flags});
  return powerHandle;
}
BOOL WINAPI RecordUnregistration(HPOWERNOTIFY notify) {
  unregistrations.push_back(notify);
  return TRUE;
}

// One tick after the system's notice of a power setting (0 off, 1 on, 2 dimmed); the
// frames it presented as the fake DirectX logged them.
int FramesAfterNotice(HWND saver, const GUID& about, DWORD state) {
  POWERBROADCAST_SETTING setting = {about, sizeof(DWORD), {static_cast<UCHAR>(state)}};
  SendMessageA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting));
  fake::ClearLog();
  SendMessageA(saver, WM_TIMER, 1, 0);
  return static_cast<int>(std::count_if(fake::Log().begin(), fake::Log().end(), [](const std::string& line) {
    return line.find("::Flip(") != std::string::npos || line.find("::Blt(") != std::string::npos;
  }));
}

// Vista and 7 announce the display's power only as GUID_MONITOR_POWER_ON; Windows 8 and
// later as GUID_CONSOLE_DISPLAY_STATE, which also knows dimmed.
TEST_F(DesktopTest, NoFramesWhileTheDisplayIsOff) {
  const struct {
    const char* name;
    DWORD major, minor;
    const char* setting;  // the published GUID registered for
  } cases[] = {
      {"Vista", 6, 0, "02731015-4510-4526-99E6-E5A17EBD1AEA"},
      {"7", 6, 1, "02731015-4510-4526-99E6-E5A17EBD1AEA"},
      {"8", 6, 2, "6FE69556-704A-47A0-8F24-C28D936FDA47"},
      {"10", 10, 0, "6FE69556-704A-47A0-8F24-C28D936FDA47"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    fake::SetVersion(VER_PLATFORM_WIN32_NT, c.major, c.minor, 0);
    platform.RegisterPowerSettingNotification = RecordRegistration;
    platform.UnregisterPowerSettingNotification = RecordUnregistration;
    registrations.clear();
    unregistrations.clear();
    int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      ASSERT_EQ(registrations.size(), 1u);
      EXPECT_EQ(registrations[0].recipient, saver);
      EXPECT_EQ(registrations[0].flags, static_cast<DWORD>(DEVICE_NOTIFY_WINDOW_HANDLE));
      const GUID about = registrations[0].setting;
      EXPECT_EQ(GuidText(about), c.setting);
      GUID other = about;
      other.Data1 ^= 1;
      EXPECT_EQ(FramesAfterNotice(saver, about, 0), 0) << "off";
      EXPECT_EQ(FramesAfterNotice(saver, about, 1), 1) << "on";
      EXPECT_EQ(FramesAfterNotice(saver, about, 0), 0) << "off again";
      EXPECT_EQ(FramesAfterNotice(saver, other, 1), 0) << "another setting";
      EXPECT_EQ(FramesAfterNotice(saver, about, 2), 1) << "dimmed";
      // The first tick came while the display was off, and a key still ends the saver.
      FramesAfterNotice(saver, about, 0);
      SendMessageA(saver, WM_KEYDOWN, 'A', 0);
      shell_test::Pump();
      EXPECT_FALSE(IsWindow(saver));
      EXPECT_EQ(unregistrations, std::vector<HPOWERNOTIFY>{powerHandle}) << "as the window closes";
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(unregistrations.size(), 1u);
    EXPECT_TRUE(fake::Leaks().empty());
  }
}

TEST(CursorTravelLimit, ScaledByDpi) {
  const UINT cases[][2] = {{96, 4}, {120, 5}, {144, 6}, {192, 8}, {72, 3}, {0, 4}, {20, 4}, {100000, 4}, {~0u, 4}};
  for (const auto& c : cases) EXPECT_EQ(CursorTravelLimit(c[0]), c[1]) << c[0];
}

}  // namespace
