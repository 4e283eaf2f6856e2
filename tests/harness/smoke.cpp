// The harness check: a test program starts under Wine with a module and a desktop.
#include <gtest/gtest.h>
#include <windows.h>
TEST(Harness, RunsUnderWine) { EXPECT_NE(GetModuleHandleA(NULL), nullptr); EXPECT_NE(GetDesktopWindow(), nullptr); }
