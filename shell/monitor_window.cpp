// The monitor windows: their class, black, and their window procedure, which hands their input to the saver window.
#include "display/display.h"
#include "shell/monitor_list.h"
#include "shell/shell.h"

// Registered once for the run: a registration that finds the class already there serves too.
bool RegisterMonitorClass() {
  WNDCLASSA monitorClass = {};
  monitorClass.lpfnWndProc = MonitorWindowProc;
  monitorClass.hInstance = shell.instance;
  monitorClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  monitorClass.lpszClassName = monitorClassName;
  return RegisterClassA(&monitorClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Only a window of the monitor class carries a record's address.
MonitorRecord* MonitorOfWindow(HWND window) {
  char className[sizeof(monitorClassName) + 1] = {};
  if (!window || !GetClassNameA(window, className, sizeof(className)) || lstrcmpA(className, monitorClassName) != 0) {
    return nullptr;
  }
  return reinterpret_cast<MonitorRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Input on a view or a cover takes the saver window's own path, so the first-tick rule,
// the password and the 200 ms rule apply alike; cursor travel is measured on the screen there.
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTA* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_DESTROY: {
      // The record's picture goes with its window, however the window came to be destroyed.
      MonitorRecord* monitor = MonitorOfWindow(window);
      if (monitor && monitor->window == window) {
        CloseDisplayRecord(monitor->display);
        monitor->display = nullptr;
        monitor->window = nullptr;
      }
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      HWND saver = GetWindow(window, GW_OWNER);
      if (saver) SendMessageA(saver, message, wParam, lParam);
      return 0;
    }
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
