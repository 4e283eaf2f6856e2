// What a fake device Dev1 logs while one frame of the title sequence is drawn into it: the tunnel, then the logo.
#ifndef VYK_TESTS_FAKES_FRAME_CALLS_H
#define VYK_TESTS_FAKES_FRAME_CALLS_H

#include <string>
#include <vector>

namespace fake {

// The tunnel, from BeginScene on; EndScene follows the logo, or the tunnel when logos are off.
inline const std::vector<std::string> tunnelCalls = {
    "Device::BeginScene(Dev1)",
    "Device::SetRenderState(Dev1,41,0)",
    "Device::DrawPrimitive(Dev1,5,3,4,0x1)",
    "Device::DrawPrimitive(Dev1,5,3,4,0x1)",
    "Device::DrawPrimitive(Dev1,5,3,66,0x1)",
    "Device::DrawPrimitive(Dev1,5,3,66,0x1)",
    "Device::DrawPrimitive(Dev1,5,3,66,0x1)",
    "Device::DrawPrimitive(Dev1,5,3,66,0x1)",
    "Device::DrawPrimitive(Dev1,5,3,66,0x1)",
};
inline const std::vector<std::string> logoCalls = {
    "Device::SetRenderState(Dev1,41,1)",
    "Device::DrawPrimitive(Dev1,5,3,10,0x1)",
};

}  // namespace fake

#endif
