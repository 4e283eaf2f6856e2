// The saver window: its class, the two variants, the message loop and the two stages of message filtering.
#include <stdlib.h>

#include "platform/platform.h"
#include "shell/shell.h"

namespace {

const char saverClassName[] = "WindowsScreenSaverClass";
const char fullScreenTitle[] = "Screen Saver";
const char previewTitle[] = "Preview";

// Icon 100 is asked for by number; the resources hold none, so the class has no icon.
constexpr WORD classIconId = 100;

// A close is refused without asking when it comes this soon after a password dialog ended.
constexpr DWORD verifyQuietTicks = 200;

// The shell's private request to its own window: verify the password; nonzero lets the close proceed.
constexpr UINT verifyPasswordMessage = WM_APP;

bool IsDismissingPress(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

void PostClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// A refused read may leave anything in its point, so the reference point moves only on a read that succeeded.
void TakeCursorReference() {
  POINT position;
  if (platform.GetCursorPos(&position)) shell.savedCursorPos = position;
}

}  // namespace

int RunSaverWindow(HWND parent) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = shell.instance;
  windowClass.hIcon = LoadIconA(shell.instance, MAKEINTRESOURCEA(classIconId));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = saverClassName;

  int width;
  int height;
  DWORD exStyle;
  DWORD style;
  const char* title;
  if (parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    width = client.right;
    height = client.bottom;
    shell.previewMode = 1;
    title = previewTitle;
    exStyle = 0;
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
  } else {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    LoadPasswordVerifier();
    title = fullScreenTitle;
    exStyle = WS_EX_TOPMOST;
    style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  }

  if (RegisterClassA(&windowClass)) {
    shell.saverWindow = CreateWindowExA(exStyle, saverClassName, title, style, 0, 0, width, height, parent, nullptr,
                                        shell.instance, nullptr);
  }
  if (shell.saverWindow && !shell.previewMode) FitToDesktop(shell.saverWindow);
  // A saver that could not open its window has failed, and says so.
  int exitCode = -1;
  if (shell.saverWindow) {
    if (!shell.previewMode) SetForegroundWindow(shell.saverWindow);
    MSG message = {};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (got == 0) exitCode = static_cast<int>(message.wParam);
  }
  LeaveDesktop();
  UnloadPasswordVerifier();
  return exitCode;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // IMM32.DLL is used only when someone else has loaded it.
      shell.imeModule = GetModuleHandleA("IMM32.DLL");
      if (shell.imeModule) {
        shell.associateContextFn = reinterpret_cast<AssociateContextFn>(
            reinterpret_cast<void*>(platform.GetProcAddress(shell.imeModule, "ImmAssociateContext")));
        if (shell.associateContextFn) shell.savedImeContext = shell.associateContextFn(window, nullptr);
      }
      TakeCursorReference();
      if (!shell.previewMode) SetCursor(nullptr);
      break;
    case WM_DESTROY:
      if (shell.imeModule && shell.associateContextFn && shell.savedImeContext) {
        shell.associateContextFn(window, shell.savedImeContext);
      }
      StopDisplayPowerWatch();
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (shell.closeAllowed) return DefWindowProcA(window, message, wParam, lParam);
      if (!shell.previewMode) SetCursor(nullptr);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (shell.previewMode) {
        HWND parent = GetParent(window);
        if (parent && IsWindow(parent)) PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        return 1;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (shell.closeAllowed) return DefWindowProcA(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      // The whole wParam is compared: these three exact values, low bits included.
      if (!shell.previewMode && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE)) {
        return 0;
      }
      break;
    case WM_TIMER:
      if (shell.closeAllowed) return 0;
      Sleep(0);
      break;
    default:
      break;
  }
  return SaverProc(window, message, wParam, lParam);
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (shell.previewMode || shell.closeAllowed) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_CLOSE) {
    if (shell.win95Platform && !ConfirmClose(window)) {
      TakeCursorReference();
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == verifyPasswordMessage) {
    if (shell.win95Platform) return shell.verifyPasswordFn ? shell.verifyPasswordFn(window) : 1;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // Input while the password dialog runs closes nothing.
  if (shell.verifying) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam) SetCursor(nullptr);
      break;
    case WM_ACTIVATEAPP:
      if (wParam == 0) PostClose(window);
      break;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 1;
    case WM_MOUSEMOVE: {
      // Travel is measured on the screen from the reference point, so small moves add up.
      // A move whose position cannot be read is no travel.
      POINT position;
      if (!platform.GetCursorPos(&position)) break;
      DWORD travel = static_cast<DWORD>(labs(position.x - shell.savedCursorPos.x)) +
                     static_cast<DWORD>(labs(position.y - shell.savedCursorPos.y));
      if (travel <= saverDesktop.travelLimit) break;
      shell.savedCursorPos = position;
      // The system moves the cursor itself when the monitors change under it, which the
      // user did not do: after a display change's notice that no tick has looked at yet,
      // or one noticed moments ago, or when the monitor list differs. The next tick fits
      // the saver to the new desktop. Any other travel closes once a tick finds no change
      // came with it; before the first tick it is dropped, as every input is. Without a
      // timer no tick would ever come, and it closes at once.
      const DWORD now = GetTickCount();
      if (saverDesktop.desktopChanged || DesktopDiffers() ||
          (saverDesktop.changeSeen && ElapsedTicks(saverDesktop.changeTick, now) < travelConfirmTicks)) {
        saverDesktop.desktopChanged = 1;
      } else if (!saverProcState.timerId) {
        PostClose(window);
      } else if (!saverProcState.awaitingFirstTick && !saverDesktop.travelPending) {
        saverDesktop.travelPending = 1;
        saverDesktop.travelTick = now;
      }
      break;
    }
    case WM_TIMER:
      ConfirmTravel(window);
      break;
    default:
      if (IsDismissingPress(message)) PostClose(window);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ConfirmTravel(HWND window) {
  if (!saverDesktop.travelPending) return;
  if (DesktopDiffers()) {
    DisplayChangeNoticed();
    return;
  }
  if (ElapsedTicks(saverDesktop.travelTick, GetTickCount()) < travelConfirmTicks) return;
  saverDesktop.travelPending = 0;
  PostClose(window);
}

void DisplayChangeNoticed() {
  saverDesktop.desktopChanged = 1;
  ExcuseTravelForChange(GetTickCount());
}

void ExcuseTravelForChange(DWORD now) {
  saverDesktop.changeSeen = 1;
  saverDesktop.changeTick = now;
  saverDesktop.travelPending = 0;
}

BOOL ConfirmClose(HWND window) {
  if (shell.verifying || shell.closeAllowed) return 0;
  if (!shell.verifyPasswordFn) {
    shell.closeAllowed = 1;
    return 1;
  }
  DWORD now = GetTickCount();
  if (shell.lastVerifyTick != neverVerified && ElapsedTicks(shell.lastVerifyTick, now) < verifyQuietTicks) {
    return shell.closeAllowed;
  }
  shell.verifying = 1;
  // Up to two pending ticks are dropped so that no frame is drawn over the password dialog as it opens.
  MSG pending;
  PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  LONG answer = static_cast<LONG>(SendMessageA(window, verifyPasswordMessage, 0, 0));
  shell.closeAllowed = answer;
  shell.verifying = 0;
  if (!answer) SetCursor(nullptr);
  shell.lastVerifyTick = GetTickCount();
  return answer;
}

// Unsigned subtraction keeps the result right across the wrap of GetTickCount after about 49.7 days.
DWORD ElapsedTicks(DWORD earlier, DWORD later) { return later - earlier; }
