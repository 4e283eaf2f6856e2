// The settings' table, made from the rows of setting_list.def, and its range checks.
#include <limits.h>

#include "resources/resource_ids.h"
#include "settings/settings.h"

// Every key defaults to 1 when no store holds it: the fastest speed, and every option on.
#define VYK_SETTING(key, field, defaultValue, lowest, highest, control, kind, handle) \
  {key, &SettingsRecord::field, defaultValue, lowest, highest, control, SettingControl::kind, &ConfigDialogState::handle},
const SettingRow settingRows[settingCount] = {
#include "settings/setting_list.def"
};
#undef VYK_SETTING

const SettingRow& speedRow = settingRows[0];

LONG SettingInRange(const SettingRow& row, LONG value) {
  return value < row.lowest || value > row.highest ? row.defaultValue : value;
}

LONG SettingAtEnds(const SettingRow& row, LONG value) {
  if (value <= row.lowest) return row.lowest;
  if (value >= row.highest) return row.highest;
  return value;
}
