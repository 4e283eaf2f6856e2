// The stop signals and the clock that the X and the Wayland runs share.
#include <signal.h>
#include <time.h>

#include "linux/hack.h"

volatile sig_atomic_t StopSignal = 0;

uint64_t MonotonicUs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

void HoldStopSignals(sigset_t* waitMask) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, waitMask);
  sigdelset(waitMask, SIGTERM);
  sigdelset(waitMask, SIGINT);
}
