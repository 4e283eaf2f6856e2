// Deadlines for the tests' waits on things a busy machine delays: cursor moves, windows, ticks.
#ifndef VYK_TESTS_HARNESS_WAITS_H
#define VYK_TESTS_HARNESS_WAITS_H

#include <windows.h>

#include <cstdlib>

namespace waits {

// The harness's VYK_SLOWDOWN: 1, or more for a build whose programs run emulated.
inline DWORD Slowdown() {
  char text[16] = {};
  const DWORD length = GetEnvironmentVariableA("VYK_SLOWDOWN", text, sizeof(text));
  const long value = length > 0 && length < sizeof(text) ? std::strtol(text, nullptr, 10) : 1;
  return value > 0 ? static_cast<DWORD>(value) : 1;
}

// Every wait gives up only after this long: generous, so that only a real fault runs it out.
inline DWORD DeadlineMs(DWORD seconds = 10) { return seconds * 1000 * Slowdown(); }

// Calls step until done() holds or the deadline has passed; returns done() as it then is.
template <typename Done, typename Step>
bool WaitUntil(Done done, Step step, DWORD seconds = 10) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= DeadlineMs(seconds)) return done();
    step();
  }
  return true;
}

}  // namespace waits

#endif
