// Helpers shared by the display tests: the error log, the record's pointers, a tick's frame, the saver window and a fresh fake display.
#ifndef VYK_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define VYK_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "display/device_state.h"

namespace display_test {

// The pixels of a width x height area of source from (x, y), top row first, each as
// 0x00RRGGBB in its low 24 bits; empty when no bitmap could be made to copy them into.
inline std::vector<DWORD> CopyPixels(HDC source, int x, int y, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ previous = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const DWORD* copied = static_cast<const DWORD*>(bits);
    pixels.assign(copied, copied + width * height);
    SelectObject(memory, previous);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  return pixels;
}

// The error log as its bytes; "" when there is no file.
std::string LogFileText();
bool LogFileExists();
// The bytes LogError leaves for message: each LF as CR LF, then CR LF.
std::string LogFileBytes(const std::string& message);

// Every interface pointer of record is null.
void ExpectRecordHoldsNothing(const DeviceStateRecord& record = DeviceState);

// One picture's part of a tick as the shell runs it, with the process's Settings and
// animation clock: PrepareFrame, the clock moved on, PresentFrame. 0 when the picture
// could not draw; the clock is then left where it was.
int PresentTick(DeviceStateRecord& record, HWND window);

// The helpers below are in fake_display_support.cpp and need the fakes; the Wine tests link
// only the ones above.

// A hidden window of the given client size at screen position (x, y), named "wnd" in the fake
// log (a child of parent when one is given, named "child" then).
HWND OpenWindow(int x, int y, int width, int height, HWND parent = nullptr);

// Fresh fakes routed through the platform seam, DeviceState at its start values, the
// four settings at 1 and no error log. EndFakeDisplay puts the real platform back.
void StartFakeDisplay();
void EndFakeDisplay();

// Tears down whatever the display still holds, expects every fake reference back and no
// misuse, then destroys window and ends the fake display.
void CloseFakeDisplay(HWND window);

template <size_t N>
void Append(std::vector<std::string>& lines, const char* const (&table)[N]) {
  lines.insert(lines.end(), table, table + N);
}

}  // namespace display_test

#endif
