// The settings' table: each setting's key, default, range and dialog control, and its range checks.
#include <limits.h>

#include "resources/resource_ids.h"
#include "settings/settings.h"

// Every key defaults to 1 when no store holds it: the fastest speed, and every option on.
const SettingRow settingRows[settingCount] = {
    {"RedrawSpeed", &SettingsRecord::redrawSpeed, 1, fastestSpeed, slowestSpeed, IDC_SPEED_SCROLL, SettingControl::ScrollBar, &ConfigDialogState::speedScrollBar},
    {"Logos", &SettingsRecord::logos, 1, LONG_MIN, LONG_MAX, IDC_LOGOS, SettingControl::CheckBox, &ConfigDialogState::logosCheck},
    {"Linear", &SettingsRecord::linear, 1, LONG_MIN, LONG_MAX, IDC_LINEAR, SettingControl::CheckBox, &ConfigDialogState::linearCheck},
    {"Hardware", &SettingsRecord::hardware, 1, LONG_MIN, LONG_MAX, IDC_HARDWARE, SettingControl::CheckBox, &ConfigDialogState::hardwareCheck},
    {"AllMonitors", &SettingsRecord::allMonitors, 1, LONG_MIN, LONG_MAX, IDC_ALL_MONITORS, SettingControl::CheckBox, &ConfigDialogState::allMonitorsCheck},
};

const SettingRow& speedRow = settingRows[0];

LONG SettingInRange(const SettingRow& row, LONG value) {
  return value < row.lowest || value > row.highest ? row.defaultValue : value;
}

LONG SettingAtEnds(const SettingRow& row, LONG value) {
  if (value <= row.lowest) return row.lowest;
  if (value >= row.highest) return row.highest;
  return value;
}
