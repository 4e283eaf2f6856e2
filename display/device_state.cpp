// The display records: their start values, the saver window's record, and the records made for further monitors.
#include "display/device_state.h"

#include <new>

#include "display/display.h"

DeviceStateRecord DeviceState;

// Built at run time, so that no record's start values are stored in the file.
DeviceStateRecord NewDeviceState() {
  DeviceStateRecord record = {};
  record.fullScreen = 1;
  record.textureFilter = D3DFILTER_LINEAR;
  record.textureBlend = D3DTBLEND_MODULATE;
  return record;
}

DeviceStateRecord* OpenWindowDisplay(HWND window, LONG fullScreen) {
  DeviceState = NewDeviceState();
  DeviceState.fullScreen = fullScreen;
  DeviceState.window = window;
  return &DeviceState;
}

// A further monitor's record lives on the process heap from its window's opening to its
// closing, so the records of monitors never drawn take no room at all.
DeviceStateRecord* OpenMonitorDisplay(const MonitorDevice& device, bool mainMonitor, HWND window) {
  DeviceStateRecord* record = &DeviceState;
  if (!mainMonitor) {
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(DeviceStateRecord));
    if (!memory) return nullptr;
    record = new (memory) DeviceStateRecord;
  }
  *record = NewDeviceState();
  record->fullScreen = 0;
  record->window = window;
  const GUID none = {};
  if (!IsEqualGUID(device.driverGuid, none)) {
    record->driverGuid = device.driverGuid;
    record->hasDriverGuid = 1;
    record->surfaceOrigin.x = device.area.left;
    record->surfaceOrigin.y = device.area.top;
  } else if (!mainMonitor) {
    record->gdiCopy = 1;
  }
  return record;
}

void CloseDisplayRecord(DeviceStateRecord* record) {
  if (!record) return;
  TearDownDisplay(*record, record->window);
  record->window = nullptr;
  if (record != &DeviceState) HeapFree(GetProcessHeap(), 0, record);
}

void ResetDeviceState() { DeviceState = NewDeviceState(); }
