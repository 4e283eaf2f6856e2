// Stand-in for the Windows 95 family's PASSWORD.CPL in the Windows versions suite: every
// VerifyScreenSavePwd call adds a line to password-calls.txt in the current folder and lets the saver close.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  HANDLE file = CreateFileA("password-calls.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    // The saver hands over its own window, the owner of the dialog the real component would show.
    const char* line = IsWindow(window) ? "VerifyScreenSavePwd(saver window)\r\n" : "VerifyScreenSavePwd(no window)\r\n";
    DWORD written = 0;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
