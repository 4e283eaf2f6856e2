// Starts the saver with exact command lines, as the desktop does, and prints each exit code.
//
// Usage: e2e_launcher SAVER ARGUMENT_TEXT...
// Each ARGUMENT_TEXT follows the quoted saver path and one space on the command line, byte for
// byte, except that "\t" stands for a tab and "{dead}" for the decimal handle of a window that
// has been destroyed (a handle that names no window). Prints one line per text: the exit code
// as a signed number, or "running" when the saver had not ended within 10 s, times the
// harness's VYK_SLOWDOWN (it is then ended).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

std::string Expand(const char* text, UINT_PTR deadWindow) {
  std::string out;
  for (const char* p = text; *p;) {
    if (p[0] == '\\' && p[1] == 't') {
      out += '\t';
      p += 2;
    } else if (strncmp(p, "{dead}", 6) == 0) {
      out += std::to_string(static_cast<unsigned long long>(deadWindow));
      p += 6;
    } else {
      out += *p++;
    }
  }
  return out;
}

// The harness's factor for emulated runs; 1 when it is not set.
DWORD Slowdown() {
  char text[16] = "";
  const DWORD length = GetEnvironmentVariableA("VYK_SLOWDOWN", text, sizeof(text));
  const long factor = length > 0 && length < sizeof(text) ? strtol(text, nullptr, 10) : 1;
  return factor > 0 ? static_cast<DWORD>(factor) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: e2e_launcher SAVER ARGUMENT_TEXT...\n");
    return 2;
  }
  HWND dead = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(dead);
  for (int i = 2; i < argc; ++i) {
    std::string commandLine = std::string("\"") + argv[1] + "\" " + Expand(argv[i], reinterpret_cast<UINT_PTR>(dead));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      printf("not-started %lu\n", GetLastError());
      continue;
    }
    if (WaitForSingleObject(process.hProcess, 10000 * Slowdown()) == WAIT_TIMEOUT) {
      TerminateProcess(process.hProcess, 99);
      printf("running\n");
    } else {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      printf("%ld\n", static_cast<long>(static_cast<LONG>(code)));
    }
    fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return 0;
}
