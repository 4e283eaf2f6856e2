// The full-screen saver on the desktop: the monitor list of pictures and covers, no frames with the display off, DPI-scaled travel.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "display/device_state.h"
#include "shell/shell.h"
#include "fakes/fake_directx.h"
#include "platform/platform.h"
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
        EXPECT_EQ(shell_test::WindowPixel(cover), RGB(0, 0, 0)) << c.name;
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
      // On Windows the saver window is as large as the primary monitor. Wine's one 800x600
      // screen makes it cover the fake second monitor too, and its activation, coming back
      // late from X on a busy machine, can raise it over the cover; fitted to the fake
      // primary, it leaves the cover alone under the point, as Windows would.
      MoveWindow(saver, 0, 0, 400, 600, FALSE);
      EXPECT_EQ(WindowFromPoint(POINT{600, 300}), cover) << c.name;
      INPUT click[2] = {{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
      click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      c.moveX ? shell_test::PlaceCursor(600 + c.moveX, 300) : static_cast<void>(SendInput(2, click, sizeof(INPUT)));
      // A closing input is waited for until the deadline; one that must not close gets a
      // second and a half after the platform has reported it. The ticks stand in for the timer.
      const auto gone = [&] { return !IsWindow(saver); };
      const auto pump = [&] {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        shell_test::Pump();
        if (IsWindow(saver)) SendMessageA(saver, WM_TIMER, 1, 0);
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

// What the device seam reports: the DirectDraw devices of single monitors.
std::vector<MonitorDevice> devices;
int ReportDevices(MonitorDevice* out, int capacity) {
  int count = std::min(capacity, static_cast<int>(devices.size()));
  std::copy(devices.begin(), devices.begin() + count, out);
  return count;
}
MonitorDevice DeviceOn(DWORD guid, const RECT& area) { return MonitorDevice{{guid, 0x1111, 0x2222, {}}, area}; }
// A monitor the enumeration reports without a device of its own (Wine's one GUID for all).
MonitorDevice NoOwnDevice(const RECT& area) { return MonitorDevice{{}, area}; }

// The records of the monitor list in use, the saver window's first.
std::vector<MonitorRecord*> InUse() {
  std::vector<MonitorRecord*> used;
  for (MonitorRecord& monitor : saverMonitors) {
    if (monitor.role != noRole) used.push_back(&monitor);
  }
  return used;
}

// The record beside the saver window's made for area; null when there is none.
MonitorRecord* RecordOn(const RECT& area) {
  for (int i = 1; i < maxMonitors; ++i) {
    if (saverMonitors[i].role != noRole && EqualRect(&saverMonitors[i].area, &area)) return &saverMonitors[i];
  }
  return nullptr;
}

// Presents of one record's frames the fake logged: "Blt" into its monitor's corner (0,0),
// "GDI" copies, "Flip"s.
int Presents(const DeviceStateRecord& record, const std::string& how) {
  const std::string start = how == "GDI"    ? "Surface::GetDC(" + fake::NameOf(record.renderSurface) + ")"
                            : how == "Blt" ? "Surface::Blt(" + fake::NameOf(record.frontSurface) + ",(0,0,"
                                           : "Surface::Flip(" + fake::NameOf(record.frontSurface) + ",";
  return static_cast<int>(std::count_if(fake::Log().begin(), fake::Log().end(),
                                        [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

// Every monitor with a device of its own draws windowed into a window of its own, all at
// the same frame; a failed one stays black; the others are covered. One monitor, the
// setting off, or no enumeration keeps the exclusive full screen with covers.
TEST_F(DesktopTest, EveryMonitorWithADeviceDrawsItsOwnPicture) {
  const RECT left = {0, 0, 400, 600}, right = {400, 0, 800, 600}, below = {0, 600, 400, 900};
  const struct {
    const char* name;
    const char* allMonitors;
    std::vector<RECT> monitors;
    std::vector<MonitorDevice> devices;
    std::vector<std::string> presents;  // per record brought up: Blt, GDI, Flip, or none (bring-up failed)
    size_t covers;
  } cases[] = {
      {"own devices", "1", {left, right}, {DeviceOn(1, left), DeviceOn(2, right)}, {"Blt", "Blt"}, 0},
      {"no device of their own, as Wine", "1", {left, right}, {NoOwnDevice(left), NoOwnDevice(right)}, {"Blt", "GDI"}, 0},
      {"a monitor the enumeration misses", "1", {left, right, below}, {DeviceOn(1, left), DeviceOn(2, right)},
       {"Blt", "Blt"}, 1},
      {"a monitor's bring-up fails", "1", {left, right}, {DeviceOn(1, left), DeviceOn(2, right)}, {"Blt", "none"}, 0},
      {"setting off", "0", {left, right}, {DeviceOn(1, left), DeviceOn(2, right)}, {"Flip"}, 1},
      {"no enumeration", "1", {left, right}, {}, {"Flip"}, 1},
      {"one monitor", "1", {{0, 0, 800, 600}}, {DeviceOn(1, {0, 0, 800, 600})}, {"Flip"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    platform.ListMonitorDevices = ReportDevices;
    monitors = c.monitors;
    devices = c.devices;
    shell_test::StoreAllMonitors(c.allMonitors);
    DeleteFileA("vykerror.txt");
    const int records = static_cast<int>(c.presents.size());
    // Every bring-up of the last monitor's device fails, the one a later look tries too.
    if (c.presents.back() == "none") fake::FailCall("DirectDrawCreate({00000002-", 0, DDERR_GENERIC);
    int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      const std::vector<DeviceStateRecord*> pictures = shell_test::Pictures();
      ASSERT_EQ(static_cast<int>(pictures.size()), records);
      EXPECT_EQ(pictures[0], &DeviceState);
      EXPECT_EQ(DeviceState.window, saver);
      EXPECT_EQ(Covers(saver).size(), c.covers + records - 1);
      const uint32_t before = animation.frameCounter;
      for (int tick = 0; tick < 3; ++tick) SendMessageA(saver, WM_TIMER, 1, 0);
      EXPECT_EQ(animation.frameCounter, before + 3) << "one clock for every monitor";
      for (int i = 0; i < records; ++i) {
        const DeviceStateRecord& record = *pictures[i];
        EXPECT_EQ(record.fullScreen, c.presents[i] == "Flip" ? 1 : 0) << i;
        if (c.presents[i] == "none") {
          EXPECT_EQ(record.deviceStatus, 1) << i;
          char logged[64] = {};
          HANDLE log = CreateFileA("vykerror.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
          DWORD read = 0;
          ReadFile(log, logged, sizeof(logged) - 1, &read, nullptr);
          CloseHandle(log);
          EXPECT_STREQ(logged, "Failed to create DirectDraw.\r\n");
          EXPECT_TRUE(IsWindowVisible(record.window)) << "black, " << i;
          continue;
        }
        EXPECT_EQ(Presents(record, c.presents[i]), 3) << i;
        EXPECT_EQ(fake::Device(record.device)->scenes, 3 + 1) << "set-up scene and three frames, " << i;
        // The one full-screen window keeps the screen's size, as it always has.
        if (records == 1) continue;
        RECT placed;
        GetWindowRect(record.window, &placed);
        EXPECT_TRUE(EqualRect(&placed, &c.monitors[i])) << i;
        EXPECT_EQ(record.clientWidth, c.monitors[i].right - c.monitors[i].left) << i;
      }
      // A click on the last monitor's window ends the saver, as on a cover.
      SendMessageA(pictures.back()->window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      shell_test::Pump();
      EXPECT_FALSE(IsWindow(saver));
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(InUse().empty());
    EXPECT_TRUE(fake::Leaks().empty());
    EXPECT_TRUE(fake::Problems().empty());
  }
  DeleteFileA("vykerror.txt");
  shell_test::StoreAllMonitors("1");
}

// A change keeps the pictures of unchanged monitors; a new monitor is black under its view
// at once and drawn from the next tick; the cursor the system moves with the change closes
// nothing, even when the move comes before the change shows.
TEST_F(DesktopTest, PicturesFollowTheMonitorsWhileTheSaverRuns) {
  const RECT left = {0, 0, 400, 600}, right = {400, 0, 800, 600}, wider = {400, 0, 1000, 500};
  platform.ListMonitorDevices = ReportDevices;
  shell_test::StoreAllMonitors("1");
  const struct {
    const char* name;
    std::vector<RECT> monitors;
    int records;
    LONG fullScreen;
    bool keepsPrimary;  // the saver window's picture stays the one made before
    bool moveFirst;     // the cursor moves before the monitor list changes
  } steps[] = {
      {"a second monitor appears", {left, right}, 2, 0, false, false},
      {"it grows", {left, wider}, 2, 0, true, true},
      {"it goes away: the primary alone, still windowed", {left}, 1, 0, false, false},
  };
  monitors = {left};
  devices = {DeviceOn(1, left), DeviceOn(2, right), DeviceOn(3, wider)};
  int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
    SendMessageA(saver, WM_TIMER, 1, 0);
    int cursorX = 600;
    for (const auto& step : steps) {
      SCOPED_TRACE(step.name);
      HWND before = saverMonitors[1].window;
      IDirectDraw2* primaryBefore = DeviceState.directDraw2;
      if (!step.moveFirst) monitors = step.monitors;
      cursorX = cursorX == 600 ? 500 : 600;
      shell_test::PlaceCursor(cursorX, 300);
      shell_test::Pump();
      if (step.moveFirst) {
        monitors = step.monitors;
        Sleep(travelConfirmTicks + 20);
      }
      ASSERT_TRUE(IsWindow(saver)) << "the cursor moved with the monitors";
      SendMessageA(saver, WM_TIMER, 1, 0);
      if (step.records > 1) {
        const MonitorRecord* added = RecordOn(step.monitors[1]);
        ASSERT_NE(added, nullptr);
        const DeviceStateRecord& record = *added->display;
        EXPECT_TRUE(IsWindowVisible(record.window)) << "black before its picture comes up";
        EXPECT_EQ(record.deviceStatus, 0);
      }
      SendMessageA(saver, WM_TIMER, 1, 0);
      shell_test::Pump();
      ASSERT_TRUE(IsWindow(saver));
      EXPECT_EQ(static_cast<int>(shell_test::Pictures().size()), step.records);
      EXPECT_EQ(DeviceState.fullScreen, step.fullScreen);
      EXPECT_EQ(DeviceState.deviceStatus, 2);
      EXPECT_EQ(DeviceState.directDraw2 == primaryBefore, step.keepsPrimary);
      if (before) {
        EXPECT_FALSE(IsWindow(before)) << "the old window went with its record";
      }
      if (step.records > 1) {
        const MonitorRecord* monitor = RecordOn(step.monitors[1]);
        ASSERT_NE(monitor, nullptr);
        const DeviceStateRecord& record = *monitor->display;
        RECT placed;
        GetWindowRect(record.window, &placed);
        EXPECT_TRUE(EqualRect(&placed, &step.monitors[1]));
        EXPECT_EQ(record.deviceStatus, 2);
        EXPECT_EQ(record.clientWidth, step.monitors[1].right - step.monitors[1].left);
        EXPECT_EQ(fake::Device(record.device)->scenes, 2) << "set-up and one frame";
      }
      EXPECT_EQ(Covers(saver).size(), static_cast<size_t>(step.records - 1));
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
}

// What each monitor shows after a change of the desktop, and which windows stay: a monitor
// that stayed keeps its window and picture, a new or moved one gets a window of its own;
// every window leads back to its record. Closing the saver closes every window and empties
// the list.
TEST_F(DesktopTest, TheMonitorListFollowsEachChange) {
  const RECT main = {0, 0, 400, 600}, taller = {0, 0, 400, 700}, right = {400, 0, 800, 600}, left = {-300, 0, 0, 200},
             below = {0, 600, 400, 900};
  platform.ListMonitorDevices = ReportDevices;
  const struct {
    const char* name;
    const char* allMonitors;
    std::vector<RECT> before, after;  // primary first
    std::vector<MonitorDevice> devices;
    std::string roles;  // after the change, for each monitor beside the primary: P picture, C cover
    std::string kept;   // for each of them: K its window stayed, N a new one
    bool primaryKept;   // the saver window's picture stayed the one made before
  } cases[] = {
      {"a covered monitor goes, a drawn one stays", "1", {main, right, left}, {main, right},
       {DeviceOn(1, main), DeviceOn(2, right)}, "P", "K", true},
      {"a monitor comes beside two", "1", {main, right}, {main, right, left},
       {DeviceOn(1, main), DeviceOn(2, right), DeviceOn(3, left)}, "PP", "KN", true},
      {"a drawn monitor moves", "1", {main, right}, {main, below},
       {DeviceOn(1, main), DeviceOn(2, right), DeviceOn(3, below)}, "P", "N", true},
      {"the primary grows", "1", {main, right}, {taller, right},
       {DeviceOn(1, main), DeviceOn(4, taller), DeviceOn(2, right)}, "P", "K", false},
      {"setting off: the covers follow", "0", {main, right, left}, {main, right, below},
       {DeviceOn(1, main), DeviceOn(2, right)}, "CC", "KN", true},
      {"setting off: a second monitor comes", "0", {main}, {main, right}, {DeviceOn(1, main), DeviceOn(2, right)}, "C",
       "N", false},
      {"a mirror: two monitors of one place share a window", "1", {main, right}, {main, right, right},
       {DeviceOn(1, main), DeviceOn(2, right)}, "PP", "KK", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    platform.ListMonitorDevices = ReportDevices;
    shell_test::StoreAllMonitors(c.allMonitors);
    monitors = c.before;
    devices = c.devices;
    std::vector<HWND> seen;  // every monitor window the run opened
    int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      SendMessageA(saver, WM_TIMER, 1, 0);
      std::vector<std::pair<RECT, HWND>> windowsBefore;
      for (size_t i = 1; i < c.before.size(); ++i) {
        const MonitorRecord* monitor = RecordOn(c.before[i]);
        ASSERT_NE(monitor, nullptr) << i;
        windowsBefore.push_back({c.before[i], monitor->window});
        seen.push_back(monitor->window);
      }
      const std::string primaryBefore = fake::NameOf(DeviceState.directDraw2);

      monitors = c.after;
      SendMessageA(saver, WM_DISPLAYCHANGE, 32, MAKELPARAM(400, 600));
      SendMessageA(saver, WM_TIMER, 1, 0);
      SendMessageA(saver, WM_TIMER, 1, 0);

      EXPECT_FALSE(DesktopDiffers());
      EXPECT_EQ(saverMonitors[0].window, saver);
      EXPECT_EQ(saverMonitors[0].display, &DeviceState);
      EXPECT_TRUE(EqualRect(&saverMonitors[0].area, &c.after[0]));
      EXPECT_EQ(DeviceState.deviceStatus, 2);
      EXPECT_EQ(fake::NameOf(DeviceState.directDraw2) == primaryBefore, c.primaryKept);
      EXPECT_EQ(MonitorOfWindow(saver), nullptr) << "the saver window is the first record's";
      std::vector<HWND> keptWindows;
      for (size_t i = 1; i < c.after.size(); ++i) {
        SCOPED_TRACE(i);
        const MonitorRecord* monitor = RecordOn(c.after[i]);
        ASSERT_NE(monitor, nullptr);
        EXPECT_EQ(monitor->role, c.roles[i - 1] == 'P' ? pictureRole : coverRole);
        ASSERT_TRUE(IsWindowVisible(monitor->window));
        seen.push_back(monitor->window);
        EXPECT_EQ(MonitorOfWindow(monitor->window), monitor);
        RECT placed;
        GetWindowRect(monitor->window, &placed);
        EXPECT_TRUE(EqualRect(&placed, &c.after[i]));
        const auto before = std::find_if(windowsBefore.begin(), windowsBefore.end(),
                                         [&](const std::pair<RECT, HWND>& w) { return EqualRect(&w.first, &c.after[i]); });
        const bool kept = before != windowsBefore.end() && before->second == monitor->window;
        EXPECT_EQ(kept, c.kept[i - 1] == 'K');
        if (kept) keptWindows.push_back(monitor->window);
        if (monitor->role == pictureRole) {
          ASSERT_NE(monitor->display, nullptr);
          EXPECT_NE(monitor->display, &DeviceState);
          EXPECT_EQ(monitor->display->window, monitor->window);
          EXPECT_EQ(monitor->display->deviceStatus, 2);
        } else {
          EXPECT_EQ(monitor->display, nullptr);
        }
      }
      const std::set<std::pair<LONG, LONG>> places = [&] {
        std::set<std::pair<LONG, LONG>> corners;
        for (size_t i = 1; i < c.after.size(); ++i) corners.insert({c.after[i].left, c.after[i].top});
        return corners;
      }();
      EXPECT_EQ(InUse().size(), 1 + places.size()) << "one record for each monitor";
      for (const auto& w : windowsBefore) {
        if (std::find(keptWindows.begin(), keptWindows.end(), w.second) == keptWindows.end()) {
          EXPECT_FALSE(IsWindow(w.second)) << "a window not kept is closed";
        }
      }
    });
    EXPECT_EQ(result, 0);
    for (HWND window : seen) EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(InUse().empty());
    WNDCLASSA monitorClass;
    EXPECT_FALSE(GetClassInfoA(shell.instance, "VykMonitorWindow", &monitorClass)) << "the class is forgotten";
    EXPECT_TRUE(fake::Leaks().empty());
    EXPECT_TRUE(fake::Problems().empty());
  }
  shell_test::StoreAllMonitors("1");
}

// USER32 on a system with a mirroring driver: a monitor for each display device, named by
// GetMonitorInfoA, and the device's StateFlags given by EnumDisplayDevicesA.
std::vector<std::pair<RECT, DWORD>> user32Monitors;  // primary first
BOOL WINAPI EnumUser32Monitors(HDC, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
  for (size_t i = 0; i < user32Monitors.size(); ++i) {
    callback(reinterpret_cast<HMONITOR>(i), nullptr, &user32Monitors[i].first, data);
  }
  return TRUE;
}
BOOL WINAPI User32MonitorInfo(HMONITOR monitor, LPMONITORINFO info) {
  const size_t i = reinterpret_cast<size_t>(monitor);
  if (info->cbSize != sizeof(MONITORINFOEXA)) return FALSE;
  info->rcMonitor = info->rcWork = user32Monitors[i].first;
  info->dwFlags = i == 0 ? MONITORINFOF_PRIMARY : 0;
  wsprintfA(reinterpret_cast<MONITORINFOEXA*>(info)->szDevice, "\\\\.\\DISPLAY%d", static_cast<int>(i + 1));
  return TRUE;
}
int ListUser32Monitors(RECT* rects, int capacity) {
  return ListMonitorsWith(EnumUser32Monitors, User32MonitorInfo, rects, capacity);
}
BOOL WINAPI EnumUser32Devices(LPCSTR, DWORD index, PDISPLAY_DEVICEA info, DWORD) {
  if (index >= user32Monitors.size()) return FALSE;
  wsprintfA(info->DeviceName, "\\\\.\\DISPLAY%d", static_cast<int>(index + 1));
  info->StateFlags = user32Monitors[index].second;
  return TRUE;
}
// The seam's default where EnumDisplayDevicesA is missing (Windows 95, NT 4).
BOOL WINAPI NoDisplayDevices(LPCSTR, DWORD, PDISPLAY_DEVICEA, DWORD) { return FALSE; }

// No window lies over a picture: a monitor overlapping one listed before it, and a mirroring
// driver's wherever it lies (where the system can tell), get no record and no window.
TEST_F(DesktopTest, NoWindowLiesOverAPicture) {
  const RECT main = {0, 0, 400, 600}, right = {400, 0, 800, 600};
  const DWORD on = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP, mirror = DISPLAY_DEVICE_MIRRORING_DRIVER;
  const struct {
    const char* name;
    RECT third;         // the monitor listed after the two pictures'
    DWORD thirdState;   // its display device's StateFlags
    bool deviceStates;  // EnumDisplayDevicesA exists
  } cases[] = {
      {"a pseudo-monitor over the whole desktop", {0, 0, 800, 600}, on, true},
      {"a monitor overlapping the second", {600, 0, 1000, 600}, on, true},
      {"a mirroring driver's monitor", {800, 0, 1200, 600}, mirror, true},
      {"no EnumDisplayDevicesA: a cover beside, over no picture", {800, 0, 1200, 600}, mirror, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    shell_test::StoreAllMonitors("1");
    user32Monitors = {{main, on}, {right, on}, {c.third, c.thirdState}};
    platform.ListMonitors = ListUser32Monitors;
    platform.EnumDisplayDevicesA = c.deviceStates ? EnumUser32Devices : NoDisplayDevices;
    platform.ListMonitorDevices = ReportDevices;
    devices = {DeviceOn(1, main), DeviceOn(2, right)};
    shell_test::RunSaver(nullptr, [&](HWND saver) {
      SendMessageA(saver, WM_DISPLAYCHANGE, 32, MAKELPARAM(400, 600));
      SendMessageA(saver, WM_TIMER, 1, 0);
      EXPECT_EQ(shell_test::Pictures().size(), 2u);
      EXPECT_EQ(RecordOn(c.third) != nullptr, !c.deviceStates) << "a record for the third monitor";
      EXPECT_EQ(InUse().size(), c.deviceStates ? 2u : 3u);
      for (HWND window : Covers(saver)) {
        RECT at, common;
        GetWindowRect(window, &at);
        for (const RECT& picture : {main, right}) {
          EXPECT_TRUE(EqualRect(&at, &picture) || !IntersectRect(&common, &at, &picture)) << at.left << "," << at.right;
        }
      }
    });
  }
}

// A preview whose host changes its client size is drawn at the new size from the next tick.
TEST_F(DesktopTest, PreviewFollowsItsHostsSize) {
  HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr, nullptr, nullptr);
  shell_test::RunSaver(host, [&](HWND preview) {
    SendMessageA(preview, WM_TIMER, 1, 0);
    EXPECT_EQ(DeviceState.clientWidth, 160);
    SetWindowPos(host, nullptr, 0, 0, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(preview, WM_TIMER, 1, 0);
    RECT client;
    GetClientRect(preview, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    EXPECT_EQ(DeviceState.deviceStatus, 2);
    EXPECT_EQ(DeviceState.fullScreen, 0);
    EXPECT_EQ(DeviceState.renderWidth, 200);
    EXPECT_EQ(DeviceState.renderHeight, 150);
    EXPECT_EQ(DeviceState.scene.sceneDiagonal, 250.0);
    EXPECT_EQ(fake::Device(DeviceState.device)->scenes, 2) << "set-up and one frame at the new size";
  });
  DestroyWindow(host);
  EXPECT_TRUE(fake::Leaks().empty());
}

// The last frame a fake device drew: its eight strips.
std::vector<fake::DrawRecord> LastFrame(const char* device) {
  const std::vector<fake::DrawRecord>& draws = fake::Device(device)->draws;
  if (draws.size() < 8) return {};
  return std::vector<fake::DrawRecord>(draws.end() - 8, draws.end());
}

// A tick moves the one animation clock on by exactly one frame, and every picture, whatever
// its size, draws that frame: the wall at the same texels, the logo at the same place for
// its size. A monitor whose surfaces were lost has them restored once and draws the same
// frame; a tick on which no picture can draw leaves the clock where it was.
TEST_F(DesktopTest, EachTickDrawsOneFrameOnEveryPicture) {
  // Diagonals of 800 and 250 pixels.
  const RECT left = {0, 0, 640, 480}, right = {640, 0, 840, 150};
  platform.ListMonitorDevices = ReportDevices;
  shell_test::StoreAllMonitors("1");
  monitors = {left, right};
  devices = {DeviceOn(1, left), DeviceOn(2, right)};
  // The clock's first frame starts the logo's cycle on every picture.
  animation.frameCounter = 0;
  int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
    ASSERT_NE(fake::Device("Dev2"), nullptr) << "a picture on each monitor";
    for (int tick = 1; tick <= 4; ++tick) {
      SCOPED_TRACE("tick " + std::to_string(tick));
      const bool lose = tick == 3;
      const AnimationState before = animation;
      fake::ClearLog();
      // The second check for lost surfaces in a tick is the second picture's.
      if (lose) fake::FailCall("Surface::IsLost", 2, DDERR_SURFACELOST);
      SendMessageA(saver, WM_TIMER, 1, 0);
      EXPECT_EQ(animation.frameCounter, before.frameCounter + 1);
      EXPECT_EQ(animation.animationSeed, before.animationSeed - 1);
      const std::vector<fake::DrawRecord> first = LastFrame("Dev1");
      const std::vector<fake::DrawRecord> second = LastFrame("Dev2");
      EXPECT_EQ(fake::Device("Dev1")->scenes, 1 + tick) << "set-up scene and one a tick";
      EXPECT_EQ(fake::Device("Dev2")->scenes, 1 + tick) << "set-up scene and one a tick";
      ASSERT_EQ(first.size(), 8u);
      ASSERT_EQ(second.size(), 8u);
      for (size_t strip = 0; strip < 7; ++strip) {
        ASSERT_EQ(first[strip].vertices.size(), second[strip].vertices.size());
        for (size_t v = 0; v < first[strip].vertices.size(); ++v) {
          EXPECT_EQ(first[strip].vertices[v].tu, second[strip].vertices[v].tu) << strip << "," << v;
          EXPECT_EQ(first[strip].vertices[v].tv, second[strip].vertices[v].tv) << strip << "," << v;
        }
      }
      // The logo's last column comes in from the left edge by 1/256 of the diagonal a frame.
      EXPECT_NEAR(first[7].vertices[8].sx / 800.0, tick / 256.0, 1e-5);
      EXPECT_NEAR(second[7].vertices[8].sx / 250.0, tick / 256.0, 1e-5);
      if (lose) {
        const auto isLost = std::find_if(fake::Log().begin(), fake::Log().end(), [](const std::string& line) {
          return line.rfind("Surface::IsLost(", 0) == 0;
        });
        const auto secondIsLost = std::find_if(isLost + 1, fake::Log().end(), [](const std::string& line) {
          return line.rfind("Surface::IsLost(", 0) == 0;
        });
        ASSERT_NE(secondIsLost, fake::Log().end());
        const std::string front = secondIsLost->substr(secondIsLost->find('('));
        EXPECT_EQ(std::count(fake::Log().begin(), fake::Log().end(), "Surface::Restore" + front), 1)
            << "restored once, " << front;
      }
    }

    // Every surface lost for good, and no new display either: nothing draws, the clock stands.
    fake::FailCall("Surface::IsLost", 0, DDERR_SURFACELOST);
    fake::FailCall("Surface::Restore", 0, DDERR_WRONGMODE);
    fake::FailCall("DirectDrawCreate", 0, DDERR_GENERIC);
    for (int tick = 0; tick < 2; ++tick) {
      const AnimationState before = animation;
      SendMessageA(saver, WM_TIMER, 1, 0);
      EXPECT_EQ(animation.frameCounter, before.frameCounter);
      EXPECT_EQ(animation.animationSeed, before.animationSeed);
    }
    EXPECT_TRUE(IsWindow(saver));
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
  DeleteFileA("vykerror.txt");
}

TEST(CursorTravelLimit, ScaledByDpi) {
  const UINT cases[][2] = {{96, 4}, {120, 5}, {144, 6}, {192, 8}, {72, 3}, {0, 4}, {20, 4}, {100000, 4}, {~0u, 4}};
  for (const auto& c : cases) EXPECT_EQ(CursorTravelLimit(c[0]), c[1]) << c[0];
}

}  // namespace
