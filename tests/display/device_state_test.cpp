// The display records of a desktop's monitors: each made from its monitor's device, brought up, torn down and freed on its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "display/display.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"

namespace {

class MonitorRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    display_test::StartFakeDisplay();
    window = display_test::OpenWindow(400, 0, 320, 240);
  }
  void TearDown() override {
    DestroyWindow(window);
    display_test::EndFakeDisplay();
  }
  HWND window = nullptr;
};

bool Logged(const std::string& line) {
  return std::find(fake::Log().begin(), fake::Log().end(), line) != fake::Log().end();
}

// A monitor with a device of its own is drawn through that device, whose front surface
// starts at the monitor's corner; one without is drawn through the active display driver,
// and a further monitor then gets its frames by GDI. The main monitor's record is
// DeviceState; a further one's is a record of its own, which its closing releases and frees.
TEST_F(MonitorRecords, EachIsMadeFromItsMonitorsDevice) {
  const GUID own = {0x0badf00d, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
  const GUID none = {};
  const struct {
    const char* name;
    GUID guid;
    bool mainMonitor;
    const char* create;  // the DirectDrawCreate call the bring-up makes
    LONG originX;        // virtual-screen x of the front surface's 0,0
    LONG gdiCopy;
  } cases[] = {
      {"further monitor, own device", own, false, "DirectDrawCreate({0badf00d-1111-2222},null)", 400, 0},
      {"main monitor, own device", own, true, "DirectDrawCreate({0badf00d-1111-2222},null)", 400, 0},
      {"further monitor, no device of its own", none, false, "DirectDrawCreate(null,null)", 0, 1},
      {"main monitor, no device of its own", none, true, "DirectDrawCreate(null,null)", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    fake::InstallPlatform();
    ResetDeviceState();
    const MonitorDevice device = {c.guid, {400, 0, 720, 240}};
    DeviceStateRecord* record = OpenMonitorDisplay(device, c.mainMonitor, window);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record == &DeviceState, c.mainMonitor);
    ASSERT_EQ(BringUpDisplay(*record, record->window, Settings, animation), 1);
    EXPECT_TRUE(Logged(c.create));
    EXPECT_EQ(record->fullScreen, 0) << "one of several monitors is drawn windowed";
    EXPECT_TRUE(std::none_of(fake::Log().begin(), fake::Log().end(), [](const std::string& line) {
      return line.find("DDSCL_EXCLUSIVE") != std::string::npos;
    })) << "the exclusive level is never asked for";
    EXPECT_EQ(record->surfaceOrigin.x, c.originX);
    EXPECT_EQ(record->gdiCopy, c.gdiCopy);
    if (!c.mainMonitor) {
      EXPECT_EQ(DeviceState.deviceStatus, 0) << "the saver window's record is not touched";
    }
    CloseDisplayRecord(record);
    EXPECT_TRUE(fake::Leaks().empty());
    EXPECT_TRUE(fake::Problems().empty());
  }
  EXPECT_EQ(DeviceState.window, nullptr) << "the main monitor's record stays, without a window";
  display_test::ExpectRecordHoldsNothing(DeviceState);
}

// Each further monitor gets a record of its own as its window opens, in the values of a
// record before any bring-up, even where it takes the memory a closed one left.
TEST_F(MonitorRecords, FurtherMonitorsGetRecordsOfTheirOwn) {
  const MonitorDevice device = {{}, {400, 0, 720, 240}};
  DeviceStateRecord* first = OpenMonitorDisplay(device, false, window);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(BringUpDisplay(*first, window, Settings, animation), 1);
  first->textureFilter = D3DFILTER_NEAREST;
  DeviceStateRecord* second = OpenMonitorDisplay(device, false, window);
  CloseDisplayRecord(first);
  DeviceStateRecord* third = OpenMonitorDisplay(device, false, window);
  for (DeviceStateRecord* record : {second, third}) {
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record, &DeviceState);
    EXPECT_EQ(record->deviceStatus, 0);
    EXPECT_EQ(record->fullScreen, 0);
    EXPECT_EQ(record->textureFilter, static_cast<DWORD>(D3DFILTER_LINEAR));
    EXPECT_EQ(record->textureBlend, static_cast<DWORD>(D3DTBLEND_MODULATE));
    EXPECT_EQ(record->window, window);
    display_test::ExpectRecordHoldsNothing(*record);
  }
  EXPECT_NE(second, third);
  CloseDisplayRecord(second);
  CloseDisplayRecord(third);
  CloseDisplayRecord(nullptr);
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
}

// The picture of a window alone: DeviceState, full screen hoped for unless asked otherwise.
TEST_F(MonitorRecords, AWindowAlone) {
  for (LONG fullScreen : {1, 0}) {
    DeviceState.deviceStatus = 2;
    DeviceStateRecord* record = OpenWindowDisplay(window, fullScreen);
    EXPECT_EQ(record, &DeviceState);
    EXPECT_EQ(DeviceState.deviceStatus, 0) << fullScreen;
    EXPECT_EQ(DeviceState.fullScreen, fullScreen);
    EXPECT_EQ(DeviceState.window, window);
    EXPECT_EQ(DeviceState.hasDriverGuid, 0);
    EXPECT_EQ(DeviceState.gdiCopy, 0);
  }
}

}  // namespace
