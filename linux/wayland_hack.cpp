// The Wayland run of the native hack: a layer surface (or full-screen toplevel) per output, drawn by EGL or the CPU.
//
// Each wl_output the registry announces gets a record and a surface of its own. Where the
// compositor offers wlroots' layer-shell, the surface is an overlay layer anchored to the four
// edges with no exclusive zone and the keyboard to itself, which a lock screen and an idle
// daemon's saver alike want; elsewhere it is an xdg_toplevel full screen on that output. The
// compositor tells the size in a configure, and exactly that size is committed: with
// wp_viewporter and wp_fractional_scale_v1 the buffer is in device pixels and the viewport maps
// it onto the configured size, otherwise the buffer is the output's integer scale times it.
//
// One OpenGL context, made through EGL, draws every surface in turn from its own scene record
// and the one animation clock, so all outputs show the same frame. Where OpenGL is a software
// rasteriser or cannot be had (by default), or when asked, the CPU renderer draws each frame
// instead into a wl_shm buffer of the output's: two in turn, reused as the compositor releases
// them, a third only while both are held. The frame loop (frame_loop.cpp)
// paces the frames; an output draws its next frame only once the compositor's frame callback
// for its last one came. An output the compositor does not show (powered off, hidden) gets no
// callback and so no frames, and costs nothing; the others do not wait for it, since the swap
// interval is 0 and no swap blocks. When no output can draw, the loop sleeps until an event.
//
// SWAYLOCK_PLUGIN_OUTPUT_NAME, when set, limits the run to the output of that name, as
// wl_output version 4 or xdg-output tells it (every output when neither does). Outputs that
// come or go while it runs get or lose their surface, and a new size or scale rebuilds that
// output's scene. The run ends with 0 on a key press, a button press, a touch, a pointer travel
// beyond pointerTravelLimit, a toplevel's close, or the close of every layer surface; without
// any seat (a lock screen's plugin, handed its connection in WAYLAND_SOCKET) it ends with 0
// when the connection closes. A lost connection ends it with 1 otherwise; on SIGTERM or SIGINT
// it returns with StopSignal set.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include "animation/animation.h"
#include "fractional-scale-v1-client-protocol.h"
#include "linux/hack.h"
#include "viewporter-client-protocol.h"
// The generated C names a parameter "namespace", a C++ keyword.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr int maxOutputs = 16;            // outputs covered at once; more are left as they are
constexpr int32_t fallbackWidth = 640;    // a surface size when neither configure nor mode gives one
constexpr int32_t fallbackHeight = 480;
constexpr int32_t scaleDenominator = 120; // wp_fractional_scale_v1's preferred scale counts 120ths
constexpr size_t outputNameSize = 64;     // room for an output's name; longer names are cut and match nothing
constexpr int maxShmBuffers = 3;          // an output's CPU frames: two in turn, a third while both are held

// Whether an output is one the run covers, as far as its name is known yet.
enum OutputChoice {
  choiceCover = 0,    // covered: no name was asked for, or it is this output's
  choiceSkip = 1,     // another output's name was asked for
  choiceUnknown = 2,  // the compositor has not told the name yet
};

// One wl_shm buffer of an output's CPU frames; all zero while the slot is empty. Owned by the
// output's record; made by MakeShmBuffer, dropped by DropShmBuffer.
struct ShmBufferRecord {
  wl_buffer* buffer;   // XRGB8888 at width x height, rows width * 4 bytes apart; null when the slot is empty
  uint32_t* pixels;    // its memory, mapped here and shared with the compositor
  size_t bytes;        // the mapping's length
  int32_t width;       // its size in pixels; a buffer of an older size is dropped once the compositor lets it go
  int32_t height;
  bool busy;           // committed, and not yet released by the compositor: not to be drawn into
};

// One output and the surface that covers it. The slot is free while output is null; every
// field is owned by the record and cleared by ReleaseOutput, the surface's by ReleaseSurface.
struct OutputRecord {
  uint32_t globalName;            // the registry's name of the wl_output, matched by global_remove
  wl_output* output;              // the bound output; null when the slot is free
  zxdg_output_v1* xdgOutput;      // asks for the name where wl_output is older than version 4; null otherwise
  char name[outputNameSize];      // the output's name; empty until told
  bool namesAnswered;             // the compositor told all it tells of the name (a done after the asking)
  int32_t scale;                  // the output's scale factor from wl_output.scale; 1 until told
  int32_t modeWidth;              // the output's current mode in pixels; 0 until told
  int32_t modeHeight;
  wl_surface* surface;            // our surface on it; null until CoverOutputs made it
  wp_viewport* viewport;          // with fractional scaling: shows the buffer at the configured size
  wp_fractional_scale_v1* fractionalScale;  // tells preferredScale; null without fractional scaling
  int32_t preferredScale;         // the surface's scale in 120ths; 120 until told
  zwlr_layer_surface_v1* layerSurface;      // its role where layer-shell is offered
  xdg_surface* xdgSurface;        // its role otherwise, with toplevel full screen on output
  xdg_toplevel* toplevel;
  bool closed;                    // the compositor closed the layer surface: the output is not covered again
  int32_t askedWidth;             // the size the latest configure asked for, in surface units;
  int32_t askedHeight;            //   0 leaves it to us
  bool configured;                // a configure was acknowledged: buffers may be attached
  wl_callback* frameCallback;     // the frame callback of the last frame drawn; null when the next may be drawn
  int32_t width;                  // the buffers' size in pixels; 0 before the first configure
  int32_t height;
  wl_egl_window* eglWindow;       // OpenGL: the surface's buffers at width x height; null before the first configure
  EGLSurface eglSurface;          // OpenGL: drawn each frame; EGL_NO_SURFACE before the first configure
  ShmBufferRecord buffers[maxShmBuffers];  // CPU: the frames' buffers, reused as the compositor releases them
  CpuPictureRecord cpuPicture;    // CPU: the tables of the picture at width x height
  SceneGeometry scene;            // the picture at width x height
  bool sceneBuilt;                // scene was built for this surface: a new size keeps the logo's cycle
};

// The connection, its globals, the input devices and the EGL objects of the run, owned from
// OpenWayland to CloseWayland.
struct WaylandSessionRecord {
  wl_display* display;            // the connection; null when closed
  wl_registry* registry;
  wl_compositor* compositor;
  xdg_wm_base* wmBase;            // null when the compositor offers no xdg-shell
  zwlr_layer_shell_v1* layerShell;             // null when the compositor offers no layer-shell
  wp_viewporter* viewporter;                   // null when not offered
  wl_shm* shm;                                 // the CPU renderer's buffers come from it; null when not offered
  wp_fractional_scale_manager_v1* fractionalScaleManager;  // null when not offered
  zxdg_output_manager_v1* xdgOutputManager;    // null when not offered
  const char* wantedOutput;       // SWAYLOCK_PLUGIN_OUTPUT_NAME's value; null covers every output
  wl_seat* seat;                  // the first seat announced; its keyboard, pointer and touch end the run
  uint32_t seatName;              // its registry name
  bool hadSeat;                   // a seat was ever announced: a closed connection is then a failure
  wl_keyboard* keyboard;          // while the seat has a keyboard; null otherwise
  wl_pointer* pointer;            // while the seat has a pointer; null otherwise
  wl_touch* touch;                // while the seat has a touch screen; null otherwise
  EGLDisplay eglDisplay;          // EGL_NO_DISPLAY until initialised
  EGLConfig eglConfig;            // an opaque RGB window configuration for desktop OpenGL
  EGLContext eglContext;          // the one context of every surface; EGL_NO_CONTEXT until made
  bool sceneReady;                // SetUpGlScene succeeded on eglContext
  bool cpu;                       // the CPU renderer draws into wl_shm buffers; no EGL object is then held
  bool originKnown;               // the pointer position that travel is measured from is known
  double originX;                 // that position, in the entered surface's units
  double originY;
  bool layerClosed;               // the compositor closed a layer surface
  bool ended;                     // a key, button, touch, travel or close asked for the end with 0
  bool lost;                      // the connection failed or closed
};

OutputRecord outputs[maxOutputs];
WaylandSessionRecord session;

void ClearSession() {
  session = WaylandSessionRecord{};
  session.eglDisplay = EGL_NO_DISPLAY;
  session.eglContext = EGL_NO_CONTEXT;
}

void ClearOutput(OutputRecord& record) {
  record = OutputRecord{};
  record.scale = 1;
  record.preferredScale = scaleDenominator;
  record.eglSurface = EGL_NO_SURFACE;
}

GlEntry EglEntry(const char* name) { return eglGetProcAddress(name); }

// A change of the outputs may move the pointer under it: the next position is the new origin.
void ForgetPointerOrigin() { session.originKnown = false; }

// The configured size in surface units, or the output's mode when the compositor left it to us.
void SurfaceUnits(const OutputRecord& record, int32_t scale, int32_t& unitsWide, int32_t& unitsHigh) {
  unitsWide = record.askedWidth;
  unitsHigh = record.askedHeight;
  if (unitsWide > 0 && unitsHigh > 0) return;
  unitsWide = record.modeWidth > 0 ? record.modeWidth / scale : fallbackWidth;
  unitsHigh = record.modeHeight > 0 ? record.modeHeight / scale : fallbackHeight;
}

// OpenGL: the EGL surface is made at the first size and resized later.
bool FitGlOutput(OutputRecord& record, int32_t width, int32_t height) {
  if (record.eglWindow != nullptr) {
    wl_egl_window_resize(record.eglWindow, width, height, 0, 0);
    return true;
  }
  record.eglWindow = wl_egl_window_create(record.surface, width, height);
  if (record.eglWindow == nullptr) return false;
  record.eglSurface = eglCreatePlatformWindowSurface(session.eglDisplay, session.eglConfig, record.eglWindow, nullptr);
  if (record.eglSurface == EGL_NO_SURFACE) {
    fprintf(stderr, "vyk: cannot make an EGL surface for an output (EGL error 0x%x)\n", eglGetError());
    wl_egl_window_destroy(record.eglWindow);
    record.eglWindow = nullptr;
    return false;
  }
  eglMakeCurrent(session.eglDisplay, record.eglSurface, record.eglSurface, session.eglContext);
  eglSwapInterval(session.eglDisplay, 0);
  return true;
}

void DropShmBuffer(ShmBufferRecord& slot) {
  if (slot.buffer != nullptr) wl_buffer_destroy(slot.buffer);
  if (slot.pixels != nullptr) munmap(slot.pixels, slot.bytes);
  slot = ShmBufferRecord{};
}

// wl_buffer: the compositor is done with the frame; the buffer may be drawn into again.
void OnBufferRelease(void* data, wl_buffer*) { static_cast<ShmBufferRecord*>(data)->busy = false; }
const wl_buffer_listener bufferListener = {OnBufferRelease};

// A buffer in memory of its own (memfd), shared with the compositor through a pool of its own.
bool MakeShmBuffer(ShmBufferRecord& slot, int32_t width, int32_t height) {
  const int32_t stride = width * static_cast<int32_t>(sizeof(uint32_t));
  const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
  const int fd = memfd_create("vyk-frame", MFD_CLOEXEC);
  void* memory = MAP_FAILED;
  if (fd >= 0 && ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
    memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  if (memory == MAP_FAILED) {
    fprintf(stderr, "vyk: cannot make a %dx%d frame buffer in shared memory (%s)\n", width, height, strerror(errno));
    if (fd >= 0) close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(session.shm, fd, static_cast<int32_t>(bytes));
  slot.buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(slot.buffer, &bufferListener, &slot);
  slot.pixels = static_cast<uint32_t*>(memory);
  slot.bytes = bytes;
  slot.width = width;
  slot.height = height;
  slot.busy = false;
  return true;
}

// CPU: the picture's tables for the new size; buffers of the old size go as they come free.
bool FitCpuOutput(OutputRecord& record, int32_t width, int32_t height) {
  for (ShmBufferRecord& slot : record.buffers) {
    if (!slot.busy) DropShmBuffer(slot);
  }
  if (!FitCpuPicture(record.cpuPicture, record.scene, width, height, HackOptions.linear)) {
    fprintf(stderr, "vyk: no memory for a %dx%d picture\n", width, height);
    return false;
  }
  return true;
}

// A buffer the compositor does not hold, at the output's size: one released, else a new one
// in an empty slot; null when every slot is held, and the output then waits for a release.
ShmBufferRecord* TakeShmBuffer(OutputRecord& record) {
  ShmBufferRecord* empty = nullptr;
  for (ShmBufferRecord& slot : record.buffers) {
    if (slot.buffer != nullptr && !slot.busy && (slot.width != record.width || slot.height != record.height)) {
      DropShmBuffer(slot);
    }
    if (slot.buffer == nullptr) {
      if (empty == nullptr) empty = &slot;
    } else if (!slot.busy) {
      return &slot;
    }
  }
  if (empty == nullptr || !MakeShmBuffer(*empty, record.width, record.height)) return nullptr;
  return empty;
}

// The buffers follow the latest configure: in device pixels shown through the viewport with
// fractional scaling, otherwise in whole pixels of the output's scale. Makes the EGL surface at
// the first call, resizes it later, and rebuilds the scene whenever the size changes.
void FitOutputSurface(OutputRecord& record) {
  if (!record.configured) return;
  const int32_t scale = record.scale > 0 ? record.scale : 1;
  int32_t unitsWide = 0;
  int32_t unitsHigh = 0;
  int32_t width = 0;
  int32_t height = 0;
  if (record.viewport != nullptr) {
    SurfaceUnits(record, 1, unitsWide, unitsHigh);
    width = DevicePixels(unitsWide, record.preferredScale);
    height = DevicePixels(unitsHigh, record.preferredScale);
    wp_viewport_set_destination(record.viewport, unitsWide, unitsHigh);
  } else {
    SurfaceUnits(record, scale, unitsWide, unitsHigh);
    width = unitsWide * scale;
    height = unitsHigh * scale;
    wl_surface_set_buffer_scale(record.surface, scale);
  }
  if (width == record.width && height == record.height) return;
  BuildSceneGeometry(record.scene, width, height);
  // A scene that joins a clock already running starts the logo's cycle afresh.
  if (!record.sceneBuilt && animation.frameCounter != 0) StartLogoCycle(record.scene);
  record.sceneBuilt = true;
  const bool fitted = session.cpu ? FitCpuOutput(record, width, height) : FitGlOutput(record, width, height);
  record.width = fitted ? width : 0;
  record.height = fitted ? height : 0;
}

// The surface and everything drawn on it go; the output stays, to be covered again unless the
// compositor closed its layer surface.
void ReleaseSurface(OutputRecord& record) {
  if (record.frameCallback != nullptr) wl_callback_destroy(record.frameCallback);
  record.frameCallback = nullptr;
  if (record.eglSurface != EGL_NO_SURFACE) {
    eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, session.eglContext);
    eglDestroySurface(session.eglDisplay, record.eglSurface);
  }
  record.eglSurface = EGL_NO_SURFACE;
  if (record.eglWindow != nullptr) wl_egl_window_destroy(record.eglWindow);
  record.eglWindow = nullptr;
  for (ShmBufferRecord& slot : record.buffers) DropShmBuffer(slot);
  ReleaseCpuPicture(record.cpuPicture);
  if (record.fractionalScale != nullptr) wp_fractional_scale_v1_destroy(record.fractionalScale);
  record.fractionalScale = nullptr;
  if (record.viewport != nullptr) wp_viewport_destroy(record.viewport);
  record.viewport = nullptr;
  if (record.layerSurface != nullptr) zwlr_layer_surface_v1_destroy(record.layerSurface);
  record.layerSurface = nullptr;
  if (record.toplevel != nullptr) xdg_toplevel_destroy(record.toplevel);
  record.toplevel = nullptr;
  if (record.xdgSurface != nullptr) xdg_surface_destroy(record.xdgSurface);
  record.xdgSurface = nullptr;
  if (record.surface != nullptr) wl_surface_destroy(record.surface);
  record.surface = nullptr;
  record.configured = false;
  record.sceneBuilt = false;
  record.askedWidth = 0;
  record.askedHeight = 0;
  record.width = 0;
  record.height = 0;
  record.preferredScale = scaleDenominator;
}

// Every field is cleared; the surface's objects go before the output they sit on.
void ReleaseOutput(OutputRecord& record) {
  ReleaseSurface(record);
  if (record.xdgOutput != nullptr) zxdg_output_v1_destroy(record.xdgOutput);
  if (record.output != nullptr) {
    if (wl_output_get_version(record.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(record.output);
    } else {
      wl_output_destroy(record.output);
    }
  }
  ClearOutput(record);
}

void KeepOutputName(OutputRecord& record, const char* name) {
  snprintf(record.name, sizeof record.name, "%s", name != nullptr ? name : "");
}

// wl_output: the current mode, the scale and (version 4) the name; "done" closes each batch of changes.
void OnOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                      int32_t) {}
void OnOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  record.modeWidth = width;
  record.modeHeight = height;
}
void OnOutputDone(void* data, wl_output* output) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  // Version 4 sends the name before its first done; xdg-output version 3 sends its name before
  // the done that follows the asking.
  if (wl_output_get_version(output) >= WL_OUTPUT_NAME_SINCE_VERSION || record.xdgOutput != nullptr) {
    record.namesAnswered = true;
  }
  ForgetPointerOrigin();
  FitOutputSurface(record);
}
void OnOutputScale(void* data, wl_output*, int32_t factor) { static_cast<OutputRecord*>(data)->scale = factor; }
void OnOutputName(void* data, wl_output*, const char* name) { KeepOutputName(*static_cast<OutputRecord*>(data), name); }
void OnOutputDescription(void*, wl_output*, const char*) {}
const wl_output_listener outputListener = {OnOutputGeometry, OnOutputMode, OnOutputDone,
                                           OnOutputScale,    OnOutputName, OnOutputDescription};

// zxdg_output_v1: only the name matters; versions before 3 close their batch with their own done.
void OnXdgOutputPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
void OnXdgOutputSize(void*, zxdg_output_v1*, int32_t, int32_t) {}
void OnXdgOutputDone(void* data, zxdg_output_v1*) { static_cast<OutputRecord*>(data)->namesAnswered = true; }
void OnXdgOutputName(void* data, zxdg_output_v1*, const char* name) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  KeepOutputName(record, name);
  record.namesAnswered = true;
}
void OnXdgOutputDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener xdgOutputListener = {OnXdgOutputPosition, OnXdgOutputSize, OnXdgOutputDone,
                                                   OnXdgOutputName, OnXdgOutputDescription};

// The configure of either role: the size is taken, and the surface fitted to it before the ack's commit.
void TakeConfigure(OutputRecord& record, int32_t width, int32_t height) {
  record.askedWidth = width;
  record.askedHeight = height;
  record.configured = true;
  ForgetPointerOrigin();
  FitOutputSurface(record);
}

// zwlr_layer_surface_v1: each configure is acknowledged at once. A close ends this output's
// surface; once every layer surface is closed, the run ends with 0.
void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layerSurface, uint32_t serial, uint32_t width,
                      uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
  TakeConfigure(*static_cast<OutputRecord*>(data), static_cast<int32_t>(width), static_cast<int32_t>(height));
}
void OnLayerClosed(void* data, zwlr_layer_surface_v1*) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  ReleaseSurface(record);
  record.closed = true;
  session.layerClosed = true;
  ForgetPointerOrigin();
}
const zwlr_layer_surface_v1_listener layerSurfaceListener = {OnLayerConfigure, OnLayerClosed};

// xdg_toplevel: the size for the next configure, and the compositor's close.
void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  record.askedWidth = width;
  record.askedHeight = height;
}
void OnToplevelClose(void*, xdg_toplevel*) { session.ended = true; }
void OnToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void OnToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener toplevelListener = {OnToplevelConfigure, OnToplevelClose, OnToplevelBounds,
                                                OnToplevelCapabilities};

// xdg_surface: a configure is acknowledged at once, and the surface is fitted to what it asked.
void OnSurfaceConfigure(void* data, xdg_surface* xdgSurface, uint32_t serial) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  xdg_surface_ack_configure(xdgSurface, serial);
  TakeConfigure(record, record.askedWidth, record.askedHeight);
}
const xdg_surface_listener surfaceListener = {OnSurfaceConfigure};

void OnPing(void*, xdg_wm_base* wmBase, uint32_t serial) { xdg_wm_base_pong(wmBase, serial); }
const xdg_wm_base_listener wmBaseListener = {OnPing};

// wp_fractional_scale_v1: the scale the buffer is drawn at from the next frame.
void OnPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  record.preferredScale = static_cast<int32_t>(scale);
  FitOutputSurface(record);
}
const wp_fractional_scale_v1_listener fractionalScaleListener = {OnPreferredScale};

// wl_callback of wl_surface.frame: the compositor showed the last frame, and wants the next.
void OnFrameDone(void* data, wl_callback* callback, uint32_t) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  wl_callback_destroy(callback);
  if (record.frameCallback == callback) record.frameCallback = nullptr;
}
const wl_callback_listener frameListener = {OnFrameDone};

// wl_keyboard: any key pressed ends the run; keys already down when a surface is entered do not.
void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) session.ended = true;
}
void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                               OnKey,    OnModifiers,     OnRepeatInfo};

// wl_pointer: the pointer is hidden over our surfaces; its position on entering, or its first
// one after the outputs changed, is where travel is measured from.
void OnPointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  session.originKnown = true;
  session.originX = wl_fixed_to_double(x);
  session.originY = wl_fixed_to_double(y);
}
void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) { ForgetPointerOrigin(); }
void OnPointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  const double atX = wl_fixed_to_double(x);
  const double atY = wl_fixed_to_double(y);
  if (!session.originKnown) {
    session.originKnown = true;
    session.originX = atX;
    session.originY = atY;
    return;
  }
  if (PointerTravelEnds(session.originX, session.originY, atX, atY)) session.ended = true;
}
void OnPointerButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) session.ended = true;
}
void OnPointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void OnPointerFrame(void*, wl_pointer*) {}
void OnAxisSource(void*, wl_pointer*, uint32_t) {}
void OnAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void OnAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void OnAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener pointerListener = {OnPointerEnter, OnPointerLeave, OnPointerMotion, OnPointerButton,
                                             OnPointerAxis,  OnPointerFrame, OnAxisSource,    OnAxisStop,
                                             OnAxisDiscrete, OnAxisValue120};

// wl_touch: a finger put down ends the run, as a key does.
void OnTouchDown(void*, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
  session.ended = true;
}
void OnTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void OnTouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void OnTouchFrame(void*, wl_touch*) {}
void OnTouchCancel(void*, wl_touch*) {}
void OnTouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void OnTouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}
const wl_touch_listener touchListener = {OnTouchDown,   OnTouchUp,    OnTouchMotion,     OnTouchFrame,
                                         OnTouchCancel, OnTouchShape, OnTouchOrientation};

// Release requests came with later versions of the seat; an older seat's devices are only destroyed.
void DropKeyboard() {
  if (session.keyboard == nullptr) return;
  if (wl_keyboard_get_version(session.keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
    wl_keyboard_release(session.keyboard);
  } else {
    wl_keyboard_destroy(session.keyboard);
  }
  session.keyboard = nullptr;
}
void DropPointer() {
  if (session.pointer == nullptr) return;
  if (wl_pointer_get_version(session.pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
    wl_pointer_release(session.pointer);
  } else {
    wl_pointer_destroy(session.pointer);
  }
  session.pointer = nullptr;
}
void DropTouch() {
  if (session.touch == nullptr) return;
  if (wl_touch_get_version(session.touch) >= WL_TOUCH_RELEASE_SINCE_VERSION) {
    wl_touch_release(session.touch);
  } else {
    wl_touch_destroy(session.touch);
  }
  session.touch = nullptr;
}
void DropSeat() {
  DropKeyboard();
  DropPointer();
  DropTouch();
  if (session.seat == nullptr) return;
  if (wl_seat_get_version(session.seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
    wl_seat_release(session.seat);
  } else {
    wl_seat_destroy(session.seat);
  }
  session.seat = nullptr;
}

// wl_seat: keyboards, pointers and touch screens come and go with the devices (a virtual
// keyboard, a mouse plugged in), so each capability change takes or lets go of ours.
void OnSeatCapabilities(void*, wl_seat* seat, uint32_t capabilities) {
  const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  const bool hasTouch = (capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0;
  if (hasKeyboard && session.keyboard == nullptr) {
    session.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(session.keyboard, &keyboardListener, nullptr);
  } else if (!hasKeyboard) {
    DropKeyboard();
  }
  if (hasPointer && session.pointer == nullptr) {
    session.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(session.pointer, &pointerListener, nullptr);
    ForgetPointerOrigin();
  } else if (!hasPointer) {
    DropPointer();
  }
  if (hasTouch && session.touch == nullptr) {
    session.touch = wl_seat_get_touch(seat);
    wl_touch_add_listener(session.touch, &touchListener, nullptr);
  } else if (!hasTouch) {
    DropTouch();
  }
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {OnSeatCapabilities, OnSeatName};

uint32_t Lower(uint32_t offered, uint32_t wanted) { return offered < wanted ? offered : wanted; }

template <typename Proxy>
Proxy* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t version) {
  return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, version));
}

// The registry: outputs are bound as they come; their surfaces are made by CoverOutputs, once
// the compositor and the shell are known too.
void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  if (strcmp(interface, wl_compositor_interface.name) == 0 && session.compositor == nullptr) {
    session.compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, Lower(version, 4));
  } else if (strcmp(interface, xdg_wm_base_interface.name) == 0 && session.wmBase == nullptr) {
    session.wmBase = Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, 1);
    xdg_wm_base_add_listener(session.wmBase, &wmBaseListener, nullptr);
  } else if (strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && session.layerShell == nullptr) {
    session.layerShell = Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, Lower(version, 4));
  } else if (strcmp(interface, wl_shm_interface.name) == 0 && session.shm == nullptr) {
    session.shm = Bind<wl_shm>(registry, name, wl_shm_interface, 1);
  } else if (strcmp(interface, wp_viewporter_interface.name) == 0 && session.viewporter == nullptr) {
    session.viewporter = Bind<wp_viewporter>(registry, name, wp_viewporter_interface, 1);
  } else if (strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
             session.fractionalScaleManager == nullptr) {
    session.fractionalScaleManager =
        Bind<wp_fractional_scale_manager_v1>(registry, name, wp_fractional_scale_manager_v1_interface, 1);
  } else if (strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && session.xdgOutputManager == nullptr) {
    session.xdgOutputManager =
        Bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, Lower(version, 3));
  } else if (strcmp(interface, wl_seat_interface.name) == 0 && session.seat == nullptr) {
    session.seat = Bind<wl_seat>(registry, name, wl_seat_interface, Lower(version, 5));
    session.seatName = name;
    session.hadSeat = true;
    wl_seat_add_listener(session.seat, &seatListener, nullptr);
  } else if (strcmp(interface, wl_output_interface.name) == 0) {
    for (OutputRecord& record : outputs) {
      if (record.output != nullptr) continue;
      record.globalName = name;
      record.output = Bind<wl_output>(registry, name, wl_output_interface, Lower(version, 4));
      wl_output_add_listener(record.output, &outputListener, &record);
      ForgetPointerOrigin();
      return;
    }
    fprintf(stderr, "vyk: more than %d outputs; output %u is left uncovered\n", maxOutputs, name);
  }
}

void OnGlobalRemove(void*, wl_registry*, uint32_t name) {
  for (OutputRecord& record : outputs) {
    if (record.output != nullptr && record.globalName == name) {
      ReleaseOutput(record);
      ForgetPointerOrigin();
    }
  }
  if (session.seat != nullptr && session.seatName == name) DropSeat();
}
const wl_registry_listener registryListener = {OnGlobal, OnGlobalRemove};

// With no name asked for every output is covered. Otherwise the output's name decides, from
// wl_output version 4 or, for an older wl_output, from xdg-output, asked for here; where
// neither tells names, every output is covered.
OutputChoice ChooseOutput(OutputRecord& record) {
  if (session.wantedOutput == nullptr) return choiceCover;
  if (record.name[0] != '\0') return strcmp(record.name, session.wantedOutput) == 0 ? choiceCover : choiceSkip;
  if (wl_output_get_version(record.output) < WL_OUTPUT_NAME_SINCE_VERSION) {
    if (session.xdgOutputManager == nullptr ||
        zxdg_output_manager_v1_get_version(session.xdgOutputManager) < ZXDG_OUTPUT_V1_NAME_SINCE_VERSION) {
      return choiceCover;
    }
    if (record.xdgOutput == nullptr) {
      record.xdgOutput = zxdg_output_manager_v1_get_xdg_output(session.xdgOutputManager, record.output);
      zxdg_output_v1_add_listener(record.xdgOutput, &xdgOutputListener, &record);
    }
  }
  return record.namesAnswered ? choiceCover : choiceUnknown;
}

constexpr uint32_t allEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                              ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

// Every chosen output without a surface gets one: an overlay layer over the whole output, or a
// full-screen toplevel without layer-shell. Nothing is attached until the compositor's first configure.
void CoverOutputs() {
  for (OutputRecord& record : outputs) {
    if (record.output == nullptr || record.surface != nullptr || record.closed) continue;
    if (ChooseOutput(record) != choiceCover) continue;
    record.surface = wl_compositor_create_surface(session.compositor);
    if (session.viewporter != nullptr && session.fractionalScaleManager != nullptr) {
      record.viewport = wp_viewporter_get_viewport(session.viewporter, record.surface);
      record.fractionalScale =
          wp_fractional_scale_manager_v1_get_fractional_scale(session.fractionalScaleManager, record.surface);
      wp_fractional_scale_v1_add_listener(record.fractionalScale, &fractionalScaleListener, &record);
    }
    if (session.layerShell != nullptr) {
      record.layerSurface = zwlr_layer_shell_v1_get_layer_surface(session.layerShell, record.surface, record.output,
                                                                  ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "vyk");
      zwlr_layer_surface_v1_add_listener(record.layerSurface, &layerSurfaceListener, &record);
      zwlr_layer_surface_v1_set_size(record.layerSurface, 0, 0);
      zwlr_layer_surface_v1_set_anchor(record.layerSurface, allEdges);
      zwlr_layer_surface_v1_set_exclusive_zone(record.layerSurface, -1);
      zwlr_layer_surface_v1_set_keyboard_interactivity(record.layerSurface,
                                                       ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
      record.xdgSurface = xdg_wm_base_get_xdg_surface(session.wmBase, record.surface);
      xdg_surface_add_listener(record.xdgSurface, &surfaceListener, &record);
      record.toplevel = xdg_surface_get_toplevel(record.xdgSurface);
      xdg_toplevel_add_listener(record.toplevel, &toplevelListener, &record);
      xdg_toplevel_set_title(record.toplevel, "Vyk");
      xdg_toplevel_set_app_id(record.toplevel, "vyk");
      xdg_toplevel_set_fullscreen(record.toplevel, record.output);
    }
    wl_surface_commit(record.surface);
  }
}

bool HasEglExtension(EGLDisplay display, const char* name) {
  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  if (extensions == nullptr) return false;
  const size_t length = strlen(name);
  for (const char* at = strstr(extensions, name); at != nullptr; at = strstr(at + length, name)) {
    if ((at == extensions || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  }
  return false;
}

// An RGB configuration without alpha: the surface is then opaque, and the texture's alpha,
// which the colour key leaves in the tunnel's black texels, never shows the desktop through.
bool ChooseEglConfig() {
  const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_RED_SIZE, 8,
                           EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
  EGLConfig configs[64];
  EGLint count = 0;
  if (!eglChooseConfig(session.eglDisplay, wanted, configs, 64, &count)) return false;
  for (EGLint k = 0; k < count; ++k) {
    EGLint alpha = -1;
    eglGetConfigAttrib(session.eglDisplay, configs[k], EGL_ALPHA_SIZE, &alpha);
    if (alpha == 0) {
      session.eglConfig = configs[k];
      return true;
    }
  }
  return false;
}

// An OpenGL context current without a surface; report: each failing step is told on stderr.
bool OpenEgl(bool report) {
  session.eglDisplay = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, session.display, nullptr);
  if (session.eglDisplay == EGL_NO_DISPLAY || !eglInitialize(session.eglDisplay, nullptr, nullptr)) {
    if (report) fprintf(stderr, "vyk: EGL cannot draw on this Wayland display (EGL error 0x%x)\n", eglGetError());
    session.eglDisplay = EGL_NO_DISPLAY;
    return false;
  }
  if (!HasEglExtension(session.eglDisplay, "EGL_KHR_surfaceless_context")) {
    if (report) fprintf(stderr, "vyk: EGL lacks EGL_KHR_surfaceless_context\n");
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API) || !ChooseEglConfig()) {
    if (report) fprintf(stderr, "vyk: EGL offers no opaque RGB OpenGL window configuration\n");
    return false;
  }
  session.eglContext = eglCreateContext(session.eglDisplay, session.eglConfig, EGL_NO_CONTEXT, nullptr);
  if (session.eglContext == EGL_NO_CONTEXT ||
      !eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, session.eglContext)) {
    if (report) fprintf(stderr, "vyk: EGL cannot make an OpenGL context (EGL error 0x%x)\n", eglGetError());
    return false;
  }
  return true;
}

// Safe at any point of OpenEgl.
void CloseEgl() {
  if (session.eglContext != EGL_NO_CONTEXT) {
    if (session.sceneReady) {
      eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, session.eglContext);
      TearDownGlScene();
    }
    eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(session.eglDisplay, session.eglContext);
  }
  if (session.eglDisplay != EGL_NO_DISPLAY) eglTerminate(session.eglDisplay);
  session.eglDisplay = EGL_NO_DISPLAY;
  session.eglContext = EGL_NO_CONTEXT;
  session.sceneReady = false;
}

// OpenGL through EGL, unless the CPU renderer is asked for, or (by default) OpenGL cannot be
// had or is itself drawn by the CPU: the CPU renderer then draws into wl_shm buffers, for a
// fraction of a software rasteriser's cost. --renderer gl fails where OpenGL does.
bool ChooseRenderer() {
  const bool glAsked = HackOptions.renderer == rendererGl;
  if (HackOptions.renderer != rendererCpu) {
    if (OpenEgl(glAsked)) {
      const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
      if (glAsked || !IsSoftwareRenderer(name)) {
        session.sceneReady = SetUpGlScene(HackOptions.linear, EglEntry) != 0;
        if (session.sceneReady) {
          FpsOverlay.rendererName = "GL";
          return true;
        }
      }
    }
    if (glAsked) return false;
    CloseEgl();
  }
  if (session.shm == nullptr) {
    fprintf(stderr, "vyk: the Wayland compositor offers no wl_shm for the CPU renderer's frames\n");
    return false;
  }
  session.cpu = true;
  FpsOverlay.rendererName = "CPU";
  return true;
}

// The connection, its globals, then the renderer.
bool OpenWayland() {
  // The connection takes WAYLAND_SOCKET out of the environment: its value is kept for the message.
  char handedOver[32] = "";
  const char* socket = getenv("WAYLAND_SOCKET");
  if (socket != nullptr) snprintf(handedOver, sizeof handedOver, "%s", socket);
  errno = 0;
  session.display = wl_display_connect(nullptr);
  if (session.display == nullptr) {
    const int reason = errno;
    const char* name = getenv("WAYLAND_DISPLAY");
    if (socket != nullptr) {
      fprintf(stderr, "vyk: cannot take the Wayland connection handed over in WAYLAND_SOCKET=%s (%s)\n", handedOver,
              reason != 0 ? strerror(reason) : "not the number of an open socket");
    } else {
      fprintf(stderr, "vyk: cannot connect to the Wayland display \"%s\" (%s)\n",
              name != nullptr ? name : "wayland-0", strerror(reason));
    }
    return false;
  }
  const char* wanted = getenv("SWAYLOCK_PLUGIN_OUTPUT_NAME");
  session.wantedOutput = wanted != nullptr && wanted[0] != '\0' ? wanted : nullptr;
  session.registry = wl_display_get_registry(session.display);
  wl_registry_add_listener(session.registry, &registryListener, nullptr);
  // The second round trip brings the outputs' and the seat's first events.
  if (wl_display_roundtrip(session.display) < 0 || wl_display_roundtrip(session.display) < 0) {
    fprintf(stderr, "vyk: the Wayland connection failed at start\n");
    return false;
  }
  if (session.compositor == nullptr) {
    fprintf(stderr, "vyk: the Wayland compositor offers no wl_compositor\n");
    return false;
  }
  if (session.layerShell == nullptr && session.wmBase == nullptr) {
    fprintf(stderr, "vyk: the Wayland compositor offers neither zwlr_layer_shell_v1 (layer-shell) "
                    "nor xdg_wm_base (xdg-shell)\n");
    return false;
  }
  return ChooseRenderer();
}

// Safe at any point of OpenWayland and after the run.
void CloseWayland() {
  for (OutputRecord& record : outputs) ReleaseOutput(record);
  CloseEgl();
  DropSeat();
  if (session.xdgOutputManager != nullptr) zxdg_output_manager_v1_destroy(session.xdgOutputManager);
  if (session.fractionalScaleManager != nullptr) wp_fractional_scale_manager_v1_destroy(session.fractionalScaleManager);
  if (session.viewporter != nullptr) wp_viewporter_destroy(session.viewporter);
  if (session.shm != nullptr) wl_shm_destroy(session.shm);
  if (session.layerShell != nullptr) {
    if (zwlr_layer_shell_v1_get_version(session.layerShell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
      zwlr_layer_shell_v1_destroy(session.layerShell);
    } else {
      wl_proxy_destroy(reinterpret_cast<wl_proxy*>(session.layerShell));
    }
  }
  if (session.wmBase != nullptr) xdg_wm_base_destroy(session.wmBase);
  if (session.compositor != nullptr) wl_compositor_destroy(session.compositor);
  if (session.registry != nullptr) wl_registry_destroy(session.registry);
  if (session.display != nullptr) {
    wl_display_flush(session.display);
    wl_display_disconnect(session.display);
  }
  ClearSession();
}

// An output draws when it is configured and its last frame's callback has come (or it has not
// drawn yet): one the compositor does not show waits, and costs nothing.
bool CanDraw(const OutputRecord& record) {
  return record.configured && record.frameCallback == nullptr && record.width > 0 &&
         (session.cpu || record.eglSurface != EGL_NO_SURFACE);
}

// Asked for before the frame's commit, so it belongs to that frame.
void RequestFrameCallback(OutputRecord& record) {
  record.frameCallback = wl_surface_frame(record.surface);
  wl_callback_add_listener(record.frameCallback, &frameListener, &record);
}

// CPU: the frame into a buffer the compositor does not hold, attached and committed whole.
void PresentCpuFrame(OutputRecord& record, ShmBufferRecord& target) {
  const int32_t stride = record.width * static_cast<int32_t>(sizeof(uint32_t));
  DrawCpuPicture(record.cpuPicture, record.scene, HackOptions.logos, target.pixels, stride);
  if (HackOptions.showFps) DrawCpuFpsOverlay(target.pixels, stride, record.width, record.height);
  wl_surface_attach(record.surface, target.buffer, 0, 0);
  if (wl_surface_get_version(record.surface) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
    wl_surface_damage_buffer(record.surface, 0, 0, record.width, record.height);
  } else {
    wl_surface_damage(record.surface, 0, 0, INT32_MAX, INT32_MAX);
  }
  RequestFrameCallback(record);
  wl_surface_commit(record.surface);
  target.busy = true;
}

// OpenGL: the frame drawn on the output's EGL surface; the swap commits it.
void PresentGlFrame(OutputRecord& record) {
  eglMakeCurrent(session.eglDisplay, record.eglSurface, record.eglSurface, session.eglContext);
  ResizeGlScene(record.width, record.height);
  DrawGlScene(record.scene, HackOptions.logos);
  if (HackOptions.showFps) DrawFpsOverlay(record.width, record.height);
  RequestFrameCallback(record);
  eglSwapBuffers(session.eglDisplay, record.eglSurface);
}

// The clock's frame on every output that can draw; returns how many drew.
int DrawOutputs() {
  int movedThisTick = 0;
  int drawn = 0;
  for (OutputRecord& record : outputs) {
    if (!CanDraw(record)) continue;
    ShmBufferRecord* target = session.cpu ? TakeShmBuffer(record) : nullptr;
    if (session.cpu && target == nullptr) continue;
    MoveClockForPicture(animation, movedThisTick);
    AnimateScene(record.scene, animation, record.width, record.height);
    if (target != nullptr) {
      PresentCpuFrame(record, *target);
    } else {
      PresentGlFrame(record);
    }
    ++drawn;
  }
  return drawn;
}

bool AnySurface() {
  for (const OutputRecord& record : outputs) {
    if (record.surface != nullptr) return true;
  }
  return false;
}

// The frame loop's host: events are read in AfterWait and dispatched there and here.
int TakeEvents() {
  if (!session.lost && wl_display_dispatch_pending(session.display) < 0) session.lost = true;
  if (!session.lost) CoverOutputs();
  if (session.layerClosed && !AnySurface()) session.ended = true;
  return session.ended || session.lost ? 0 : 1;
}

int BeforeWait() {
  wl_display* display = session.display;
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) {
      session.lost = true;
      return -1;
    }
  }
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    session.lost = true;
    return -1;
  }
  return wl_display_get_fd(display);
}

void AfterWait(int readable) {
  wl_display* display = session.display;
  if (readable) {
    if (wl_display_read_events(display) < 0) session.lost = true;
  } else {
    wl_display_cancel_read(display);
  }
  if (!session.lost && wl_display_dispatch_pending(display) < 0) session.lost = true;
}

// A connection closed by a compositor that gave no seat is how a lock screen ends the program
// it shows: that is the run's end. A protocol error, or a close where a seat could end the run,
// is a failure.
void JudgeLostConnection() {
  if (!session.lost || StopSignal != 0) return;
  const int reason = wl_display_get_error(session.display);
  if (!session.hadSeat && reason != EPROTO) {
    session.ended = true;
    return;
  }
  fprintf(stderr, "vyk: the Wayland connection was lost (%s)\n", strerror(reason != 0 ? reason : EPIPE));
}

}  // namespace

int PointerTravelEnds(double fromX, double fromY, double toX, double toY) {
  const double dx = toX > fromX ? toX - fromX : fromX - toX;
  const double dy = toY > fromY ? toY - fromY : fromY - toY;
  return dx + dy > pointerTravelLimit ? 1 : 0;
}

int32_t DevicePixels(int32_t units, int32_t scale120) {
  const int64_t scale = scale120 > 0 ? scale120 : scaleDenominator;
  const int64_t pixels = (units * scale + scaleDenominator / 2) / scaleDenominator;
  return pixels < 1 ? 1 : static_cast<int32_t>(pixels);
}

int RunWaylandHack() {
  ClearSession();
  for (OutputRecord& record : outputs) ClearOutput(record);
  const bool started = OpenWayland();
  if (started) {
    const FrameLoopHost host = {TakeEvents, DrawOutputs, BeforeWait, AfterWait};
    RunFrameLoop(host);
    JudgeLostConnection();
  }
  const bool ended = session.ended;
  CloseWayland();
  return started && ended ? 0 : 1;
}
