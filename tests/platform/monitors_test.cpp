// The monitor lists of the platform seam: the primary monitor first, whatever order the system enumerates in; a device only for a GUID of one monitor.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

// One monitor as the fake USER32 reports it.
struct FakeMonitor {
  RECT area;     // its rectangle in virtual-screen coordinates
  bool primary;  // MONITORINFOF_PRIMARY in its information
  bool info;     // false: GetMonitorInfoA fails for it
};

std::vector<FakeMonitor> fakeMonitors;

BOOL WINAPI FakeEnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
  for (size_t i = 0; i < fakeMonitors.size(); ++i) {
    if (!callback(reinterpret_cast<HMONITOR>(i + 1), nullptr, &fakeMonitors[i].area, data)) return TRUE;
  }
  return TRUE;
}

BOOL WINAPI FakeGetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
  const FakeMonitor& m = fakeMonitors.at(reinterpret_cast<size_t>(monitor) - 1);
  if (!m.info || info->cbSize < sizeof(MONITORINFO)) return FALSE;
  info->rcMonitor = m.area;
  info->rcWork = m.area;
  info->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
  const int number = static_cast<int>(reinterpret_cast<size_t>(monitor));
  if (info->cbSize < sizeof(MONITORINFOEXA)) return TRUE;
  wsprintfA(reinterpret_cast<MONITORINFOEXA*>(info)->szDevice, "\\\\.\\DISPLAY%d", number);
  return TRUE;
}

// A row of width-100 monitors left and right of the origin; the one at 0,0 is the primary.
std::vector<FakeMonitor> Row(int count, int primaryIndex, bool primaryInfo) {
  std::vector<FakeMonitor> row;
  for (int i = 0; i < count; ++i) {
    int left = (i - primaryIndex) * 100;
    row.push_back({{left, 0, left + 100, 80}, i == primaryIndex, i == primaryIndex ? primaryInfo : true});
  }
  return row;
}

TEST(ListMonitors, PrimaryFirstWhateverTheOrder) {
  const struct {
    const char* name;
    std::vector<FakeMonitor> monitors;
    bool infoExport;
    int capacity;
    int expectedCount;
  } cases[] = {
      {"primary enumerated last of three", Row(3, 2, true), true, 16, 3},
      {"primary after the cap", Row(20, 19, true), true, 16, 16},
      {"primary in the middle of a full list", Row(18, 9, true), true, 16, 16},
      {"primary without information", Row(4, 3, false), true, 16, 4},
      {"no GetMonitorInfoA", Row(3, 1, true), false, 16, 3},
      {"room for one", Row(5, 4, true), true, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakeMonitors = c.monitors;
    RECT rects[20] = {};
    int count = ListMonitorsWith(FakeEnumDisplayMonitors, c.infoExport ? FakeGetMonitorInfoA : nullptr, rects, c.capacity);
    ASSERT_EQ(count, c.expectedCount);
    EXPECT_EQ(std::to_string(rects[0].left) + "," + std::to_string(rects[0].top), "0,0");
    // Every other place holds a different monitor that is not the primary.
    for (int i = 1; i < count; ++i) {
      EXPECT_NE(rects[i].left, 0) << i;
      for (int j = 1; j < i; ++j) EXPECT_NE(rects[i].left, rects[j].left) << i << " " << j;
    }
  }
}

// One device as the fake DirectDrawEnumerateExA reports it: a GUID (0: the null pointer
// that stands for the primary display as a whole) and a monitor of fakeMonitors (0: none).
struct FakeDevice {
  DWORD guid;
  size_t monitor;
};
std::vector<FakeDevice> fakeDevices;

GUID GuidOf(DWORD number) { return GUID{number, 0x1111, 0x2222, {}}; }

HRESULT WINAPI FakeDirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
  if (flags != DDENUM_ATTACHEDSECONDARYDEVICES) return DDERR_INVALIDPARAMS;
  char description[] = "device";
  for (const FakeDevice& device : fakeDevices) {
    GUID guid = GuidOf(device.guid);
    char name[] = "DISPLAY";
    if (!callback(device.guid ? &guid : nullptr, description, name, context, reinterpret_cast<HMONITOR>(device.monitor))) break;
  }
  return DD_OK;
}

// Wine 8 reports one GUID for every monitor, which names no device of one monitor: those
// monitors are listed without a GUID, and only a GUID of one monitor is kept.
TEST(ListMonitorDevices, OnlyAGuidOfOneMonitorIsKept) {
  const struct {
    const char* name;
    std::vector<FakeDevice> devices;
    int capacity;
    std::vector<DWORD> guids;  // per device listed, in order; 0 for the null GUID
  } cases[] = {
      {"a GUID for each monitor", {{0, 0}, {5, 1}, {6, 2}}, 16, {5, 6}},
      {"one GUID for all, as Wine", {{0, 0}, {7, 1}, {7, 2}, {7, 3}}, 16, {0, 0, 0}},
      {"two monitors share, one has its own", {{0, 0}, {7, 1}, {8, 2}, {7, 3}}, 16, {0, 8, 0}},
      {"a device without a monitor is the display as a whole", {{9, 0}, {5, 1}}, 16, {5}},
      {"a monitor without information is left out", {{5, 1}, {6, 4}}, 16, {5}},
      {"room for one", {{5, 1}, {6, 2}, {7, 3}}, 1, {5}},
  };
  fakeMonitors = Row(3, 0, true);
  fakeMonitors.push_back({{0, 100, 100, 180}, false, false});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakeDevices = c.devices;
    MonitorDevice devices[16] = {};
    const int count = ListMonitorDevicesWith(FakeDirectDrawEnumerateExA, FakeGetMonitorInfoA, devices, c.capacity);
    ASSERT_EQ(count, static_cast<int>(c.guids.size()));
    int listed = 0;
    for (const FakeDevice& device : c.devices) {
      if (device.monitor == 0 || !fakeMonitors[device.monitor - 1].info || listed >= count) continue;
      const GUID expected = c.guids[listed] ? GuidOf(c.guids[listed]) : GUID{};
      EXPECT_TRUE(IsEqualGUID(devices[listed].driverGuid, expected)) << listed;
      EXPECT_TRUE(EqualRect(&devices[listed].area, &fakeMonitors[device.monitor - 1].area)) << listed;
      ++listed;
    }
  }
}

// The display device of the second monitor is a mirroring driver's.
BOOL WINAPI SecondMirrors(LPCSTR, DWORD index, PDISPLAY_DEVICEA info, DWORD) {
  if (index >= fakeMonitors.size()) return FALSE;
  wsprintfA(info->DeviceName, "\\\\.\\DISPLAY%d", static_cast<int>(index + 1));
  info->StateFlags = index == 1 ? DISPLAY_DEVICE_MIRRORING_DRIVER : DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
  return TRUE;
}

// A mirroring driver's device names no monitor the saver draws: its DirectDraw device is not listed either.
TEST(ListMonitorDevices, AMirroringDriversDeviceIsLeftOut) {
  fakeMonitors = Row(3, 0, true);
  fakeDevices = {{5, 1}, {6, 2}, {7, 3}};
  platform.EnumDisplayDevicesA = SecondMirrors;
  MonitorDevice devices[16] = {};
  const int count = ListMonitorDevicesWith(FakeDirectDrawEnumerateExA, FakeGetMonitorInfoA, devices, 16);
  ResetPlatform();
  ASSERT_EQ(count, 2);
  EXPECT_TRUE(IsEqualGUID(devices[0].driverGuid, GuidOf(5)));
  EXPECT_TRUE(IsEqualGUID(devices[1].driverGuid, GuidOf(7)));
}

}  // namespace
