// The screen-saver shell: start-up modes, the saver window and its message filtering.
#ifndef VYK_SHELL_SHELL_H
#define VYK_SHELL_SHELL_H

#include <windows.h>

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

// Most monitors the full-screen saver covers besides its own.
constexpr int maxCoverWindows = 15;

// The full-screen saver's place on the desktop: the other monitors' covers, the display
// power registration and the cursor travel for its DPI. Owned by FitToDesktop and
// LeaveDesktop (desktop.cpp); one copy for the process.
struct DesktopState {
  HWND coverWindows[maxCoverWindows];  // black windows over the monitors other than the saver's; owned by the saver window
  int coverCount;                      // how many of coverWindows were made
  HPOWERNOTIFY powerNotify;            // display power registration of the saver window, or null
  DWORD travelLimit;                   // cursor travel that does not close the saver, for the saver window's DPI
  int viewCount;                       // display records in use, from displayRecords[0]; 1 unless several monitors draw
  RECT knownMonitors[maxCoverWindows + 1];  // the monitor list the pictures and covers were made for, primary first
  int knownMonitorCount;               // how many of knownMonitors are filled
  LONG desktopChanged;                 // 1 after WM_DISPLAYCHANGE until the next tick looks at the desktop
  DWORD lastDesktopLook;               // GetTickCount() when a tick last compared the monitor list
  LONG travelPending;                  // 1 from a cursor travel beyond travelLimit until a tick closes for it or a display change excuses it
  DWORD travelTick;                    // GetTickCount() of the travel that set travelPending
  LONG changeSeen;                     // 1 once a display change was noticed (WM_DISPLAYCHANGE or another monitor list)
  DWORD changeTick;                    // GetTickCount() when the last display change was noticed
};
extern DesktopState saverDesktop;

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
// Sets the travel limit for the window's DPI, covers every other monitor and asks for
// display power notifications. The covers belong to the window and close with it.
void FitToDesktop(HWND saver);
// After the loop: destroys any cover still open and forgets the cover class.
void LeaveDesktop();
// Covers every monitor after the first that shows no picture of its own and has no cover yet.
void CoverOtherMonitors(HWND saver);
// True when a cover fills exactly area.
bool MonitorHasCover(const RECT& area);
// Destroys the covers that fill none of monitors after the first (count of them, primary first).
void RemoveCoversOffDesktop(const RECT* monitors, int count);
// Destroys the covers.
void RemoveCovers();
// Ends the display power notifications; called as the saver window is destroyed.
void StopDisplayPowerWatch();
// Window procedure of the covers: input goes to their owner, the saver window.
LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The display state a WM_POWERBROADCAST reports (0 off, 1 on, 2 dimmed), from the console
// display state or, on Vista and 7, the monitor power; -1 when it is about anything else.
int ConsoleDisplayState(WPARAM wParam, LPARAM lParam);
// Dots per inch of the monitor the window is on: GetDpiForWindow where the system has
// it, else the screen's LOGPIXELSX from Windows 2000 on, else 96.
UINT WindowDpi(HWND window);
// cursorTravelLimit scaled by dpi / 96; a DPI outside what displays report gives cursorTravelLimit.
DWORD CursorTravelLimit(UINT dpi);

// The saver's pictures, one display record each (monitor_views.cpp).
// Brings up the saver window's display and, with several monitors and allMonitors on,
// opens a view window with a display record of its own on every further monitor.
void BringUpDisplays(HWND saver);
// Takes the desktop's monitor list as the one the pictures are made for.
void RememberDesktop();
// Moves the animation clock on by one frame and presents that frame on every picture that
// can draw; 0 when none could, and the clock then stays where it was.
int PresentFrames();
// Closes the view windows, releasing their records, then tears down the saver window's.
void TearDownDisplays(HWND saver);
// Called on every tick: first brings up the pictures the last change opened windows for;
// then, when the monitor list differs from the one the pictures were made for (looked at
// after WM_DISPLAYCHANGE, else twice a second), fits views and covers to the desktop as it
// now is, keeping those of unchanged monitors. A preview follows its host's client size.
void FollowDesktop(HWND saver);
// True when the full-screen saver's monitor list is no longer the one its pictures were made for.
bool DesktopDiffers();
// True when area is exactly one of monitors after the first (count of them, primary first).
bool IsMonitorBesidePrimary(const RECT& area, const RECT* monitors, int count);
// True when a view window fills exactly area.
bool MonitorHasView(const RECT& area);
// Window procedure of the views: input as on the covers; the record is released with the window.
LRESULT CALLBACK MonitorViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The program's saver procedure: lifecycle and frame timer.
LRESULT SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Timer period in milliseconds for a stored redrawSpeed.
UINT TimerPeriod(LONG redrawSpeed);

#endif
