// The frame period of a redraw speed.
#include "settings/frame_period.h"

namespace {

constexpr double millisecondsPerSpeedStep = 14.2857;

}  // namespace

uint32_t FramePeriodMs(int32_t redrawSpeed) {
  return static_cast<uint32_t>(static_cast<double>(redrawSpeed) * millisecondsPerSpeedStep);
}
