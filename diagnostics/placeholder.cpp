// Temporary stand-ins for diagnostics until they are written.
#include "diagnostics/diagnostics.h"
void LogError(const char*, ...) {}
