// Benchmark-only count of presented frames, kept live in a small file that the benchmark script reads.
#ifndef VYK_BENCH_PRESENT_COUNTER_H
#define VYK_BENCH_PRESENT_COUNTER_H

#include <windows.h>
#include <stdint.h>

// Layout of the counter file: three little-endian 64-bit fields, nothing else.
struct PresentCounterRecord {
  uint64_t presents;        // frames handed to Flip or Blt so far; written by CountPresent
  int64_t firstPresentUs;   // Unix time of the first present, microseconds; 0 before it
  int64_t lastPresentUs;    // Unix time of the latest present, microseconds
};

// Counts one presented frame. The first call opens the file named by the
// environment variable VYK_BENCH_COUNTER and maps the record into it, so the
// figures can be read while the program runs and stay on disk after any exit;
// without that variable (or when the file cannot be made) only the in-process
// record counts. Allocation-free after the first call.
void CountPresent();

// The record as counted so far (the mapped one when the file is open).
const PresentCounterRecord& PresentCounter();

// Unix time now in microseconds, from the system clock.
int64_t UnixMicroseconds();

#endif
