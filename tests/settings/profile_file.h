// Test helpers for control.ini in the Wine prefix's Windows directory: read, write and restore its bytes.
#ifndef VYK_TESTS_SETTINGS_PROFILE_FILE_H
#define VYK_TESTS_SETTINGS_PROFILE_FILE_H

#include <windows.h>

#include <string>

namespace profile_file {

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

// Last write time of the file, or zero when there is none.
inline ULONGLONG WriteStamp() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(Path().c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// Holds the prefix's own control.ini aside for the life of a test and puts it back.
class Saved {
 public:
  Saved() { existed_ = Read(&bytes_); }
  ~Saved() {
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
