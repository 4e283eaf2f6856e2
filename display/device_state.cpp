// The device state record: its one instance with the process-start values.
#include "display/device_state.h"

namespace {

// The record at process start: nothing held, nothing sized, full screen and linear
// magnification hoped for until bring-up decides otherwise.
constexpr DeviceStateRecord startValues = {
    0,                   // deviceStatus
    1,                   // fullScreen
    D3DFILTER_LINEAR,    // textureFilter
    D3DTBLEND_MODULATE,  // textureBlend
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    0, 0, 0, 0,
};

}  // namespace

DeviceStateRecord DeviceState = startValues;

void ResetDeviceState() { DeviceState = startValues; }
