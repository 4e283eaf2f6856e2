// Temporary stand-ins for shell operations until they are written.
#include "shell/shell.h"
ShellState shell;
SaverProcState saverProcState;
void ShellEntry() { ExitProcess(0); }
