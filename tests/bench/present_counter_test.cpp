// Tests of the benchmark's present counter: the counts reach the file that the benchmark script reads.
#include <gtest/gtest.h>
#include <windows.h>

#include "bench/present_counter.h"

namespace {

bool ReadCounterFile(const char* path, PresentCounterRecord* out) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  BOOL ok = ReadFile(file, out, sizeof(*out), &got, nullptr);
  CloseHandle(file);
  return ok && got == sizeof(*out);
}

// The counter opens its file once per process, so the whole life of one counter is one test.
TEST(PresentCounter, CountsReachTheFileWhileTheProgramRuns) {
  char directory[MAX_PATH];
  char path[MAX_PATH];
  ASSERT_NE(GetTempPathA(sizeof(directory), directory), 0u);
  ASSERT_NE(GetTempFileNameA(directory, "vpc", 0, path), 0u);
  ASSERT_TRUE(SetEnvironmentVariableA("VYK_BENCH_COUNTER", path));
  int64_t before = UnixMicroseconds();

  CountPresent();
  PresentCounterRecord afterOne = {};
  ASSERT_TRUE(ReadCounterFile(path, &afterOne));
  EXPECT_EQ(afterOne.presents, 1u);
  EXPECT_GE(afterOne.firstPresentUs, before);
  EXPECT_EQ(afterOne.lastPresentUs, afterOne.firstPresentUs);

  Sleep(20);
  CountPresent();
  CountPresent();
  PresentCounterRecord afterThree = {};
  ASSERT_TRUE(ReadCounterFile(path, &afterThree));
  EXPECT_EQ(afterThree.presents, 3u);
  EXPECT_EQ(afterThree.firstPresentUs, afterOne.firstPresentUs);
  EXPECT_GE(afterThree.lastPresentUs - afterThree.firstPresentUs, 15000);  // the 20 ms pause, give or take a tick
  EXPECT_LT(afterThree.lastPresentUs - before, 5000000);

  const PresentCounterRecord& inProcess = PresentCounter();
  EXPECT_EQ(inProcess.presents, afterThree.presents);
  EXPECT_EQ(inProcess.lastPresentUs, afterThree.lastPresentUs);
}

// The clock is the one the benchmark script compares with its own launch time.
TEST(PresentCounter, UnixMicrosecondsFollowsTheSystemClock) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  int64_t micros = UnixMicroseconds();
  // 2020-01-01 and 2100-01-01 in Unix seconds bound any sane clock.
  EXPECT_GT(micros, INT64_C(1577836800) * 1000000);
  EXPECT_LT(micros, INT64_C(4102444800) * 1000000);
  EXPECT_EQ((micros / 1000000 / 86400 + 4) % 7, now.wDayOfWeek);
}

}  // namespace
