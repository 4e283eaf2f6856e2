// Starts the program named by the rest of its own command line, waits for it without a deadline and
// prints "exit N", its exit code as a signed number, before it ends itself.
//
// Usage: e2e_exit_code PROGRAM [ARGUMENTS...] (PROGRAM as a Windows path)
// Under the emulated 32-bit Wine a busy machine may see the wineserver kill a process's emulator
// after the program has ended but before the emulator has, and the shell then gets 137 in place of
// the program's own exit code; the code Wine keeps for the process is the program's, and is printed
// while this program is still running.
#include <windows.h>
#include <stdio.h>

int main() {
  // The command line after this program's own name, quoted or not, and the blanks after it.
  char* rest = GetCommandLineA();
  if (*rest == '"') {
    ++rest;
    while (*rest && *rest != '"') ++rest;
    if (*rest) ++rest;
  } else {
    while (*rest && *rest != ' ' && *rest != '\t') ++rest;
  }
  while (*rest == ' ' || *rest == '\t') ++rest;

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, rest, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    printf("cannot start %s: error %lu\n", rest, GetLastError());
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  printf("exit %ld\n", static_cast<long>(code));
  fflush(stdout);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
