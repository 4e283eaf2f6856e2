// The graphical entry point: hands control to the shell, which reads the command line itself.
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { ShellEntry(); }
