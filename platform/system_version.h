// The system version: read once through the platform seam, and what the layers above decide from it.
#ifndef VYK_PLATFORM_SYSTEM_VERSION_H
#define VYK_PLATFORM_SYSTEM_VERSION_H

#include <windows.h>

// The version GetVersionExA reports, kept once for the process and shared by the shell,
// the settings and the display.
struct SystemVersion {
  DWORD known;       // 1 once GetVersionExA answered; 0 when it failed, and every field below is then 0
  DWORD platformId;  // VER_PLATFORM_WIN32_NT (2) or VER_PLATFORM_WIN32_WINDOWS (1)
  DWORD major;       // major version: 4 for the Windows 95 family and NT 4, 10 for Windows 10 and 11
  DWORD minor;       // minor version: 2 for Windows 8 (6.2), 10 for Windows 98 (4.10)
  DWORD build;       // dwBuildNumber as reported; the Windows 95 family keeps its version in the high word
};

// Reads the version through platform.GetVersionExA (an OSVERSIONINFOA of 148 bytes) and
// keeps it for the process; a failed read is kept too, as all zero. The shell calls it
// once, as the process starts.
const SystemVersion& ReadSystemVersion();
// The version kept by the last ReadSystemVersion; read first when none has been kept,
// so code started without the shell (a test's bring-up) reads it at its first use.
const SystemVersion& CurrentSystem();

// Drops the kept version, so the next CurrentSystem reads it again; ResetPlatform calls
// it, so a test that puts another GetVersionExA into the seam is answered by it.
void ForgetSystemVersion();

// 1 for the Windows 95 family (95, 98, Me); 0 for Windows NT and for an unread version.
LONG IsWin95Family(const SystemVersion& system);
// True for Windows NT major.minor or later; false for the Windows 95 family and an unread version.
bool IsNtAtLeast(const SystemVersion& system, DWORD major, DWORD minor);

#endif
