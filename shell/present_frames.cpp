// The tick's frame loop: one frame of the animation clock presented on every picture that can draw.
#include "animation/animation.h"
#include "display/display.h"
#include "settings/settings.h"
#include "shell/shell.h"

// The clock moves on once a tick, just before the first picture that can draw, so that a
// tick where none can leaves it alone; every picture of the tick shows that one frame.
int PresentFrames() {
  int drawn = 0;
  for (MonitorRecord& monitor : saverMonitors) {
    if (!monitor.display || !monitor.display->window) continue;
    DeviceStateRecord& record = *monitor.display;
    if (!PrepareFrame(record, record.window, Settings, animation)) continue;
    if (!drawn) AdvanceAnimation(animation);
    drawn = 1;
    PresentFrame(record, record.window, Settings, animation);
  }
  return drawn;
}

