// Temporary stand-ins for settings operations until they are written.
#include "settings/settings.h"
SettingsRecord Settings;
ProfileLocation profile;
void LoadSettings() {}
INT_PTR CALLBACK ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK AboutDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
