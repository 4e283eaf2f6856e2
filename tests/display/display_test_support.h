// Helpers shared by the fake-based display tests: the saver window, the error log and a fresh fake display.
#ifndef VYK_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define VYK_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

namespace display_test {

// A hidden window of the given client size at screen position (x, y), named "wnd" in the fake
// log (a child of parent when one is given, named "child" then).
HWND OpenWindow(int x, int y, int width, int height, HWND parent = nullptr);

// The error log as its bytes; "" when there is no file.
std::string LogFileText();
bool LogFileExists();
// The bytes LogError leaves for message: each LF as CR LF, then CR LF.
std::string LogFileBytes(const std::string& message);

// Fresh fakes routed through the platform seam, DeviceState at its start values, the
// four settings at 1 and no error log. EndFakeDisplay puts the real platform back.
void StartFakeDisplay();
void EndFakeDisplay();

template <size_t N>
void Append(std::vector<std::string>& lines, const char* const (&table)[N]) {
  lines.insert(lines.end(), table, table + N);
}

}  // namespace display_test

#endif
