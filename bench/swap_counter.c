/* LD_PRELOAD shim for native programs: counts presented frames into the
 * benchmark's counter file, in the same layout as bench/present_counter.h (three little-endian
 * 64-bit fields: presents, Unix time of the first present and of the latest, in microseconds).
 * A present is a glXSwapBuffers or eglSwapBuffers call, an image put into a window by XShmPutImage
 * or XPutImage (frames drawn in memory), or a buffer attached to a Wayland surface outside
 * eglSwapBuffers (a wl_shm frame; EGL attaches its own inside the swap, which counts already).
 * The file is named by VYK_BENCH_COUNTER; without it the shim only passes the calls on.
 * Build: cc -shared -fPIC -O2 swap_counter.c -o libvyk_swap_counter.so -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
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

static __thread int in_egl_swap; /* set while eglSwapBuffers runs on this thread */

unsigned int eglSwapBuffers(void* display, void* surface) {
  static egl_swap_fn real;
  if (real == NULL) real = (egl_swap_fn)dlsym(RTLD_NEXT, "eglSwapBuffers");
  in_egl_swap = 1;
  unsigned int result = real != NULL ? real(display, surface) : 0;
  in_egl_swap = 0;
  count_present();
  return result;
}

typedef int (*x_shm_put_fn)(void* display, unsigned long drawable, void* gc, void* image, int src_x, int src_y,
                            int dst_x, int dst_y, unsigned int width, unsigned int height, int send_event);
typedef int (*x_put_fn)(void* display, unsigned long drawable, void* gc, void* image, int src_x, int src_y,
                        int dst_x, int dst_y, unsigned int width, unsigned int height);

int XShmPutImage(void* display, unsigned long drawable, void* gc, void* image, int src_x, int src_y, int dst_x,
                 int dst_y, unsigned int width, unsigned int height, int send_event) {
  static x_shm_put_fn real;
  if (real == NULL) real = (x_shm_put_fn)dlsym(RTLD_NEXT, "XShmPutImage");
  int result = real != NULL ? real(display, drawable, gc, image, src_x, src_y, dst_x, dst_y, width, height, send_event) : 0;
  count_present();
  return result;
}

int XPutImage(void* display, unsigned long drawable, void* gc, void* image, int src_x, int src_y, int dst_x,
              int dst_y, unsigned int width, unsigned int height) {
  static x_put_fn real;
  if (real == NULL) real = (x_put_fn)dlsym(RTLD_NEXT, "XPutImage");
  int result = real != NULL ? real(display, drawable, gc, image, src_x, src_y, dst_x, dst_y, width, height) : 0;
  count_present();
  return result;
}

/* Every Wayland request passes here, the inline request wrappers' calls included, since the
 * client library calls it through its own symbol table. wl_surface's request 1 is attach; its
 * first argument is the buffer, null to detach. */
typedef void* (*wl_marshal_fn)(void* proxy, uint32_t opcode, const void* interface, uint32_t version,
                                uint32_t flags, void* args);
typedef const char* (*wl_class_fn)(void* proxy);

void* wl_proxy_marshal_array_flags(void* proxy, uint32_t opcode, const void* interface, uint32_t version,
                                   uint32_t flags, void* args) {
  static wl_marshal_fn real;
  static wl_class_fn class_of;
  if (real == NULL) real = (wl_marshal_fn)dlsym(RTLD_NEXT, "wl_proxy_marshal_array_flags");
  if (class_of == NULL) class_of = (wl_class_fn)dlsym(RTLD_DEFAULT, "wl_proxy_get_class");
  const int frame = !in_egl_swap && opcode == 1 && args != NULL && *(void**)args != NULL && class_of != NULL &&
                    strcmp(class_of(proxy), "wl_surface") == 0;
  void* result = real != NULL ? real(proxy, opcode, interface, version, flags, args) : NULL;
  if (frame) count_present();
  return result;
}
