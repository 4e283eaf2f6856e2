// Helpers shared by the fake-based display tests: the saver window, the error log and a fresh fake display.
#include "display_test_support.h"

#include <stdio.h>

#include "display/device_state.h"
#include "display/texture.h"
#include "fakes/fake_directx.h"
#include "settings/settings.h"
#include "shell/platform.h"

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

void StartFakeDisplay() {
  fake::Reset();
  fake::InstallPlatform();
  ResetDeviceState();
  sceneTexture = TextureHolder();
  Settings.redrawSpeed = 1;
  Settings.logos = 1;
  Settings.linear = 1;
  Settings.hardware = 1;
  DeleteFileA("vykerror.txt");
}

void EndFakeDisplay() {
  ResetPlatform();
  ResetDeviceState();
  sceneTexture = TextureHolder();
  DeleteFileA("vykerror.txt");
}

}  // namespace display_test
