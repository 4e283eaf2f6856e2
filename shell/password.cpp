// The platform's password component (PASSWORD.CPL) and the screen-saver-running state that follows it.
#include "platform/platform.h"
#include "shell/shell.h"

void LoadPasswordVerifier() {
  // Screen-saver passwords are the Windows 95 family's; elsewhere the platform guards the desktop itself.
  if (!shell.win95Platform) return;
  if (shell.passwordModule) UnloadPasswordVerifier();
  HKEY desktop;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  DWORD usePassword = 0;
  DWORD size = sizeof(usePassword);
  if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&usePassword),
                       &size) == ERROR_SUCCESS &&
      usePassword != 0) {
    shell.passwordModule = platform.LoadLibraryA("PASSWORD.CPL");
    if (shell.passwordModule) {
      shell.verifyPasswordFn = reinterpret_cast<VerifyPasswordFn>(
          reinterpret_cast<void*>(platform.GetProcAddress(shell.passwordModule, "VerifyScreenSavePwd")));
      if (shell.verifyPasswordFn) {
        SetSaverRunning(1);
      } else {
        UnloadPasswordVerifier();
      }
    }
  }
  RegCloseKey(desktop);
}

// The screen-saver-running state is on exactly while a verifier is loaded.
void UnloadPasswordVerifier() {
  if (!shell.passwordModule) return;
  platform.FreeLibrary(shell.passwordModule);
  shell.passwordModule = nullptr;
  if (shell.verifyPasswordFn) {
    shell.verifyPasswordFn = nullptr;
    SetSaverRunning(0);
  }
}

// On the Windows 95 family this state keeps the task-switch keys from reaching other
// programs while the password is asked for; other platforms have no such switch.
void SetSaverRunning(UINT on) {
  if (!shell.win95Platform) return;
  UINT previous = 0;
  shellSeams.SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on, &previous, 0);
}
