// The settings' load from the registry or the profile file, and their store.
#include "settings/settings.h"

#include "resources/resource_ids.h"
#include "platform/system_version.h"

SettingsRecord Settings;
ProfileLocation profile;

namespace {

// The key under HKEY_CURRENT_USER where IniFileMapping's "USR:Control Panel\Screen
// Saver.Vyk" puts the section; with the installer's mapping in place the profile
// functions read and write these very values.
const char settingsKey[] = "Control Panel\\Screen Saver.Vyk";

// Decimal text as the profile functions read it: blanks, an optional sign, then the
// digits up to the first other character, wrapping in 32 bits.
LONG ParseSetting(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  DWORD value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<DWORD>(*text - '0');
  return static_cast<LONG>(negative ? 0u - value : value);
}

// A REG_SZ value that holds some text; anything else counts as no value, so the
// profile file is asked instead.
bool ReadRegistrySetting(HKEY key, const char* name, LONG* value) {
  char text[32];
  DWORD type = 0;
  DWORD size = sizeof(text) - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ || size == 0) return false;
  text[size] = '\0';
  if (text[0] == '\0') return false;
  *value = ParseSetting(text);
  return true;
}

// Where StoreSetting keeps the settings on this system. A standard user of Windows Vista
// and later may not write control.ini in the Windows directory, and a 32-bit saver's writes
// there would only land in a per-user copy that a 64-bit saver never sees; the user's own
// registry key works for both. On Windows 2000 and XP only the Users group's limited members
// are refused control.ini, and only their settings go to that key. The Windows 95 family
// and NT 4 keep everything in control.ini.
enum class SettingsHome { ProfileFile, ProfileFileElseUserKey, UserKey };

SettingsHome HomeOfSettings() {
  const SystemVersion& system = CurrentSystem();
  if (IsNtAtLeast(system, 6, 0)) return SettingsHome::UserKey;
  return IsNtAtLeast(system, 5, 0) ? SettingsHome::ProfileFileElseUserKey : SettingsHome::ProfileFile;
}

LONG StoreInUserKey(const char* name, const char* text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, settingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  LONG status =
      RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(lstrlenA(text) + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 1 : 0;
}

// A value the user key kept while control.ini refused the user would hide what control.ini
// now holds.
void ForgetUserKeyValue(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, settingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

// An older 32-bit Vyk without a manifest, run by a standard user of Vista or later, had
// its control.ini writes redirected to the user's VirtualStore copy of the Windows
// directory; the manifest now switches that redirection off, so the copy is read by name.
// False when there is no such copy or it lacks the key.
bool ReadVirtualStoreSetting(const char* name, LONG* value) {
  char windows[MAX_PATH];
  char path[MAX_PATH];
  char text[32];
  DWORD windowsLength = GetWindowsDirectoryA(windows, MAX_PATH);
  DWORD folderLength = GetEnvironmentVariableA("LOCALAPPDATA", path, MAX_PATH);
  // The store mirrors the Windows directory without its drive: C:\Windows becomes VirtualStore\Windows.
  if (windowsLength < 3 || windowsLength >= MAX_PATH || windows[1] != ':' || folderLength == 0) return false;
  if (folderLength + lstrlenA("\\VirtualStore") + (windowsLength - 2) + 1 + lstrlenA(profile.file) + 1 > MAX_PATH) {
    return false;
  }
  lstrcatA(path, "\\VirtualStore");
  lstrcatA(path, windows + 2);
  lstrcatA(path, "\\");
  lstrcatA(path, profile.file);
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return false;
  if (GetPrivateProfileStringA(profile.section, name, "", text, sizeof(text), path) == 0) return false;
  *value = ParseSetting(text);
  return true;
}

// The user's key first; on Vista and later then the VirtualStore copy, which a standard
// user's older Vyk wrote instead of control.ini; then control.ini; then the row's default.
LONG LoadSetting(HKEY key, bool virtualStore, const SettingRow& row) {
  LONG value = 0;
  if (key && ReadRegistrySetting(key, row.key, &value)) return value;
  if (virtualStore && ReadVirtualStoreSetting(row.key, &value)) return value;
  return static_cast<LONG>(GetPrivateProfileIntA(profile.section, row.key, row.defaultValue, profile.file));
}

}  // namespace

// Values are taken as stored, with no range check: the configuration dialog and the
// saver's timer each put a speed outside 1 to 10 in range where they use it. Each
// key comes from the user's registry key when it holds it, so values an older version
// left in control.ini are still read until the dialog stores new ones.
void LoadSettings(HINSTANCE instance) {
  LoadStringA(instance, IDS_PROFILE_SECTION, profile.section, sizeof(profile.section));
  LoadStringA(instance, IDS_PROFILE_FILE, profile.file, sizeof(profile.file));
  SettingsHome home = HomeOfSettings();
  bool virtualStore = home == SettingsHome::UserKey;
  HKEY key = nullptr;
  if (home != SettingsHome::ProfileFile &&
      RegOpenKeyExA(HKEY_CURRENT_USER, settingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    key = nullptr;
  }
  for (const SettingRow& row : settingRows) Settings.*row.field = LoadSetting(key, virtualStore, row);
  if (key) RegCloseKey(key);
}

LONG StoreSetting(const char* name, LONG value) {
  char text[20];
  wsprintfA(text, "%ld", value);
  switch (HomeOfSettings()) {
    case SettingsHome::UserKey:
      return StoreInUserKey(name, text);
    case SettingsHome::ProfileFileElseUserKey:
      if (WritePrivateProfileStringA(profile.section, name, text, profile.file)) {
        ForgetUserKeyValue(name);
        return 1;
      }
      return StoreInUserKey(name, text);
    case SettingsHome::ProfileFile:
    default:
      return WritePrivateProfileStringA(profile.section, name, text, profile.file) ? 1 : 0;
  }
}
