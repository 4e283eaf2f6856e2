// The redraw speeds and their frame period, one rule for the Windows saver's timer and the native hack; free of any platform header.
#ifndef VYK_SETTINGS_FRAME_PERIOD_H
#define VYK_SETTINGS_FRAME_PERIOD_H

#include <stdint.h>

// The redraw speeds offered: 1 at the "Fast" end to 10 at "Slow".
constexpr int32_t fastestSpeed = 1;
constexpr int32_t slowestSpeed = 10;

// The frame period in whole milliseconds of a redraw speed from fastestSpeed to
// slowestSpeed: the speed times 14.2857 ms, truncated toward zero, so 7 gives 99, not
// 100. A stored speed is put in that range first (SettingInRange); 0 would give a 0 ms
// period, and a negative one wraps to a period of weeks.
uint32_t FramePeriodMs(int32_t redrawSpeed);

#endif
