// The system version, read once through the platform seam.
#include "platform/system_version.h"

#include "platform/platform.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as the platform defines it");

namespace {

SystemVersion systemVersion;  // the version read last; meaningful once versionRead is true
bool versionRead = false;     // false until the first read, and again after ForgetSystemVersion

}  // namespace

const SystemVersion& ReadSystemVersion() {
  versionRead = true;
  systemVersion = SystemVersion{};
  OSVERSIONINFOA os = {};
  os.dwOSVersionInfoSize = sizeof(os);
  if (platform.GetVersionExA(&os)) {
    systemVersion = SystemVersion{1, os.dwPlatformId, os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber};
  }
  return systemVersion;
}

const SystemVersion& CurrentSystem() { return versionRead ? systemVersion : ReadSystemVersion(); }

void ForgetSystemVersion() {
  versionRead = false;
  systemVersion = SystemVersion{};
}

LONG IsWin95Family(const SystemVersion& system) {
  return system.known && system.platformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
}

bool IsNtAtLeast(const SystemVersion& system, DWORD major, DWORD minor) {
  if (!system.known || system.platformId != VER_PLATFORM_WIN32_NT) return false;
  return system.major > major || (system.major == major && system.minor >= minor);
}
