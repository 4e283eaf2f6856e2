// The error log file and the texts of DirectDraw and Direct3D result codes.
#ifndef VYK_DIAGNOSTICS_DIAGNOSTICS_H
#define VYK_DIAGNOSTICS_DIAGNOSTICS_H

#include <windows.h>

// Replaces the content of "vykerror.txt" with one formatted message; wvsprintfA
// syntax. Each LF is stored as CR LF, and one CR LF ends the file. The file lies in
// the current directory, or in the user's temporary folder (GetTempPathA) when it
// cannot be created there; when neither works the message is dropped.
void LogError(const char* format, ...);

// Fixed English text for a DirectDraw or Direct3D result; never null, static lifetime.
const char* ResultText(HRESULT code);

#endif
