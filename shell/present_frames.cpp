// The tick's frame loop: one frame of the animation clock presented on every picture that can draw.
#include "animation/animation.h"
#include "display/display.h"
#include "settings/settings.h"
#include "shell/shell.h"

// The clock moves by its one rule: once a tick, and only when some picture can draw.
int PresentFrames() {
  int drawn = 0;
  for (MonitorRecord& monitor : saverMonitors) {
    if (!monitor.display || !monitor.display->window) continue;
    DeviceStateRecord& record = *monitor.display;
    if (!PrepareFrame(record, record.window, Settings, animation)) continue;
    MoveClockForPicture(animation, drawn);
    PresentFrame(record, record.window, Settings, animation);
  }
  return drawn;
}

