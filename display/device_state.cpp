// The display records: their start values and the saver's instances, one per monitor drawn.
#include "display/device_state.h"

namespace {

// The record at process start: nothing held, nothing sized, full screen and linear
// magnification hoped for until bring-up decides otherwise, the active display driver.
constexpr DeviceStateRecord startValues = {
    0,                   // deviceStatus
    1,                   // fullScreen
    D3DFILTER_LINEAR,    // textureFilter
    D3DTBLEND_MODULATE,  // textureBlend
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    0, 0, 0, 0,
    nullptr,
    GUID{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    0,
    0,
    POINT{0, 0},
    TextureHolder(),
    SceneGeometry{},
};

}  // namespace

DeviceStateRecord displayRecords[maxDisplayRecords] = {
    startValues, startValues, startValues, startValues, startValues, startValues, startValues, startValues,
    startValues, startValues, startValues, startValues, startValues, startValues, startValues, startValues,
};
static_assert(maxDisplayRecords == 16, "one start value per record above");
DeviceStateRecord& DeviceState = displayRecords[0];

DeviceStateRecord NewDeviceState() { return startValues; }

void ResetDeviceState() {
  for (DeviceStateRecord& record : displayRecords) record = startValues;
}
