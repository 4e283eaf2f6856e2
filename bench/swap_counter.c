/* LD_PRELOAD shim for native programs: counts glXSwapBuffers and eglSwapBuffers calls into the
 * benchmark's counter file, in the same layout as bench/present_counter.h (three little-endian
 * 64-bit fields: presents, Unix time of the first present and of the latest, in microseconds).
 * The file is named by VYK_BENCH_COUNTER; without it the shim only passes the calls on.
 * Build: cc -shared -fPIC -O2 swap_counter.c -o libvyk_swap_counter.so -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

struct swap_record {
  uint64_t presents;
  int64_t first_present_us;
  int64_t last_present_us;
};

static struct swap_record local_record;
static struct swap_record* record = &local_record;
static int opened;

static int64_t unix_microseconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return (int64_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

/* Maps the record into the counter file; the mapping lives until the process ends, so the
 * last figures stay readable after any exit. */
static struct swap_record* map_counter_file(void) {
  const char* path = getenv("VYK_BENCH_COUNTER");
  if (path == NULL || path[0] == '\0') return NULL;
  int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return NULL;
  if (ftruncate(fd, sizeof(struct swap_record)) != 0) {
    close(fd);
    return NULL;
  }
  void* view = mmap(NULL, sizeof(struct swap_record), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  return view == MAP_FAILED ? NULL : (struct swap_record*)view;
}

/* Called once per swap, after the real swap returned. The first present is written before the
 * count, so a reader that sees a count of one also sees its time. */
static void count_present(void) {
  int64_t now = unix_microseconds();
  if (!opened) {
    opened = 1;
    local_record.first_present_us = now;
    struct swap_record* mapped = map_counter_file();
    if (mapped != NULL) {
      mapped->first_present_us = now;
      record = mapped;
    }
  }
  record->last_present_us = now;
  __atomic_add_fetch(&record->presents, 1, __ATOMIC_RELEASE);
}

typedef void (*glx_swap_fn)(void* display, unsigned long drawable);
typedef unsigned int (*egl_swap_fn)(void* display, void* surface);

void glXSwapBuffers(void* display, unsigned long drawable) {
  static glx_swap_fn real;
  if (real == NULL) real = (glx_swap_fn)dlsym(RTLD_NEXT, "glXSwapBuffers");
  if (real != NULL) real(display, drawable);
  count_present();
}

unsigned int eglSwapBuffers(void* display, void* surface) {
  static egl_swap_fn real;
  if (real == NULL) real = (egl_swap_fn)dlsym(RTLD_NEXT, "eglSwapBuffers");
  unsigned int result = real != NULL ? real(display, surface) : 0;
  count_present();
  return result;
}
