// The saver's five settings, their profile store, and the configuration dialogs.
#ifndef VYK_SETTINGS_SETTINGS_H
#define VYK_SETTINGS_SETTINGS_H

#include <windows.h>

// The five settings, one copy for the process; all 0 until the first LoadSettings.
struct SettingsRecord {
  LONG redrawSpeed;  // 1 (fast) to 10 (slow) in the dialog; timer period multiplier; loaded unchecked
  LONG logos;        // nonzero: the logo strip is drawn
  LONG linear;       // nonzero: linear texture magnification on the hardware device
  LONG hardware;     // nonzero: the hardware device is tried first
  LONG allMonitors;  // nonzero: every monitor draws; 0: the main monitor draws and the others are covered
};
extern SettingsRecord Settings;

// The redraw speeds the dialog offers; the timer runs a speed outside them as the fastest.
constexpr LONG fastestSpeed = 1;
constexpr LONG slowestSpeed = 10;

// Where the settings live; both reloaded from the string table by every LoadSettings.
struct ProfileLocation {
  char file[13];     // "control.ini", found by the profile functions in the Windows directory
  char section[40];  // "Screen Saver.Vyk"
};
extern ProfileLocation profile;

// Fills Settings, with the profile location read from the string table of instance.
// On Windows NT 5 and later each key comes from HKEY_CURRENT_USER
// "Control Panel\Screen Saver.Vyk" (REG_SZ decimal text) when that holds it, else (on
// NT 6 and later) from the VirtualStore copy of control.ini an older Vyk may have left,
// else from control.ini, else the default 1; elsewhere from control.ini or the default.
void LoadSettings(HINSTANCE instance);
// Stores one setting under its key as plain decimal text ("1", "10", "0"): in the
// registry key above on Windows NT 6 and later; on NT 5 in control.ini, or in that key
// for a user who may not write control.ini; in control.ini elsewhere. Uses the profile
// location of the last LoadSettings. Returns 1 when the value was stored, else 0.
LONG StoreSetting(const char* name, LONG value);

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
