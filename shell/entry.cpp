// Process entry: the command-line scan, the start-up mode dispatch and the modes it starts.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "platform/platform.h"
#include "platform/system_version.h"
#include "shell/shell.h"

namespace {

// InitCommonControlsEx of COMCTL32.DLL.
typedef BOOL(WINAPI* InitCommonControlsExFn)(const INITCOMMONCONTROLSEX* classes);

// PwdChangePasswordA of MPR.DLL: provider name, owner window and two reserved zeros.
typedef DWORD(WINAPI* ChangePasswordFn)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

const char* SkipSpaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

}  // namespace

const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    // An opening quote that is never closed takes the whole line as the program name.
    do {
      p = CharNextA(p);
    } while (*p != '\0' && *p != '"');
    if (*p == '"') ++p;
  } else {
    while (static_cast<unsigned char>(*p) > 0x20) p = CharNextA(p);
  }
  while (*p != '\0' && static_cast<unsigned char>(*p) <= 0x20) p = CharNextA(p);
  return p;
}

void ShellEntry() {
  const char* arguments = SkipProgramName(GetCommandLineA());
  ExitProcess(static_cast<UINT>(DispatchStartMode(GetModuleHandleA(nullptr), arguments)));
}

int DispatchStartMode(HINSTANCE moduleInstance, const char* arguments) {
  shell.instance = moduleInstance;
  shell.win95Platform = IsWin95Family(ReadSystemVersion());
  return RunGuarded(SelectStartMode, arguments);
}

int SelectStartMode(const char* arguments) {
  for (const char* p = arguments;; ++p) {
    switch (*p) {
      case '\0':
        return shellSeams.showConfigDialog(nullptr);
      case ' ':
      case '-':
      case '/':
        continue;
      case 'S':
      case 's':
        return shellSeams.runSaverWindow(nullptr);
      case 'C':
      case 'c':
        return shellSeams.showConfigDialog(GetForegroundWindow());
      case 'P':
      case 'p':
      case 'L':
      case 'l':
        return shellSeams.startPreview(SkipSpaces(p + 1));
      case 'A':
      case 'a':
        if (!shell.win95Platform) return -1;
        return shellSeams.startPasswordChange(SkipSpaces(p + 1));
      default:
        return -1;
    }
  }
}

// The value wraps in 32 bits. A 32-bit handle value becomes a 64-bit handle by
// sign extension, the platform's rule for handles shared between 32-bit and 64-bit code.
HWND ParseWindowHandle(const char* text) {
  DWORD value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) value = value * 10 + static_cast<DWORD>(*p - '0');
  return static_cast<HWND>(LongToHandle(static_cast<LONG>(value)));
}

int StartPreview(const char* text) {
  HWND parent = ParseWindowHandle(text);
  if (!parent || !IsWindow(parent)) return -1;
  return shellSeams.runSaverWindow(parent);
}

int ShowConfigDialog(HWND owner) {
  if (!PrepareConfigDialog(shell.instance)) return 0;
  return static_cast<int>(DialogBoxParamA(shell.instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0));
}

// The manifest asks for common controls 6, whose window classes exist only once the
// library has been initialised. InitCommonControlsEx is looked up by name because the
// first Windows 95 and NT 4 lack it; without it the dialog keeps the system's own
// classes. The library stays loaded while the process lives, for the classes it made.
int PrepareConfigDialog(HINSTANCE) {
  HMODULE controls = platform.LoadLibraryA("COMCTL32.DLL");
  if (!controls) return 1;
  auto initialise = reinterpret_cast<InitCommonControlsExFn>(
      reinterpret_cast<void*>(platform.GetProcAddress(controls, "InitCommonControlsEx")));
  if (!initialise) return 1;
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
  initialise(&classes);
  return 1;
}

int StartPasswordChange(const char* text) {
  HWND owner = ParseWindowHandle(text);
  if (!owner || !IsWindow(owner)) owner = GetForegroundWindow();
  ChangePassword(owner);
  return 0;
}

void ChangePassword(HWND owner) {
  HMODULE mpr = platform.LoadLibraryA("MPR.DLL");
  if (!mpr) return;
  ChangePasswordFn change =
      reinterpret_cast<ChangePasswordFn>(reinterpret_cast<void*>(platform.GetProcAddress(mpr, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", owner, 0, 0);
  platform.FreeLibrary(mpr);
}
