// Benchmark-only count of presented frames, mapped into the file named by VYK_BENCH_COUNTER.
#include "bench/present_counter.h"

namespace {

PresentCounterRecord localRecord;           // used until, or instead of, the mapped record
PresentCounterRecord* record = &localRecord;  // where CountPresent writes; owned by this file
bool opened;                                  // the file was tried once (success or not)

// Maps the record into the counter file; the mapping and its handles live until
// the process ends, which is what keeps the last figures readable after any exit.
PresentCounterRecord* MapCounterFile() {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("VYK_BENCH_COUNTER", path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return nullptr;
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, sizeof(PresentCounterRecord), nullptr);
  if (!mapping) {
    CloseHandle(file);
    return nullptr;
  }
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(PresentCounterRecord));
  if (!view) {
    CloseHandle(mapping);
    CloseHandle(file);
    return nullptr;
  }
  return static_cast<PresentCounterRecord*>(view);
}

}  // namespace

int64_t UnixMicroseconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  // FILETIME counts 100 ns steps from 1601; the Unix epoch is 11644473600 s later.
  return static_cast<int64_t>(ticks / 10) - INT64_C(11644473600000000);
}

void CountPresent() {
  int64_t now = UnixMicroseconds();
  if (!opened) {
    opened = true;
    localRecord.firstPresentUs = now;
    PresentCounterRecord* mapped = MapCounterFile();
    if (mapped) {
      *mapped = localRecord;
      record = mapped;
    }
  }
  record->presents++;
  record->lastPresentUs = now;
}

const PresentCounterRecord& PresentCounter() { return *record; }
