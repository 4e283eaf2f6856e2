// The five settings, their load from the registry or the profile file, and their store.
#include "settings/settings.h"

#include "resources/resource_ids.h"
#include "platform/platform.h"

SettingsRecord Settings;
ProfileLocation profile;

namespace {

// Every key defaults to 1 when the file, the section or the key is missing.
constexpr INT settingDefault = 1;

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

LONG LoadSetting(HKEY key, const char* name) {
  LONG value = 0;
  if (key && ReadRegistrySetting(key, name, &value)) return value;
  return static_cast<LONG>(GetPrivateProfileIntA(profile.section, name, settingDefault, profile.file));
}

}  // namespace

// A standard user of Windows Vista and later may not write control.ini in the Windows
// directory, and a 32-bit saver's writes there would only land in a per-user copy that
// a 64-bit saver never sees; the user's own registry key works for both. The Windows
// 95 family and NT 4 keep everything in control.ini.
LONG SettingsInRegistry() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!platform.GetVersionExA(&version)) return 0;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6 ? 1 : 0;
}

// Values are taken as stored, with no range check: only the configuration dialog
// replaces a speed outside 1 to 10, and the saver's timer guards its own period. Each
// key comes from the user's registry key when it holds it, so values an older version
// left in control.ini are still read until the dialog stores new ones.
void LoadSettings(HINSTANCE instance) {
  LoadStringA(instance, IDS_PROFILE_SECTION, profile.section, sizeof(profile.section));
  LoadStringA(instance, IDS_PROFILE_FILE, profile.file, sizeof(profile.file));
  HKEY key = nullptr;
  if (SettingsInRegistry() && RegOpenKeyExA(HKEY_CURRENT_USER, settingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    key = nullptr;
  }
  Settings.redrawSpeed = LoadSetting(key, "RedrawSpeed");
  Settings.logos = LoadSetting(key, "Logos");
  Settings.linear = LoadSetting(key, "Linear");
  Settings.hardware = LoadSetting(key, "Hardware");
  Settings.allMonitors = LoadSetting(key, "AllMonitors");
  if (key) RegCloseKey(key);
}

void StoreSetting(const char* name, LONG value) {
  char text[20];
  wsprintfA(text, "%ld", value);
  if (!SettingsInRegistry()) {
    WritePrivateProfileStringA(profile.section, name, text, profile.file);
    return;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, settingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(lstrlenA(text) + 1));
  RegCloseKey(key);
}
