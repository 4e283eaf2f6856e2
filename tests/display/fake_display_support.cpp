// Helpers of the fake-based display tests: the saver window and a fresh fake display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "display/display.h"
#include "display/texture.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"
#include "settings/settings.h"
#include "platform/platform.h"

namespace display_test {

HWND OpenWindow(int x, int y, int width, int height, HWND parent) {
  RECT frame = {0, 0, width, height};
  const DWORD style = parent ? WS_CHILD : WS_POPUP;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExA(0, "STATIC", "Vyk test", style, x, y, frame.right - frame.left,
                                frame.bottom - frame.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  fake::NameWindow(window, parent ? "child" : "wnd");
  return window;
}

void StartFakeDisplay() {
  fake::Reset();
  fake::InstallPlatform();
  ResetDeviceState();
  DeviceState.texture = TextureHolder();
  Settings.redrawSpeed = 1;
  Settings.logos = 1;
  Settings.linear = 1;
  Settings.hardware = 1;
  DeleteFileA("vykerror.txt");
}

void EndFakeDisplay() {
  ResetPlatform();
  ResetDeviceState();
  DeviceState.texture = TextureHolder();
  DeleteFileA("vykerror.txt");
}

void CloseFakeDisplay(HWND window) {
  TearDownDisplay(DeviceState, window);
  EXPECT_THAT(fake::Leaks(), ::testing::ElementsAreArray(std::vector<std::string>{}));
  EXPECT_THAT(fake::Problems(), ::testing::ElementsAreArray(std::vector<std::string>{}));
  DestroyWindow(window);
  EndFakeDisplay();
}

}  // namespace display_test
