// The shell's process-wide records, the monitor list among them, and the seam of its own redirectable calls.
#include "shell/shell.h"

namespace {

const DesktopState desktopStart = {nullptr, cursorTravelLimit, 0, 0, 0, 0, 0, 0};

const ShellState shellStart = {nullptr, 0, 0, nullptr, 0, 0, nullptr, nullptr, neverVerified, {0, 0}, nullptr, nullptr, nullptr};

}  // namespace

ShellState shell = shellStart;
SaverProcState saverProcState;
DesktopState saverDesktop = desktopStart;
MonitorRecord saverMonitors[maxMonitors];

ShellSeams shellSeams = {
    RunSaverWindow, ShowConfigDialog, StartPreview, StartPasswordChange, ::SetTimer, ::SystemParametersInfoA,
};

void ResetShellState() {
  shell = shellStart;
  saverProcState = SaverProcState{};
  saverDesktop = desktopStart;
  for (MonitorRecord& monitor : saverMonitors) monitor = MonitorRecord{};
}

void ResetShellSeams() {
  shellSeams.runSaverWindow = RunSaverWindow;
  shellSeams.showConfigDialog = ShowConfigDialog;
  shellSeams.startPreview = StartPreview;
  shellSeams.startPasswordChange = StartPasswordChange;
  shellSeams.SetTimer = ::SetTimer;
  shellSeams.SystemParametersInfoA = ::SystemParametersInfoA;
}
