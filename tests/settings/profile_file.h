// Test helpers for control.ini in the Wine prefix's Windows directory and the user's settings key: read, write, restore.
#ifndef VYK_TESTS_SETTINGS_PROFILE_FILE_H
#define VYK_TESTS_SETTINGS_PROFILE_FILE_H

#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/system_version.h"

namespace profile_file {

// A Windows that platform.GetVersionExA reports, and where its settings belong.
struct WindowsVersion {
  const char* name;  // for the trace
  DWORD platformId;  // VER_PLATFORM_WIN32_WINDOWS or VER_PLATFORM_WIN32_NT
  DWORD major;       // dwMajorVersion
  DWORD minor;       // dwMinorVersion
  bool registry;     // true: the user's key holds the settings; false: control.ini
};

const WindowsVersion windows95 = {"Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, false};
const WindowsVersion windowsMe = {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, false};
const WindowsVersion windowsNt4 = {"Windows NT 4", VER_PLATFORM_WIN32_NT, 4, 0, false};
const WindowsVersion windowsXp = {"Windows XP", VER_PLATFORM_WIN32_NT, 5, 1, false};
const WindowsVersion windowsVista = {"Windows Vista", VER_PLATFORM_WIN32_NT, 6, 0, true};
const WindowsVersion windows10 = {"Windows 10", VER_PLATFORM_WIN32_NT, 10, 0, true};

inline OSVERSIONINFOA& ReportedVersion() {
  static OSVERSIONINFOA version;
  return version;
}

inline BOOL WINAPI ReportVersion(LPOSVERSIONINFOA info) {
  DWORD size = info->dwOSVersionInfoSize;
  *info = ReportedVersion();
  info->dwOSVersionInfoSize = size;
  return TRUE;
}

// Makes platform.GetVersionExA report the given Windows until ResetPlatform.
inline void PretendWindows(const WindowsVersion& windows) {
  OSVERSIONINFOA& version = ReportedVersion();
  version = OSVERSIONINFOA{};
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwPlatformId = windows.platformId;
  version.dwMajorVersion = windows.major;
  version.dwMinorVersion = windows.minor;
  platform.GetVersionExA = ReportVersion;
  ForgetSystemVersion();
}

inline std::string Path() {
  char directory[MAX_PATH];
  GetWindowsDirectoryA(directory, MAX_PATH);
  return std::string(directory) + "\\control.ini";
}

// The platform keeps recently used profile files in memory and does not notice a
// file deleted behind its back; dropping the cached copy makes the next profile
// call read the disk again.
inline void FlushCache() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, "control.ini"); }

// The file's bytes; false when there is no file.
inline bool Read(std::string* bytes) {
  FlushCache();
  bytes->clear();
  HANDLE file = CreateFileA(Path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got != 0) bytes->append(buffer, got);
  CloseHandle(file);
  return true;
}

inline void Remove() {
  FlushCache();
  DeleteFileA(Path().c_str());
}

inline void Write(const std::string& bytes) {
  FlushCache();
  HANDLE file = CreateFileA(Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  FlushCache();
}

// Holds control.ini open without sharing for its life, so that the profile functions
// cannot write it, as the Windows directory refuses a limited user's writes.
class Refused {
 public:
  Refused() {
    FlushCache();
    file_ = CreateFileA(Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  }
  ~Refused() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    FlushCache();
  }
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  Refused(const Refused&) = delete;
  Refused& operator=(const Refused&) = delete;

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Last write time of the file, or zero when there is none.
inline ULONGLONG WriteStamp() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(Path().c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// The user's settings key of Windows NT 6 and later, under HKEY_CURRENT_USER.
constexpr char userKey[] = "Control Panel\\Screen Saver.Vyk";

inline void RemoveUserKey() { RegDeleteKeyA(HKEY_CURRENT_USER, userKey); }

// Stores one value in the user's key with the given type (REG_SZ text or a REG_DWORD).
inline void WriteUserValue(const char* name, DWORD type, const std::string& text, DWORD number = 0) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, userKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  if (type == REG_DWORD) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  } else {
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
  }
  RegCloseKey(key);
}

// "type:text" of one value in the user's key ("1:7" for REG_SZ "7"); "" when absent.
inline std::string ReadUserValue(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, userKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "";
  char text[64] = {};
  DWORD type = 0;
  DWORD size = sizeof(text) - 1;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "";
  return std::to_string(type) + ":" + text;
}

// Holds the prefix's own control.ini aside for the life of a test and puts it back.
// The user's settings key is removed before and after, so each test starts from
// settings that only control.ini holds.
class Saved {
 public:
  Saved() {
    existed_ = Read(&bytes_);
    RemoveUserKey();
  }
  ~Saved() {
    RemoveUserKey();
    if (existed_) {
      Write(bytes_);
    } else {
      Remove();
    }
  }
  Saved(const Saved&) = delete;
  Saved& operator=(const Saved&) = delete;

 private:
  bool existed_ = false;
  std::string bytes_;
};

}  // namespace profile_file

#endif
