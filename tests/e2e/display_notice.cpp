// Announces the desktop as X now has it to every running Wine program, by applying the display mode in force.
//
// Windows tells running programs of a monitor plugged in (WM_DISPLAYCHANGE, new monitor
// lists). Wine 8 on Xorg's dummy driver does not: an output switched on with xrandr stays
// unknown to every program of the prefix, even one started afterwards, until some program
// applies display settings. Applying the mode in force changes nothing on X and makes Wine
// read the outputs anew, announce WM_DISPLAYCHANGE and hand every program the new list.
// Exit code 0 when applied, 1 when the mode in force could not be read, 2 when refused.
#include <windows.h>

int main() {
  DEVMODEA mode = {};
  mode.dmSize = sizeof(mode);
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
  return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL ? 0 : 2;
}
