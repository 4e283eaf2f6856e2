// Benchmark builds of the saver: every frame the display presents is counted.
#include "bench/present_counter.h"
#include "display/display.h"

namespace {

// Set before WinMain runs; the saver itself never touches the hook.
const bool hooked = (framePresentedHook = CountPresent, true);

}  // namespace
