// The error log: one formatted message as the whole content of "vykerror.txt".
#include "diagnostics/diagnostics.h"

#include <stdarg.h>

namespace {

// A message has room for 253 characters: its buffer of 256 bytes also holds the
// closing CR LF and the terminating zero.
constexpr int longestMessage = 256 - 3;

// wvsprintfA takes no buffer size, but it never writes more than 1024 bytes, the
// terminator included (its documented limit on every Windows and under Wine). It
// formats into a scratch buffer of that size, and the message is then cut to the
// 253 characters the message buffer has room for.
constexpr int formatLimit = 1024;

const char logName[] = "vykerror.txt";

HANDLE CreateLog(const char* path) {
  return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The current directory comes first, as it always has. A saver started by the desktop
// of a standard user usually has a current directory it may not write (the system
// folder), so the log then goes to the user's temporary folder, where it can be found.
HANDLE OpenLog() {
  HANDLE file = CreateLog(logName);
  if (file != INVALID_HANDLE_VALUE) return file;
  char path[MAX_PATH];
  DWORD folderLength = GetTempPathA(MAX_PATH, path);
  if (folderLength == 0 || folderLength + sizeof(logName) > MAX_PATH) return INVALID_HANDLE_VALUE;
  lstrcpyA(path + folderLength, logName);
  return CreateLog(path);
}

}  // namespace

void LogError(const char* format, ...) {
  char scratch[formatLimit + 1];
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(scratch, format, arguments);
  va_end(arguments);
  scratch[formatLimit] = '\0';
  if (length < 0) length = 0;
  if (length > formatLimit) length = formatLimit;
  if (length > longestMessage) length = longestMessage;

  // Every byte of the message may be a line feed that becomes two, then the CR LF.
  char fileBytes[2 * longestMessage + 2];
  DWORD fileLength = 0;
  for (int i = 0; i < length; ++i) {
    if (scratch[i] == '\n') fileBytes[fileLength++] = '\r';
    fileBytes[fileLength++] = scratch[i];
  }
  fileBytes[fileLength++] = '\r';
  fileBytes[fileLength++] = '\n';

  HANDLE file = OpenLog();
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, fileBytes, fileLength, &written, nullptr);
  CloseHandle(file);
}
