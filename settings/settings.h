// The saver's five settings, their table, their profile store, and the configuration dialogs.
#ifndef VYK_SETTINGS_SETTINGS_H
#define VYK_SETTINGS_SETTINGS_H

#include <windows.h>

#include "settings/frame_period.h"

// The five settings, one copy for the process; all 0 until the first LoadSettings.
struct SettingsRecord {
  LONG redrawSpeed;  // 1 (fast) to 10 (slow) in the dialog; frame period multiplier; loaded unchecked
  LONG logos;        // nonzero: the logo strip is drawn
  LONG linear;       // nonzero: linear texture magnification on the hardware device
  LONG hardware;     // nonzero: the hardware device is tried first
  LONG allMonitors;  // nonzero: every monitor draws; 0: the main monitor draws and the others are covered
};
extern SettingsRecord Settings;

// How the configuration dialog shows a setting.
enum class SettingControl {
  ScrollBar,  // a horizontal scroll bar over lowest..highest; the value follows the bar as it moves
  CheckBox,   // a check box: any nonzero value shows checked, and OK reads back 0 or 1
};

// The configuration dialog's handles of its controls, found at WM_INITDIALOG and kept by
// ConfigDialogProc between messages; one for each setting. Owned by config_dialog.cpp.
struct ConfigDialogState {
  HWND speedScrollBar;    // control 1000, the redraw speed
  HWND logosCheck;        // control 1002, logos
  HWND linearCheck;       // control 1003, linear
  HWND hardwareCheck;     // control 1004, hardware
  HWND allMonitorsCheck;  // the check box of allMonitors
};

// One of the settings: everything loading, saving, the dialog and the range checks need.
struct SettingRow {
  const char* key;               // the profile key, also the registry value's name ("RedrawSpeed")
  LONG SettingsRecord::*field;   // where Settings keeps the value
  LONG defaultValue;             // taken when no store holds the key, and for a value outside the range
  LONG lowest;                   // the range the control offers; check boxes take any value
  LONG highest;                  //   (lowest and highest span every LONG for them)
  int control;                   // the control's identifier in dialog 2003
  SettingControl kind;           // how the dialog shows it
  HWND ConfigDialogState::*handle;  // where the open dialog keeps the control's handle
};

// The settings in the order the dialog writes them, the speed first, one for each row of
// settings/setting_list.def. A new setting is one row there (which the installer carries
// over too), a field in SettingsRecord, its handle in ConfigDialogState and its control in
// the dialog template.
constexpr int settingCount = 0
#define VYK_SETTING(...) +1
#include "settings/setting_list.def"
#undef VYK_SETTING
    ;
extern const SettingRow settingRows[settingCount];
// The row of the redraw speed (settingRows[0]).
extern const SettingRow& speedRow;

// A value outside the row's range is replaced by the row's default: a stored speed of 0
// or 11 runs, and opens the dialog, as speed 1.
LONG SettingInRange(const SettingRow& row, LONG value);
// A value beyond either end of the row's range becomes that end, as a scroll bar stops.
LONG SettingAtEnds(const SettingRow& row, LONG value);

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
