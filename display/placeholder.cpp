// Temporary stand-ins for display operations until they are written.
#include "display/display.h"
DeviceStateRecord DeviceState;
int BringUpDisplay(HWND) { return 0; }
int TearDownDisplay(HWND) { return 1; }
int PresentFrame(HWND) { return 0; }
void ResetDeviceState() {}
