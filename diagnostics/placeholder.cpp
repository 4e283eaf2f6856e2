// Temporary stand-ins for diagnostics until they are written.
#include "diagnostics/diagnostics.h"
void LogError(const char*, ...) {}
const char* ResultText(HRESULT) { return "Unrecognized error value."; }
