// The one frame loop of the X and the Wayland runs: pacing, the overlay's count and the wait.
//
// Frames are paced like the Windows saver's timer: one frame per period at most, and a late
// frame is not made up. Between frames the loop sleeps in ppoll on the host's connection, so
// an event, the next period or a stop signal wakes it. A tick where no picture could draw
// leaves the clock alone and waits for an event with no deadline: pictures that wait for the
// compositor, as outputs that are powered off or hidden do, cost nothing until it answers.
#include <poll.h>
#include <signal.h>
#include <time.h>

#include "linux/hack.h"

void RunFrameLoop(const FrameLoopHost& host) {
  sigset_t waitMask;
  HoldStopSignals(&waitMask);
  const uint64_t period = FramePeriodUs(HackOptions.redrawSpeed, HackOptions.delayUs);
  ResetFpsOverlay();
  uint64_t nextFrame = MonotonicUs();
  while (StopSignal == 0 && host.takeEvents()) {
    bool idle = false;
    const uint64_t now = MonotonicUs();
    if (now >= nextFrame) {
      if (host.drawFrame() > 0) {
        CountOverlayFrame(MonotonicUs());
        nextFrame += period;
        if (nextFrame <= now) nextFrame = now + period;
      } else {
        idle = true;
      }
    }
    const int fd = host.beforeWait();
    if (fd < 0) break;
    // A deadline already passed still polls once: a pending stop signal is taken only inside ppoll.
    const uint64_t later = MonotonicUs();
    const uint64_t remaining = later >= nextFrame ? 0 : nextFrame - later;
    timespec timeout;
    timeout.tv_sec = static_cast<time_t>(remaining / 1000000u);
    timeout.tv_nsec = static_cast<long>((remaining % 1000000u) * 1000u);
    pollfd connection = {fd, POLLIN, 0};
    const int ready = ppoll(&connection, 1, idle ? nullptr : &timeout, &waitMask);
    host.afterWait(ready > 0 && (connection.revents & (POLLIN | POLLHUP | POLLERR)) != 0);
  }
}
