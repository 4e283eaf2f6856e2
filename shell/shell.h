// The screen-saver shell: start-up modes, the saver window and its message filtering.
#ifndef VYK_SHELL_SHELL_H
#define VYK_SHELL_SHELL_H

#include <windows.h>

// A picture's display record (display/device_state.h).
struct DeviceStateRecord;

// Signature of VerifyScreenSavePwd in PASSWORD.CPL: nonzero when the close may proceed.
typedef BOOL(WINAPI* VerifyPasswordFn)(HWND window);
// Signature of ImmAssociateContext in IMM32.DLL: returns the context attached before.
typedef HANDLE(WINAPI* AssociateContextFn)(HWND window, HANDLE context);

// lastVerifyTick while no password dialog has ended yet.
constexpr DWORD neverVerified = 0xFFFFFFFF;

// Shell-wide state, one copy for the process. Owned by the shell; other parts only read.
struct ShellState {
  HINSTANCE instance;                    // module instance; set by DispatchStartMode, used for every resource load
  LONG win95Platform;                    // 1 on the Windows 95 family; set by DispatchStartMode
  LONG previewMode;                      // 1 when the saver window is a preview child; set by RunSaverWindow
  HWND saverWindow;                      // the created saver window; set by RunSaverWindow
  LONG closeAllowed;                     // nonzero once a close has been allowed; never cleared
  LONG verifying;                        // 1 while the verify message is being sent (ConfirmClose)
  HMODULE passwordModule;                // PASSWORD.CPL while loaded; owned by Load/UnloadPasswordVerifier
  VerifyPasswordFn verifyPasswordFn;     // its VerifyScreenSavePwd, null when no password is in force
  DWORD lastVerifyTick;                  // GetTickCount() when the last password dialog ended; neverVerified before
  POINT savedCursorPos;                  // reference point for cursor travel, screen coordinates
  HMODULE imeModule;                     // IMM32.DLL when already loaded by someone else; never loaded here
  AssociateContextFn associateContextFn; // its ImmAssociateContext, or null
  HANDLE savedImeContext;                // input context detached from the saver window at creation
};
extern ShellState shell;

// State of SaverProc, one copy for the process; all 0 at start.
struct SaverProcState {
  UINT_PTR timerId;        // SetTimer's result at creation; 0 when no timer was made
  LONG awaitingFirstTick;  // 1 from WM_CREATE to the first WM_TIMER; closes are refused meanwhile
  LONG inFrame;            // 1 while PresentFrame runs; a nested tick draws nothing
  LONG displayOff;         // 1 while the system reports the display switched off; ticks then draw nothing
};
extern SaverProcState saverProcState;

// The shell's own calls that tests redirect: the four start-up modes, the redraw
// timer and the screen-saver-running switch. Every field defaults to the real
// function (see ResetShellSeams); nothing else is routed here.
struct ShellSeams {
  int (*runSaverWindow)(HWND parent);           // modes "s" (null parent), "p" and "l" (through startPreview)
  int (*showConfigDialog)(HWND owner);          // mode "c" and the empty command line
  int (*startPreview)(const char* text);        // modes "p" and "l"
  int (*startPasswordChange)(const char* text);  // mode "a"
  UINT_PTR(WINAPI* SetTimer)(HWND window, UINT_PTR id, UINT period, TIMERPROC proc);  // SaverProc's redraw timer
  BOOL(WINAPI* SystemParametersInfoA)(UINT action, UINT param, PVOID data, UINT winIni);  // SetSaverRunning
};
extern ShellSeams shellSeams;

// Puts the real functions back into every field of shellSeams.
void ResetShellSeams();

// Largest cursor travel (|dx| + |dy|, pixels) that does not close the saver, at 96 DPI.
constexpr DWORD cursorTravelLimit = 4;

// A cursor travel closes the saver only when no display change is noticed within this
// many milliseconds of it. The system moves the cursor itself as monitors come, go or
// change mode, and its notice of the change may reach the saver after that move.
constexpr DWORD travelConfirmTicks = 300;

// The full-screen saver's place on the desktop: the display power registration, the cursor
// travel for its DPI and the watch over the monitor list. Owned by FitToDesktop and
// LeaveDesktop (desktop.cpp) and the monitor list (bring_up_displays.cpp); one copy for the process.
struct DesktopState {
  HPOWERNOTIFY powerNotify;            // display power registration of the saver window, or null
  DWORD travelLimit;                   // cursor travel that does not close the saver, for the saver window's DPI
  LONG desktopChanged;                 // 1 after WM_DISPLAYCHANGE until the next tick looks at the desktop
  DWORD lastDesktopLook;               // GetTickCount() when a tick last compared the monitor list
  LONG travelPending;                  // 1 from a cursor travel beyond travelLimit until a tick closes for it or a display change excuses it
  DWORD travelTick;                    // GetTickCount() of the travel that set travelPending
  LONG changeSeen;                     // 1 once a display change was noticed (WM_DISPLAYCHANGE or another monitor list)
  DWORD changeTick;                    // GetTickCount() when the last display change was noticed
};
extern DesktopState saverDesktop;

// What a monitor shows while the saver runs.
enum MonitorRole : LONG {
  noRole = 0,       // nothing: a free place in the list
  pictureRole = 1,  // the tunnel, drawn through a display record of its own
  coverRole = 2,    // black: a cover window
};

// One monitor of the desktop as the saver fills it. Opened and closed only by the monitor
// list (bring_up_displays.cpp); a monitor window's WM_DESTROY empties window and display.
struct MonitorRecord {
  RECT area;                   // the monitor's rectangle, virtual-screen coordinates, when its window was fitted to it; empty for a preview
  HWND window;                 // the saver window (first record), else the view or cover this record owns; null when none is open
  LONG role;                   // a MonitorRole; noRole marks a free place
  DeviceStateRecord* display;  // a picture's display record (DeviceState for the first record), owned from OpenWindowDisplay/OpenMonitorDisplay to CloseDisplayRecord; null for a cover
  GUID device;                 // the monitor's DirectDraw device (its GUID) the record was opened for; all zero when the device list named none
};

// Most monitors the saver fills: its own and fifteen more.
constexpr int maxMonitors = 16;

// The desktop as the saver fills it, one record per monitor. The first is the saver
// window's: the primary monitor's, or the preview's. The others keep their places for as
// long as their monitors stay, so a window may hold its record's address; free places
// have noRole. All zero, and so no room in the file, until the saver opens it.
extern MonitorRecord saverMonitors[maxMonitors];

// Puts the shell records back to their process-start values (tests only).
void ResetShellState();

// Entry and start-up modes. DispatchStartMode runs the mode inside the fault guard.
[[noreturn]] void ShellEntry();
int DispatchStartMode(HINSTANCE moduleInstance, const char* arguments);
// The argument text that follows the program name and the blanks after it.
const char* SkipProgramName(const char* commandLine);
// The mode dispatch proper: the first mode letter of the argument text decides.
int SelectStartMode(const char* arguments);
// Runs mode(arguments); an unhandled fault inside it ends the process after
// SetSaverRunning(0) when the platform's UnhandledExceptionFilter chooses to handle it.
int RunGuarded(int (*mode)(const char* arguments), const char* arguments);
HWND ParseWindowHandle(const char* text);
int StartPreview(const char* text);
int ShowConfigDialog(HWND owner);
int PrepareConfigDialog(HINSTANCE moduleInstance);
int StartPasswordChange(const char* text);
void ChangePassword(HWND owner);

// Saver window, message loop and dismissal.
int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL ConfirmClose(HWND window);
// Called on every tick of the full-screen saver: closes it for a cursor travel that no
// display change came with (see DisplayChangeNoticed).
void ConfirmTravel(HWND window);
// Records a change of the desktop the system made, so that the cursor jump it may bring
// closes nothing; the next tick looks at the desktop.
void DisplayChangeNoticed();
// The part of DisplayChangeNoticed for a tick that is already looking at the new desktop:
// a travel waiting for its tick, or coming within travelConfirmTicks of now, closes nothing.
void ExcuseTravelForChange(DWORD now);
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(UINT on);
DWORD ElapsedTicks(DWORD earlier, DWORD later);

// The desktop around the full-screen saver window.
// Sets the travel limit for the window's DPI and asks for display power notifications.
void FitToDesktop(HWND saver);
// After the loop: closes any monitor window still open and ends the power notifications.
void LeaveDesktop();
// Ends the display power notifications; called as the saver window is destroyed.
void StopDisplayPowerWatch();
// The display state a WM_POWERBROADCAST reports (0 off, 1 on, 2 dimmed), from the console
// display state or, on Vista and 7, the monitor power; -1 when it is about anything else.
int ConsoleDisplayState(WPARAM wParam, LPARAM lParam);
// Dots per inch of the monitor the window is on: GetDpiForWindow where the system has
// it, else the screen's LOGPIXELSX from Windows 2000 on, else 96.
UINT WindowDpi(HWND window);
// cursorTravelLimit scaled by dpi / 96; a DPI outside what displays report gives cursorTravelLimit.
DWORD CursorTravelLimit(UINT dpi);

// The monitor list: the saver window's picture and, on a desktop of several monitors, a
// view or a cover over each further one. Its records are opened, fitted and closed, and
// their pictures brought up, in bring_up_displays.cpp; the desktop is listed and compared
// in desktop_report.cpp; the tick's frames are presented in present_frames.cpp; the
// monitor windows' class and procedure are in monitor_window.cpp.
// Opens the list for the saver window: its picture, and a black window over every further
// monitor, a view with a display record of its own or a cover; then brings up the pictures.
void BringUpDisplays(HWND saver);
// Moves the animation clock on by one frame and presents that frame on every picture that
// can draw; 0 when none could, and the clock then stays where it was.
int PresentFrames();
// Closes every record: the views and covers with their windows, then the saver window's
// picture; forgets the monitor window class.
void TearDownDisplays(HWND saver);
// Called on every tick: first brings up the pictures the last change opened windows for;
// then, when the monitor list differs from the one the records were made for (looked at
// after WM_DISPLAYCHANGE, else twice a second), fits the list to the desktop as it now is,
// keeping the records of unchanged monitors; a picture left down by a failed bring-up is
// tried once more at each such look. A preview follows its host's client size.
void FollowDesktop(HWND saver);
// True when the full-screen saver's monitor list is no longer the one its records were made for.
bool DesktopDiffers();
// The record whose window is window (a view or a cover), read from the window itself; null for any other window.
MonitorRecord* MonitorOfWindow(HWND window);
// Window procedure of the views and covers: input goes to their owner, the saver window;
// the record's picture is released with the window.
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The program's saver procedure: lifecycle and frame timer.
LRESULT SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Timer period in milliseconds for a stored redrawSpeed.
UINT TimerPeriod(LONG redrawSpeed);

#endif
