// The shell's process-wide records and the seam of its own redirectable calls.
#include "shell/shell.h"

namespace {

const DesktopState desktopStart = {{}, 0, nullptr, cursorTravelLimit, 1, {}, 0, 0, 0, 0, 0, 0, 0};

const ShellState shellStart = {nullptr, 0, 0, nullptr, 0, 0, nullptr, nullptr, neverVerified, {0, 0}, nullptr, nullptr, nullptr};

}  // namespace

ShellState shell = shellStart;
SaverProcState saverProcState;
DesktopState saverDesktop = desktopStart;

ShellSeams shellSeams = {
    RunSaverWindow, ShowConfigDialog, StartPreview, StartPasswordChange, ::SetTimer, ::SystemParametersInfoA,
};

void ResetShellState() {
  shell = shellStart;
  saverProcState = SaverProcState{};
  saverDesktop = desktopStart;
}

void ResetShellSeams() {
  shellSeams.runSaverWindow = RunSaverWindow;
  shellSeams.showConfigDialog = ShowConfigDialog;
  shellSeams.startPreview = StartPreview;
  shellSeams.startPasswordChange = StartPasswordChange;
  shellSeams.SetTimer = ::SetTimer;
  shellSeams.SystemParametersInfoA = ::SystemParametersInfoA;
}
