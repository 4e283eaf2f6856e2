// The monitor list of the platform seam: the primary monitor first, whatever order the system enumerates in.
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

}  // namespace
