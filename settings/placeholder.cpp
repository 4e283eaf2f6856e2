// Temporary stand-ins for settings operations until they are written.
#include "settings/settings.h"
SettingsRecord Settings;
ProfileLocation profile;
void LoadSettings() {}
