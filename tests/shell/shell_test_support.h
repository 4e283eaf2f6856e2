// Test helpers for the shell: a saver window run with a script inside its own message loop, fake timers, message probes.
#ifndef VYK_TESTS_SHELL_SHELL_TEST_SUPPORT_H
#define VYK_TESTS_SHELL_SHELL_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "harness/waits.h"
#include "platform/platform.h"
#include "shell/shell.h"

namespace shell_test {

// The colour a window paints in its middle, drawn into white memory so that a window off
// the virtual display's visible part counts too; CLR_INVALID when it cannot be printed.
inline COLORREF WindowPixel(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PatBlt(memory, 0, 0, client.right, client.bottom, WHITENESS);
  const COLORREF colour = PrintWindow(window, memory, PW_CLIENTONLY) ? GetPixel(memory, client.right / 2, client.bottom / 2)
                                                                     : CLR_INVALID;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return colour;
}

// The display records of the pictures that have one, in the monitor list's order, so the
// saver window's first.
inline std::vector<DeviceStateRecord*> Pictures() {
  std::vector<DeviceStateRecord*> pictures;
  for (MonitorRecord& monitor : saverMonitors) {
    if (monitor.role == pictureRole && monitor.display) pictures.push_back(monitor.display);
  }
  return pictures;
}

// "Draw on every monitor" as the user's key holds it (Windows NT 6 and later).
inline void StoreAllMonitors(const char* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Screen Saver.Vyk", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "AllMonitors", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
  RegCloseKey(key);
}

// One call of SetTimer as the saver procedure made it.
struct TimerCall {
  HWND window;
  UINT_PTR id;
  UINT period;
};

// SetTimer stand-ins: recordTimerCalls keeps every call and answers as fakeTimerResult
// says, without making a timer, so that ticks come only when a test sends them.
inline std::vector<TimerCall> timerCalls;
inline UINT_PTR fakeTimerResult = 1;
inline UINT_PTR WINAPI RecordTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC) {
  timerCalls.push_back({window, id, period});
  return fakeTimerResult;
}

// SystemParametersInfoA stand-in: each SPI_SCREENSAVERRUNNING switch, in order.
inline std::vector<UINT> saverRunningCalls;
inline BOOL WINAPI RecordSystemParameters(UINT action, UINT param, PVOID data, UINT winIni) {
  if (action == SPI_SCREENSAVERRUNNING && data != nullptr && winIni == 0) saverRunningCalls.push_back(param);
  return TRUE;
}

// Every shell record, seam and the platform back to their start; ticks only on request.
inline void ResetAll() {
  ResetShellState();
  ResetShellSeams();
  ResetPlatform();
  shell.instance = GetModuleHandleA(nullptr);
  timerCalls.clear();
  fakeTimerResult = 1;
  saverRunningCalls.clear();
  shellSeams.SetTimer = RecordTimer;
  shellSeams.SystemParametersInfoA = RecordSystemParameters;
}

// A pump ends at the first timer message that came due after it began, once that is
// dispatched: a saver drawing frames slower than its timer (the emulated 32-bit
// build) always has the next tick due, and the queue would never run dry.
inline bool DueSince(const MSG& message, DWORD start) {
  return message.message == WM_TIMER && static_cast<LONG>(message.time - start) > 0;
}

// Dispatches everything pending, WM_CLOSE too unless keepCloses leaves it queued for
// TakeCloses. A WM_QUIT met on the way is put back so that the saver's own loop still sees it.
inline void PumpMessages(bool keepCloses) {
  const DWORD start = GetTickCount();
  MSG message;
  for (;;) {
    BOOL got = PeekMessageA(&message, nullptr, 0, keepCloses ? WM_CLOSE - 1 : 0, PM_REMOVE);
    if (!got && keepCloses) got = PeekMessageA(&message, nullptr, WM_CLOSE + 1, 0xFFFFFFFFu, PM_REMOVE);
    if (!got) return;
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    if (DueSince(message, start)) return;
  }
}

inline void PumpExceptClose() { PumpMessages(true); }
inline void Pump() { PumpMessages(false); }

// Removes the WM_CLOSE messages queued for the window and counts them.
inline int TakeCloses(HWND window) {
  PumpExceptClose();
  int count = 0;
  MSG message;
  while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++count;
  return count;
}

// Runs RunSaverWindow(parent); once its loop runs, the script gets the saver window.
// The window is destroyed after the script when the script left it alive.
inline std::function<void(HWND)> pendingScript;
inline bool scriptRan = false;
inline void CALLBACK RunPendingScript(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::function<void(HWND)> script = std::move(pendingScript);
  pendingScript = nullptr;
  scriptRan = true;
  script(shell.saverWindow);
  if (shell.saverWindow && IsWindow(shell.saverWindow)) DestroyWindow(shell.saverWindow);
}
inline int RunSaver(HWND parent, std::function<void(HWND)> script) {
  pendingScript = std::move(script);
  scriptRan = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 1, RunPendingScript);
  int result = RunSaverWindow(parent);
  if (!scriptRan) KillTimer(nullptr, timer);
  pendingScript = nullptr;
  // The class belongs to one run; the next run registers it afresh.
  UnregisterClassA("WindowsScreenSaverClass", shell.instance);
  return result;
}

// Where the cursor rests when a saver window is created: its reference point.
constexpr int restX = 400;
constexpr int restY = 300;

// Puts the cursor at a point and waits until the platform reports it there; Wine hands the
// move to the X server and back, which a busy machine can delay for seconds. On a busy
// machine Wine also drops a move now and then (the cursor stayed put for 40 s), so the move
// is asked for again every half second until it shows.
inline void PlaceCursor(int x, int y) {
  const auto there = [&] {
    POINT at;
    return GetCursorPos(&at) && at.x == x && at.y == y;
  };
  DWORD asked = 0;
  const auto ask = [&] {
    if (asked == 0 || GetTickCount() - asked >= 500) {
      SetCursorPos(x, y);
      asked = GetTickCount() | 1;
    }
    Sleep(5);
  };
  ask();
  if (!waits::WaitUntil(there, ask)) ADD_FAILURE() << "cursor did not reach " << x << "," << y;
}

// HKCU\Control Panel\Desktop ScreenSaveUsePassword, held for the life of a test
// and put back as it was (absent in a fresh prefix).
class PasswordSetting {
 public:
  PasswordSetting() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof(saved_);
    existed_ = RegQueryValueExA(key_, valueName, nullptr, &savedType_, saved_, &size) == ERROR_SUCCESS;
    savedSize_ = size;
  }
  ~PasswordSetting() {
    if (existed_) {
      RegSetValueExA(key_, valueName, 0, savedType_, saved_, savedSize_);
    } else {
      RegDeleteValueA(key_, valueName);
    }
    RegCloseKey(key_);
  }
  PasswordSetting(const PasswordSetting&) = delete;
  PasswordSetting& operator=(const PasswordSetting&) = delete;

  void Set(DWORD value) { RegSetValueExA(key_, valueName, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof(value)); }
  void Remove() { RegDeleteValueA(key_, valueName); }

 private:
  static constexpr const char* valueName = "ScreenSaveUsePassword";
  HKEY key_ = nullptr;
  bool existed_ = false;
  DWORD savedType_ = 0;
  BYTE saved_[64] = {};
  DWORD savedSize_ = 0;
};

}  // namespace shell_test

#endif
