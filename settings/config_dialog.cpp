// The configuration dialog (2003), which shows and writes the settings, and the About box (3000).
#include "settings/settings.h"

#include "resources/resource_ids.h"

namespace {

ConfigDialogState configDialog;

// The module the dialog was made from, whose string table and About box it uses.
HINSTANCE DialogModule(HWND dialog) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
}

LONG CheckState(HWND checkBox) {
  return static_cast<LONG>(SendMessageA(checkBox, BM_GETCHECK, 0, 0));
}

// Shows each setting in its control; a speed outside 1 to 10 is shown, and kept, as 1.
INT_PTR InitConfigDialog(HWND dialog) {
  LoadSettings(DialogModule(dialog));
  for (int i = 0; i < settingCount; ++i) {
    const SettingRow& row = settingRows[i];
    HWND control = GetDlgItem(dialog, row.control);
    configDialog.*row.handle = control;
    if (row.kind == SettingControl::ScrollBar) {
      Settings.*row.field = SettingInRange(row, Settings.*row.field);
      SetScrollRange(control, SB_CTL, row.lowest, row.highest, FALSE);
      SetScrollPos(control, SB_CTL, Settings.*row.field, TRUE);
    } else {
      // The stored values go to the check boxes as they are; any nonzero one shows checked.
      SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(Settings.*row.field), 0);
    }
  }
  return TRUE;  // the dialog manager gives the focus to the first tab stop
}

// A write that failed keeps the dialog open, so that closing it never looks like a save:
// the user may press OK again or leave with Cancel.
void ReportUnsavedSettings(HWND dialog) {
  char caption[64] = {};
  char text[256] = {};
  GetWindowTextA(dialog, caption, sizeof(caption));
  LoadStringA(DialogModule(dialog), IDS_SETTINGS_NOT_SAVED, text, sizeof(text));
  MessageBoxA(dialog, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

INT_PTR ConfigCommand(HWND dialog, WORD controlId) {
  switch (controlId) {
    case IDOK: {
      // Every key is written every time, in the table's order. A scroll bar's value has
      // followed the bar all along; the check boxes are read once the speed is written.
      LONG stored = 1;
      for (const SettingRow& row : settingRows) {
        if (row.kind == SettingControl::ScrollBar) stored &= StoreSetting(row.key, Settings.*row.field);
      }
      for (const SettingRow& row : settingRows) {
        if (row.kind == SettingControl::CheckBox) Settings.*row.field = CheckState(configDialog.*row.handle);
      }
      for (const SettingRow& row : settingRows) {
        if (row.kind == SettingControl::CheckBox) stored &= StoreSetting(row.key, Settings.*row.field);
      }
      if (!stored) {
        ReportUnsavedSettings(dialog);
        return TRUE;
      }
      EndDialog(dialog, 1);
      return TRUE;
    }
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
      Settings.redrawSpeed = speedRow.lowest;
      break;
    case SB_RIGHT:
      Settings.redrawSpeed = speedRow.highest;
      break;
    default:
      break;
  }
  Settings.redrawSpeed = SettingAtEnds(speedRow, Settings.redrawSpeed);
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
