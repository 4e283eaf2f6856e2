// The guard around the start-up mode: an unhandled fault switches the screen-saver-running state off before the process ends.
#include "shell/shell.h"

namespace {

// The top-level filter that was in place before the guard; put back when the mode ends.
LPTOP_LEVEL_EXCEPTION_FILTER outerFilter;

// Reached only for a fault that nothing inside the mode handled. The platform's
// UnhandledExceptionFilter decides, as the outermost filter of the mode would; it
// calls the top-level filter itself, so the outer one is put back first to keep it
// from calling this one again.
LONG WINAPI GuardFilter(EXCEPTION_POINTERS* fault) {
  SetUnhandledExceptionFilter(outerFilter);
  LONG decision = UnhandledExceptionFilter(fault);
  if (decision == EXCEPTION_EXECUTE_HANDLER) {
    SetSaverRunning(0);
    // The process state after a fault is not trusted: no exit handlers run.
    TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
  }
  SetUnhandledExceptionFilter(GuardFilter);
  return decision;
}

}  // namespace

int RunGuarded(int (*mode)(const char* arguments), const char* arguments) {
  outerFilter = SetUnhandledExceptionFilter(GuardFilter);
  int result = mode(arguments);
  SetUnhandledExceptionFilter(outerFilter);
  return result;
}
