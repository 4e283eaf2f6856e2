// The four settings and their load from the profile file.
#include "settings/settings.h"

#include "resources/resource_ids.h"
#include "shell/shell.h"

SettingsRecord Settings;
ProfileLocation profile;

namespace {

// Every key defaults to 1 when the file, the section or the key is missing.
constexpr INT settingDefault = 1;

}  // namespace

// Values are taken as stored, with no range check: only the configuration dialog
// replaces a speed outside 1 to 10, and the saver's timer guards its own period.
void LoadSettings() {
  LoadStringA(shell.instance, IDS_PROFILE_SECTION, profile.section, sizeof(profile.section));
  LoadStringA(shell.instance, IDS_PROFILE_FILE, profile.file, sizeof(profile.file));
  Settings.redrawSpeed = static_cast<LONG>(GetPrivateProfileIntA(profile.section, "RedrawSpeed", settingDefault, profile.file));
  Settings.logos = static_cast<LONG>(GetPrivateProfileIntA(profile.section, "Logos", settingDefault, profile.file));
  Settings.linear = static_cast<LONG>(GetPrivateProfileIntA(profile.section, "Linear", settingDefault, profile.file));
  Settings.hardware = static_cast<LONG>(GetPrivateProfileIntA(profile.section, "Hardware", settingDefault, profile.file));
}
