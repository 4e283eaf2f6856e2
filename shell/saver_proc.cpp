// The saver procedure: settings, display and timer tied to the life of the saver window.
#include "animation/animation.h"
#include "settings/settings.h"
#include "shell/shell.h"

namespace {

constexpr UINT_PTR redrawTimerId = 1;

}  // namespace

// Settings load unchecked; a speed outside the dialog's range would give a 0 ms period
// or, when negative, one of weeks, and the saver could then never draw or close, so it
// runs at speed 1.
UINT TimerPeriod(LONG redrawSpeed) { return FramePeriodMs(SettingInRange(speedRow, redrawSpeed)); }

LRESULT SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      LoadSettings(shell.instance);
      saverProcState.awaitingFirstTick = 1;
      // A failed bring-up is logged there; the window stays open, black, and closable.
      BringUpDisplays(window);
      animation.animationSeed = GetTickCount();
      saverProcState.timerId = shellSeams.SetTimer(window, redrawTimerId, TimerPeriod(Settings.redrawSpeed), nullptr);
      // Without a timer no tick will ever come to end the wait, and the user must
      // still be able to get the desktop back.
      if (!saverProcState.timerId) saverProcState.awaitingFirstTick = 0;
      break;
    case WM_DESTROY:
      TearDownDisplays(window);
      if (saverProcState.timerId) {
        KillTimer(window, saverProcState.timerId);
        saverProcState.timerId = 0;
      }
      break;
    case WM_CLOSE:
      // Input that arrives before the first frame is dropped, not replayed.
      if (saverProcState.awaitingFirstTick) return 0;
      break;
    case WM_TIMER:
      // Any identifier counts as a tick.
      saverProcState.awaitingFirstTick = 0;
      // With the display off the tick still ends the wait for the first tick, but draws no frame nobody could see.
      if (!saverProcState.inFrame && !saverProcState.displayOff) {
        saverProcState.inFrame = 1;
        FollowDesktop(window);
        PresentFrames();
        saverProcState.inFrame = 0;
      }
      break;
    case WM_DISPLAYCHANGE:
      // Looked at by the next tick, outside any bring-up whose own mode change sent it.
      DisplayChangeNoticed();
      break;
    case WM_POWERBROADCAST: {
      // Dimmed (2) still shows the frames; only off (0) stops them.
      int displayState = ConsoleDisplayState(wParam, lParam);
      if (displayState >= 0) saverProcState.displayOff = displayState == 0 ? 1 : 0;
      break;
    }
    default:
      break;
  }
  return DefaultSaverProc(window, message, wParam, lParam);
}
