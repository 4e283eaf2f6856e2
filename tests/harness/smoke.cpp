// The harness check: a test program starts under Wine with a module and a desktop.
#include <gtest/gtest.h>
#include <windows.h>
TEST(Harness, RunsUnderWine) { EXPECT_NE(GetModuleHandleA(NULL), nullptr); EXPECT_NE(GetDesktopWindow(), nullptr); }

// Run only by harness_window_needs_lock, which expects the entry point to refuse it.
TEST(Harness, DISABLED_OpensAWindowWithoutTheLock) {
  HWND window = CreateWindowExA(0, "STATIC", "lockless", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  DestroyWindow(window);
}
