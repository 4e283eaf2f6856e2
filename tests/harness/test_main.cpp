// Entry point of every test program: runs the tests and refuses a program that opened a
// window without holding the screen lock.
//
// The programs of one build share one virtual display. A window that appears while another
// program's saver window is up takes the activation and closes that saver, so every
// program that opens a window must take its turn on the display (the ctest lock
// vyk_screen). ctest hands that lock's name to the program in VYK_SCREEN_LOCK, set by the
// same property call that takes the lock; a program that made a window without it fails
// here, whatever its tests said.
#include <gmock/gmock.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

HWND firstWindow;       // the first window this thread made, for the message; null while none
char firstClass[64];    // its class name

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && !firstWindow) {
    firstWindow = reinterpret_cast<HWND>(wParam);
    const CBT_CREATEWNDA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    const char* name = create->lpcs->lpszClass;
    if (IS_INTRESOURCE(name)) {
      snprintf(firstClass, sizeof(firstClass), "#%u", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(name)));
    } else {
      snprintf(firstClass, sizeof(firstClass), "%s", name);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool HoldsScreenLock() {
  char value[32] = "";
  const DWORD length = GetEnvironmentVariableA("VYK_SCREEN_LOCK", value, sizeof(value));
  return length > 0 && length < sizeof(value) && strcmp(value, "vyk_screen") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleMock(&argc, argv);
  HHOOK hook = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());
  const int result = RUN_ALL_TESTS();
  if (hook) UnhookWindowsHookEx(hook);
  if (firstWindow && !HoldsScreenLock()) {
    printf("This program opened a window (class %s) but does not hold the screen lock: "
           "register it with vyk_screen_test() in its CMakeLists.txt.\n",
           firstClass);
    return 1;
  }
  return result;
}
