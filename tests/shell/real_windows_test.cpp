// The saver on fakes that answer as real Windows does where Wine is kinder: the 64-bit build on 64-bit Windows, several monitors, windowed surfaces lost to a mode change.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.h"
#include "display/device_state.h"
#include "fakes/fake_directx.h"
#include "platform/platform.h"
#include "tests/shell/shell_test_support.h"

namespace {

std::vector<RECT> monitors;  // what the monitor seam reports, primary first
int ReportMonitors(RECT* rects, int capacity) {
  const int count = std::min(capacity, static_cast<int>(monitors.size()));
  std::copy(monitors.begin(), monitors.begin() + count, rects);
  return count;
}

// What the device seam reports: each monitor's own DirectDraw device, as Windows enumerates them.
int ReportDevices(MonitorDevice* out, int capacity) {
  const std::vector<fake::MonitorDeviceInfo>& devices = fake::config.windows.monitors;
  const int count = std::min(capacity, static_cast<int>(devices.size()));
  for (int i = 0; i < count; ++i) out[i] = MonitorDevice{devices[i].guid, devices[i].area};
  return count;
}

// Several monitors as Windows has them: a device GUID of its own for each.
void UseMonitors(const std::vector<RECT>& areas) {
  monitors = areas;
  fake::config.windows.monitors.clear();
  for (size_t i = 0; i < areas.size(); ++i)
    fake::config.windows.monitors.push_back({GUID{0x51 + static_cast<DWORD>(i), 0x1111, 0x2222, {}}, areas[i]});
  platform.ListMonitorDevices = ReportDevices;
}

// The GUID of a monitor's device as the fake logs it, and names a DirectDraw object's driver.
std::string DriverText(const GUID& guid) {
  char text[48];
  snprintf(text, sizeof text, "{%08lx-%04x-%04x}", static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3);
  return text;
}

// The display record of the picture that fills area; null when none does.
DeviceStateRecord* PictureOn(const RECT& area) {
  for (MonitorRecord& monitor : saverMonitors) {
    if (monitor.role == pictureRole && EqualRect(&monitor.area, &area)) return monitor.display;
  }
  return nullptr;
}

std::string LogFileText() {
  std::string text;
  HANDLE file = CreateFileA("vykerror.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[512];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

int LinesStartingWith(const std::string& start) {
  return static_cast<int>(std::count_if(fake::Log().begin(), fake::Log().end(),
                                        [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

void Tick(HWND saver, int ticks) {
  for (int i = 0; i < ticks; ++i) SendMessageA(saver, WM_TIMER, 1, 0);
}

class RealWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell_test::ResetAll();
    fake::Reset();
    fake::InstallPlatform();
    platform.ListMonitors = ReportMonitors;
    monitors = {{0, 0, 800, 600}};
    shell_test::StoreAllMonitors("1");
    DeleteFileA("vykerror.txt");
    shell_test::PlaceCursor(400, 300);
  }
  void TearDown() override {
    shell_test::ResetAll();
    DeleteFileA("vykerror.txt");
  }
};

}  // namespace

// 64-bit Windows offers a 64-bit program no Direct3D before version 9: the 64-bit build stays
// black, names the step that failed in its log, draws nothing and closes on a key.
TEST_F(RealWindowsTest, SixtyFourBitBuildOnSixtyFourBitWindowsIsABlackSaverThatLogsTheStepAndCloses) {
  fake::config.windows.no3D = true;
  const int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
    Tick(saver, 3);
    EXPECT_EQ(DeviceState.deviceStatus, 1);
    EXPECT_EQ(LogFileText(), "Failed to QI for IID_IDirect3D2.\r\n" + std::string(ResultText(E_NOINTERFACE)) + "\r\n");
    EXPECT_EQ(LinesStartingWith("Surface::"), 0) << "no surface, no frame";
    EXPECT_EQ(LinesStartingWith("D3D2::"), 0);
    EXPECT_EQ(shell_test::WindowPixel(saver), RGB(0, 0, 0));
    SendMessageA(saver, WM_KEYDOWN, 'A', 0);
    shell_test::Pump();
    EXPECT_FALSE(IsWindow(saver));
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
}

// On Windows each monitor's DirectDraw device has a GUID of its own, and its primary surface
// is that monitor's alone, from 0,0 at the monitor's corner: a Blt crossing its edge is
// refused. Every monitor is drawn through its own device, at its own size, the ones left of
// and above the primary (negative coordinates) too.
TEST_F(RealWindowsTest, EveryMonitorDrawsThroughItsOwnDeviceInsideItsOwnSurface) {
  const RECT primary = {0, 0, 800, 600};
  const struct {
    const char* name;
    std::vector<RECT> monitors;
  } cases[] = {
      {"left of and above the primary", {primary, {-640, 0, 0, 480}, {0, -480, 640, 0}}},
      {"right of and below the primary", {primary, {800, 0, 1440, 480}, {100, 600, 740, 1080}}},
      {"left of and below", {primary, {-1024, -168, 0, 600}, {-1024, 600, -384, 1080}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    UseMonitors(c.monitors);
    const int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      Tick(saver, 3);
      const int pictures = static_cast<int>(shell_test::Pictures().size());
      ASSERT_EQ(pictures, static_cast<int>(c.monitors.size()));
      EXPECT_EQ(LinesStartingWith("DirectDrawCreate("), pictures);
      EXPECT_EQ(LinesStartingWith("DirectDrawCreate(null"), 0) << "no monitor is drawn through the emulated object";
      for (int i = 0; i < pictures; ++i) {
        SCOPED_TRACE(i);
        const RECT& area = c.monitors[i];
        ASSERT_NE(PictureOn(area), nullptr);
        const DeviceStateRecord& record = *PictureOn(area);
        const LONG width = area.right - area.left, height = area.bottom - area.top;
        ASSERT_EQ(record.deviceStatus, 2);
        const fake::DirectDrawInfo* object = fake::DirectDrawOf(record.directDraw);
        EXPECT_EQ(object->driver, DriverText(fake::config.windows.monitors[i].guid)) << "its own monitor's device";
        EXPECT_TRUE(object->onMonitor);
        EXPECT_EQ(fake::Device(record.device)->type, "HAL");
        const fake::SurfaceInfo* front = fake::Surface(record.frontSurface);
        EXPECT_EQ(front->desc.dwWidth, static_cast<DWORD>(width)) << "the monitor's own primary surface";
        EXPECT_EQ(front->refusedBlits, 0);
        ASSERT_EQ(front->blits.size(), 3u);
        for (const RECT& blit : front->blits) {
          const RECT whole = {0, 0, width, height};
          EXPECT_TRUE(EqualRect(&blit, &whole)) << blit.left << "," << blit.top << "," << blit.right << "," << blit.bottom;
        }
      }
      SendMessageA(PictureOn(c.monitors.back())->window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      shell_test::Pump();
      EXPECT_FALSE(IsWindow(saver));
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(fake::Leaks().empty());
    EXPECT_TRUE(fake::Problems().empty());
  }
}

// On Windows another program's mode change loses the surfaces of every picture drawn at the
// normal cooperative level, for good: Restore answers DDERR_WRONGMODE. The next frames come
// from a display made afresh, in the preview (which on several monitors runs on the emulated
// object, without a HAL device) and on each monitor; nothing is drawn onto a lost surface.
TEST_F(RealWindowsTest, AModeChangeGivesEveryWindowedPictureADisplayMadeAfresh) {
  const RECT primary = {0, 0, 800, 600}, right = {800, 0, 1440, 480};
  const struct {
    const char* name;
    bool preview;
    const char* deviceType;  // what the emulated preview gets: the software device
  } cases[] = {
      {"preview on several monitors", true, "Ramp"},
      {"each of several monitors", false, "HAL"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    fake::WindowsAsItIs();
    UseMonitors({primary, right});
    HWND host = c.preview ? CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 80, 160, 120, nullptr, nullptr,
                                            nullptr, nullptr)
                          : nullptr;
    const int result = shell_test::RunSaver(host, [&](HWND saver) {
      Tick(saver, 2);
      const std::vector<DeviceStateRecord*> pictures = shell_test::Pictures();
      const int records = static_cast<int>(pictures.size());
      ASSERT_EQ(records, c.preview ? 1 : 2);
      std::vector<std::string> fronts;
      std::vector<fake::DirectDrawInfo*> objects;
      for (DeviceStateRecord* picture : pictures) {
        ASSERT_EQ(picture->deviceStatus, 2);
        EXPECT_EQ(fake::Device(picture->device)->type, c.deviceType);
        fronts.push_back(fake::NameOf(picture->frontSurface));
        objects.push_back(fake::DirectDrawOf(picture->directDraw));
      }
      fake::ChangeDisplayMode(800, 600, 16);
      Tick(saver, 3);
      for (int i = 0; i < records; ++i) {
        SCOPED_TRACE(i);
        const DeviceStateRecord& record = *pictures[i];
        ASSERT_EQ(record.deviceStatus, 2);
        EXPECT_NE(fake::DirectDrawOf(record.directDraw), objects[i]) << "a DirectDraw object made afresh";
        EXPECT_NE(fake::NameOf(record.frontSurface), fronts[i]);
        const fake::SurfaceInfo* before = fake::Surface(fronts[i]);
        EXPECT_EQ(before->blits.size(), 2u) << "the frames before the change";
        EXPECT_EQ(before->refusedBlits, 0) << "nothing drawn onto the lost surface";
        const fake::SurfaceInfo* after = fake::Surface(record.frontSurface);
        EXPECT_EQ(after->blits.size(), 3u) << "the next frames, from the new display";
        EXPECT_EQ(after->refusedBlits, 0);
        EXPECT_FALSE(fake::Device(record.device)->draws.empty());
      }
      EXPECT_EQ(LogFileText(), "") << "a display made afresh is no failure";
    });
    EXPECT_EQ(result, 0);
    if (host) DestroyWindow(host);
    EXPECT_TRUE(fake::Problems().empty());
    // Windows keeps the reference SetCurrentViewport took on each display's viewport.
    for (const std::string& leak : fake::Leaks()) EXPECT_EQ(leak.substr(leak.find(' ')), " (Viewport) refs=1");
  }
}

// Frames shown so far on the front surface of each monitor of the fake desktop whose window
// lies on that monitor and whose picture is up through that monitor's own device; empty
// unless every monitor has such a picture, and no other picture is open.
std::vector<size_t> FramesOnOwnDevices() {
  const std::vector<fake::MonitorDeviceInfo>& desktop = fake::config.windows.monitors;
  std::vector<size_t> frames;
  RECT placed;
  for (const fake::MonitorDeviceInfo& monitor : desktop) {
    const DeviceStateRecord* record = PictureOn(monitor.area);
    if (!record || record->deviceStatus != 2 || !GetWindowRect(record->window, &placed) ||
        !EqualRect(&placed, &monitor.area) ||
        fake::DirectDrawOf(record->directDraw)->driver != DriverText(monitor.guid))
      return {};
    frames.push_back(fake::Surface(record->frontSurface)->blits.size());
  }
  return shell_test::Pictures().size() == desktop.size() ? frames : std::vector<size_t>{};
}

// Every monitor shows the moving picture through its own device: two ticks, two frames more.
void ExpectEachMonitorMoves(HWND saver) {
  std::vector<size_t> frames = FramesOnOwnDevices();
  ASSERT_FALSE(frames.empty()) << "a monitor without a picture of its own device";
  Tick(saver, 2);
  for (size_t& shown : frames) shown += 2;
  EXPECT_EQ(FramesOnOwnDevices(), frames);
}

// Three monitors of one size side by side; the primary is unplugged. The second becomes the
// primary in its place and the third moves into the second's: by rectangle only the third's
// old place went, and only the devices tell the monitors apart. Both that remain show the
// moving picture, each through the device of the monitor its window lies on, whether the
// saver is told of the change or finds it at its half-second look.
TEST_F(RealWindowsTest, ThePrimaryUnpluggedLeavesTheOtherTwoDrawingEachThroughItsOwnDevice) {
  const RECT first = {0, 0, 640, 480}, second = {640, 0, 1280, 480}, third = {1280, 0, 1920, 480};
  for (const bool notice : {true, false}) {
    SCOPED_TRACE(notice ? "told by WM_DISPLAYCHANGE" : "found at the half-second look");
    SetUp();
    fake::WindowsAsItIs();
    UseMonitors({first, second, third});
    const int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      Tick(saver, 2);
      ExpectEachMonitorMoves(saver);
      std::vector<fake::MonitorDeviceInfo>& desktop = fake::config.windows.monitors;
      desktop = {{desktop[1].guid, first}, {desktop[2].guid, second}};
      monitors = {first, second};
      // The change takes every windowed surface, and the first monitor's device is gone.
      fake::ChangeDisplayMode(800, 600, 32);
      Tick(saver, 1);
      if (notice) SendMessageA(saver, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
      waits::WaitUntil([] { return !FramesOnOwnDevices().empty(); }, [&] { Tick(saver, 1); });
      ExpectEachMonitorMoves(saver);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(fake::Problems().empty());
    for (const std::string& leak : fake::Leaks()) EXPECT_EQ(leak.substr(leak.find(' ')), " (Viewport) refs=1");
  }
}

// A monitor whose display could not be made afresh after a mode change is tried again, once,
// at the next look at the desktop, after the devices are listed anew, and moves again; a
// failure is logged as any other. Between looks it is not tried.
int deviceListings = 0;  // how often the saver listed the monitors' devices
int CountDeviceListings(MonitorDevice* out, int capacity) {
  ++deviceListings;
  return ReportDevices(out, capacity);
}

TEST_F(RealWindowsTest, AMonitorWhoseDisplayFailedIsTriedAgainAtTheNextLook) {
  for (const bool notice : {true, false}) {
    SCOPED_TRACE(notice ? "told by WM_DISPLAYCHANGE" : "at the half-second look");
    SetUp();
    fake::WindowsAsItIs();
    UseMonitors({{0, 0, 800, 600}, {800, 0, 1440, 480}});
    platform.ListMonitorDevices = CountDeviceListings;
    const std::string creations = "DirectDrawCreate(" + DriverText(fake::config.windows.monitors[1].guid);
    const int result = shell_test::RunSaver(nullptr, [&](HWND saver) {
      Tick(saver, 2);
      DeviceStateRecord& record = *PictureOn(fake::config.windows.monitors[1].area);
      fake::ChangeDisplayMode(800, 600, 16);
      fake::FailCall(creations, 1, DDERR_GENERIC);
      fake::ClearLog();
      // A tick looks at the desktop before it draws, so this one's look came before the failure.
      Tick(saver, 1);
      EXPECT_EQ(record.deviceStatus, 1);
      EXPECT_EQ(LogFileText(), "Failed to create DirectDraw.\r\n");
      deviceListings = 0;
      Tick(saver, 3);
      EXPECT_EQ(LinesStartingWith(creations), 1 + deviceListings) << "once a listing, not once a tick";
      if (notice) SendMessageA(saver, WM_DISPLAYCHANGE, 16, MAKELPARAM(800, 600));
      waits::WaitUntil([&] { return record.deviceStatus == 2; }, [&] { Tick(saver, 1); });
      EXPECT_EQ(LinesStartingWith(creations), 2) << "one failure, one retry";
      ExpectEachMonitorMoves(saver);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(fake::Problems().empty());
    for (const std::string& leak : fake::Leaks()) EXPECT_EQ(leak.substr(leak.find(' ')), " (Viewport) refs=1");
  }
}
