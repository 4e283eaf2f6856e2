// Helpers shared by every display test, the Wine ones too: the error log, the record's pointers and a tick's frame.
#include "display_test_support.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include "display/display.h"

namespace display_test {

std::string LogFileText() {
  FILE* file = fopen("vykerror.txt", "rb");
  if (!file) return "";
  std::string text;
  char buffer[512];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  fclose(file);
  return text;
}

bool LogFileExists() { return GetFileAttributesA("vykerror.txt") != INVALID_FILE_ATTRIBUTES; }

std::string LogFileBytes(const std::string& message) {
  std::string bytes;
  for (char c : message) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes + "\r\n";
}

void ExpectRecordHoldsNothing(const DeviceStateRecord& record) {
  EXPECT_EQ(nullptr, record.directDraw);
  EXPECT_EQ(nullptr, record.directDraw2);
  EXPECT_EQ(nullptr, record.direct3D2);
  EXPECT_EQ(nullptr, record.frontSurface);
  EXPECT_EQ(nullptr, record.renderSurface);
  EXPECT_EQ(nullptr, record.palette);
  EXPECT_EQ(nullptr, record.device);
  EXPECT_EQ(nullptr, record.viewport);
  EXPECT_EQ(nullptr, record.material);
}

int PresentTick(DeviceStateRecord& record, HWND window) {
  if (!PrepareFrame(record, window, Settings, animation)) return 0;
  AdvanceAnimation(animation);
  return PresentFrame(record, window, Settings, animation);
}

}  // namespace display_test
