// The configuration dialog (2003), which shows and writes the settings, and the About box (3000).
#include "settings/settings.h"

#include "resources/resource_ids.h"

namespace {

// Controls of the open configuration dialog, found once at WM_INITDIALOG.
struct ConfigDialogControls {
  HWND speedScrollBar;  // scroll bar 1000: redrawSpeed, 1 at the "Fast" end to 10 at "Slow"
  HWND logosCheck;      // check box 1002: logos
  HWND linearCheck;     // check box 1003: linear
  HWND hardwareCheck;   // check box 1004: hardware
  HWND monitorsCheck;   // check box 1005: allMonitors
};
ConfigDialogControls configControls;


// The module the dialog was made from, whose string table and About box it uses.
HINSTANCE DialogModule(HWND dialog) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
}

LONG CheckState(HWND checkBox) {
  return static_cast<LONG>(SendMessageA(checkBox, BM_GETCHECK, 0, 0));
}

INT_PTR InitConfigDialog(HWND dialog) {
  LoadSettings(DialogModule(dialog));
  if (Settings.redrawSpeed > slowestSpeed || Settings.redrawSpeed < fastestSpeed) Settings.redrawSpeed = fastestSpeed;
  configControls.speedScrollBar = GetDlgItem(dialog, IDC_SPEED_SCROLL);
  SetScrollRange(configControls.speedScrollBar, SB_CTL, fastestSpeed, slowestSpeed, FALSE);
  SetScrollPos(configControls.speedScrollBar, SB_CTL, Settings.redrawSpeed, TRUE);
  // The stored values go to the check boxes as they are; any nonzero one shows checked.
  configControls.logosCheck = GetDlgItem(dialog, IDC_LOGOS);
  SendMessageA(configControls.logosCheck, BM_SETCHECK, static_cast<WPARAM>(Settings.logos), 0);
  configControls.linearCheck = GetDlgItem(dialog, IDC_LINEAR);
  SendMessageA(configControls.linearCheck, BM_SETCHECK, static_cast<WPARAM>(Settings.linear), 0);
  configControls.hardwareCheck = GetDlgItem(dialog, IDC_HARDWARE);
  SendMessageA(configControls.hardwareCheck, BM_SETCHECK, static_cast<WPARAM>(Settings.hardware), 0);
  configControls.monitorsCheck = GetDlgItem(dialog, IDC_ALL_MONITORS);
  SendMessageA(configControls.monitorsCheck, BM_SETCHECK, static_cast<WPARAM>(Settings.allMonitors), 0);
  return TRUE;  // the dialog manager gives the focus to the first tab stop
}

INT_PTR ConfigCommand(HWND dialog, WORD controlId) {
  switch (controlId) {
    case IDOK:
      // All five keys are written every time, the speed first.
      StoreSetting("RedrawSpeed", Settings.redrawSpeed);
      Settings.logos = CheckState(configControls.logosCheck);
      Settings.linear = CheckState(configControls.linearCheck);
      Settings.hardware = CheckState(configControls.hardwareCheck);
      Settings.allMonitors = CheckState(configControls.monitorsCheck);
      StoreSetting("Logos", Settings.logos);
      StoreSetting("Linear", Settings.linear);
      StoreSetting("Hardware", Settings.hardware);
      StoreSetting("AllMonitors", Settings.allMonitors);
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_ABOUT:
      DialogBoxParamA(DialogModule(dialog), MAKEINTRESOURCEA(IDD_ABOUT), dialog, AboutDialogProc, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

// A page is one step, like an arrow. Dragging the thumb changes nothing until the
// thumb is released (SB_THUMBPOSITION).
INT_PTR ConfigScroll(WORD code, WORD thumbPosition, HWND scrollBar) {
  switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
      --Settings.redrawSpeed;
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      ++Settings.redrawSpeed;
      break;
    case SB_THUMBPOSITION:
      Settings.redrawSpeed = thumbPosition;
      break;
    case SB_THUMBTRACK:
    case SB_ENDSCROLL:
      return TRUE;
    case SB_LEFT:
      Settings.redrawSpeed = fastestSpeed;
      break;
    case SB_RIGHT:
      Settings.redrawSpeed = slowestSpeed;
      break;
    default:
      break;
  }
  if (Settings.redrawSpeed <= fastestSpeed) Settings.redrawSpeed = fastestSpeed;
  if (Settings.redrawSpeed >= slowestSpeed) Settings.redrawSpeed = slowestSpeed;
  SetScrollPos(scrollBar, SB_CTL, Settings.redrawSpeed, TRUE);
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return InitConfigDialog(dialog);
    case WM_COMMAND:
      return ConfigCommand(dialog, LOWORD(wParam));
    case WM_HSCROLL:
      return ConfigScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
