// The Wayland run of the native hack: a full-screen xdg toplevel on every output, drawn through EGL.
//
// Each wl_output the registry announces gets a record and a surface of its own, made a
// full-screen xdg_toplevel on that output; the compositor then tells its size in a configure.
// One OpenGL context, made through EGL on Mesa, draws every surface in turn from its own scene
// record and the one animation clock, so all outputs show the same frame. Outputs that come
// or go while it runs get or lose their surface, and a new size or scale rebuilds that output's
// scene. The swap interval is 0: a surface the compositor does not show gets no frame callback,
// and waiting for one would stop every other output's frames; frames are paced by the timer of
// the redraw speed, as in the X run. The run ends with 0 on a key press, a button press, a
// pointer travel beyond pointerTravelLimit, or the compositor's close of a surface; on SIGTERM
// or SIGINT it returns with StopSignal set.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include "animation/animation.h"
#include "linux/hack.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr int maxOutputs = 16;           // outputs covered at once; more are left as they are
constexpr int32_t fallbackWidth = 640;   // a surface size when neither configure nor mode gives one
constexpr int32_t fallbackHeight = 480;

// One output and the surface that covers it. The slot is free while output is null; every
// field is owned by the record and cleared by ReleaseOutput.
struct OutputRecord {
  uint32_t globalName;      // the registry's name of the wl_output, matched by global_remove
  wl_output* output;        // the bound output; null when the slot is free
  int32_t scale;            // the output's scale factor from wl_output.scale; 1 until told
  int32_t modeWidth;        // the output's current mode in pixels; 0 until told
  int32_t modeHeight;
  wl_surface* surface;      // our surface on it; null until CoverOutputs made it
  xdg_surface* xdgSurface;  // its xdg role
  xdg_toplevel* toplevel;   // full screen on output
  int32_t askedWidth;       // the size the latest toplevel configure asked for, in surface units;
  int32_t askedHeight;      //   0 leaves it to us
  bool configured;          // an xdg_surface configure was acknowledged: buffers may be attached
  wl_egl_window* eglWindow; // the surface's buffers at width x height; null before the first configure
  EGLSurface eglSurface;    // drawn each frame; EGL_NO_SURFACE before the first configure
  int32_t width;            // the buffers' size in pixels: surface units times scale
  int32_t height;
  SceneGeometry scene;      // the picture at width x height
};

// The connection, its globals, the input devices and the EGL objects of the run, owned from
// OpenWayland to CloseWayland.
struct WaylandSessionRecord {
  wl_display* display;      // the connection; null when closed
  wl_registry* registry;
  wl_compositor* compositor;
  xdg_wm_base* wmBase;
  wl_seat* seat;            // the first seat announced; its keyboard and pointer end the run
  uint32_t seatName;        // its registry name
  wl_keyboard* keyboard;    // while the seat has a keyboard; null otherwise
  wl_pointer* pointer;      // while the seat has a pointer; null otherwise
  EGLDisplay eglDisplay;    // EGL_NO_DISPLAY until initialised
  EGLConfig eglConfig;      // an opaque RGB window configuration for desktop OpenGL
  EGLContext eglContext;    // the one context of every surface; EGL_NO_CONTEXT until made
  bool sceneReady;          // SetUpGlScene succeeded on eglContext
  bool originKnown;         // the pointer position that travel is measured from is known
  double originX;           // that position, in the entered surface's units
  double originY;
  bool ended;               // a key, button, travel or close asked for the end with 0
  bool lost;                // the connection failed; the run ends with 1
};

OutputRecord outputs[maxOutputs];
WaylandSessionRecord session;

void ClearSession() {
  session = WaylandSessionRecord{nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, EGL_NO_DISPLAY,
                                 nullptr, EGL_NO_CONTEXT, false, false, 0.0, 0.0, false, false};
}

void ClearOutput(OutputRecord& record) {
  record = OutputRecord{};
  record.scale = 1;
  record.eglSurface = EGL_NO_SURFACE;
}

GlEntry EglEntry(const char* name) { return eglGetProcAddress(name); }

// A change of the outputs may move the pointer under it: the next position is the new origin.
void ForgetPointerOrigin() { session.originKnown = false; }

// The drawn size follows the latest configure, or the output's mode when the compositor left
// the size to us, in whole pixels of the output's scale. Makes the EGL surface at the first
// call, resizes it later, and rebuilds the scene whenever the size changes.
void FitOutputSurface(OutputRecord& record) {
  if (!record.configured) return;
  const int32_t scale = record.scale > 0 ? record.scale : 1;
  int32_t unitsWide = record.askedWidth;
  int32_t unitsHigh = record.askedHeight;
  if (unitsWide <= 0 || unitsHigh <= 0) {
    unitsWide = record.modeWidth > 0 ? record.modeWidth / scale : fallbackWidth;
    unitsHigh = record.modeHeight > 0 ? record.modeHeight / scale : fallbackHeight;
  }
  const int32_t width = unitsWide * scale;
  const int32_t height = unitsHigh * scale;
  wl_surface_set_buffer_scale(record.surface, scale);
  if (record.eglWindow == nullptr) {
    record.eglWindow = wl_egl_window_create(record.surface, width, height);
    if (record.eglWindow == nullptr) return;
    record.eglSurface = eglCreatePlatformWindowSurface(session.eglDisplay, session.eglConfig, record.eglWindow, nullptr);
    if (record.eglSurface == EGL_NO_SURFACE) {
      fprintf(stderr, "vyk: cannot make an EGL surface for an output (EGL error 0x%x)\n", eglGetError());
      return;
    }
    eglMakeCurrent(session.eglDisplay, record.eglSurface, record.eglSurface, session.eglContext);
    eglSwapInterval(session.eglDisplay, 0);
    record.width = width;
    record.height = height;
    BuildSceneGeometry(record.scene, width, height);
    // A scene that joins a clock already running starts the logo's cycle afresh.
    if (animation.frameCounter != 0) StartLogoCycle(record.scene);
    return;
  }
  if (width == record.width && height == record.height) return;
  wl_egl_window_resize(record.eglWindow, width, height, 0, 0);
  record.width = width;
  record.height = height;
  BuildSceneGeometry(record.scene, width, height);
}

// Every field is cleared; the surface's objects go before the output they sit on.
void ReleaseOutput(OutputRecord& record) {
  if (record.eglSurface != EGL_NO_SURFACE) {
    eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, session.eglContext);
    eglDestroySurface(session.eglDisplay, record.eglSurface);
  }
  if (record.eglWindow != nullptr) wl_egl_window_destroy(record.eglWindow);
  if (record.toplevel != nullptr) xdg_toplevel_destroy(record.toplevel);
  if (record.xdgSurface != nullptr) xdg_surface_destroy(record.xdgSurface);
  if (record.surface != nullptr) wl_surface_destroy(record.surface);
  if (record.output != nullptr) {
    if (wl_output_get_version(record.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(record.output);
    } else {
      wl_output_destroy(record.output);
    }
  }
  ClearOutput(record);
}

// wl_output: the current mode and the scale; "done" closes each batch of changes.
void OnOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                      int32_t) {}
void OnOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  OutputRecord& record = *static_cast<OutputRecord*>(data);
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  record.modeWidth = width;
  record.modeHeight = height;
}
void OnOutputDone(void* data, wl_output*) {
  ForgetPointerOrigin();
  FitOutputSurface(*static_cast<OutputRecord*>(data));
}
void OnOutputScale(void* data, wl_output*, int32_t factor) { static_cast<OutputRecord*>(data)->scale = factor; }
void OnOutputName(void*, wl_output*, const char*) {}
void OnOutputDescription(void*, wl_output*, const char*) {}
const wl_output_listener outputListener = {OnOutputGeometry, OnOutputMode, OnOutputDone,
                                           OnOutputScale,    OnOutputName, OnOutputDescription};

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
  record.configured = true;
  ForgetPointerOrigin();
  FitOutputSurface(record);
}
const xdg_surface_listener surfaceListener = {OnSurfaceConfigure};

void OnPing(void*, xdg_wm_base* wmBase, uint32_t serial) { xdg_wm_base_pong(wmBase, serial); }
const xdg_wm_base_listener wmBaseListener = {OnPing};

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
void DropSeat() {
  DropKeyboard();
  DropPointer();
  if (session.seat == nullptr) return;
  if (wl_seat_get_version(session.seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
    wl_seat_release(session.seat);
  } else {
    wl_seat_destroy(session.seat);
  }
  session.seat = nullptr;
}

// wl_seat: keyboards and pointers come and go with the devices (a virtual keyboard, a mouse
// plugged in), so each capability change takes or lets go of ours.
void OnSeatCapabilities(void*, wl_seat* seat, uint32_t capabilities) {
  const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
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
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {OnSeatCapabilities, OnSeatName};

uint32_t Lower(uint32_t offered, uint32_t wanted) { return offered < wanted ? offered : wanted; }

// The registry: outputs are bound as they come; their surfaces are made by CoverOutputs, once
// the compositor and the shell are known too.
void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  if (strcmp(interface, wl_compositor_interface.name) == 0 && session.compositor == nullptr) {
    session.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, Lower(version, 4)));
  } else if (strcmp(interface, xdg_wm_base_interface.name) == 0 && session.wmBase == nullptr) {
    session.wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(session.wmBase, &wmBaseListener, nullptr);
  } else if (strcmp(interface, wl_seat_interface.name) == 0 && session.seat == nullptr) {
    session.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, Lower(version, 5)));
    session.seatName = name;
    wl_seat_add_listener(session.seat, &seatListener, nullptr);
  } else if (strcmp(interface, wl_output_interface.name) == 0) {
    for (OutputRecord& record : outputs) {
      if (record.output != nullptr) continue;
      record.globalName = name;
      record.output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, Lower(version, 3)));
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

// Every bound output without a surface gets one, full screen on it. Nothing is attached until
// the compositor's first configure.
void CoverOutputs() {
  for (OutputRecord& record : outputs) {
    if (record.output == nullptr || record.surface != nullptr) continue;
    record.surface = wl_compositor_create_surface(session.compositor);
    record.xdgSurface = xdg_wm_base_get_xdg_surface(session.wmBase, record.surface);
    xdg_surface_add_listener(record.xdgSurface, &surfaceListener, &record);
    record.toplevel = xdg_surface_get_toplevel(record.xdgSurface);
    xdg_toplevel_add_listener(record.toplevel, &toplevelListener, &record);
    xdg_toplevel_set_title(record.toplevel, "Vyk");
    xdg_toplevel_set_app_id(record.toplevel, "vyk");
    xdg_toplevel_set_fullscreen(record.toplevel, record.output);
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

// The connection, its globals, then EGL and the scene on a context current without a surface.
bool OpenWayland() {
  session.display = wl_display_connect(nullptr);
  if (session.display == nullptr) {
    const char* name = getenv("WAYLAND_DISPLAY");
    fprintf(stderr, "vyk: cannot connect to the Wayland display \"%s\"\n", name != nullptr ? name : "wayland-0");
    return false;
  }
  session.registry = wl_display_get_registry(session.display);
  wl_registry_add_listener(session.registry, &registryListener, nullptr);
  // The second round trip brings the outputs' and the seat's first events.
  if (wl_display_roundtrip(session.display) < 0 || wl_display_roundtrip(session.display) < 0) {
    fprintf(stderr, "vyk: the Wayland connection failed at start\n");
    return false;
  }
  if (session.compositor == nullptr || session.wmBase == nullptr) {
    fprintf(stderr, "vyk: the Wayland compositor offers no %s\n",
            session.compositor == nullptr ? "wl_compositor" : "xdg_wm_base (xdg-shell)");
    return false;
  }
  session.eglDisplay = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, session.display, nullptr);
  if (session.eglDisplay == EGL_NO_DISPLAY || !eglInitialize(session.eglDisplay, nullptr, nullptr)) {
    fprintf(stderr, "vyk: EGL cannot draw on this Wayland display (EGL error 0x%x)\n", eglGetError());
    session.eglDisplay = EGL_NO_DISPLAY;
    return false;
  }
  if (!HasEglExtension(session.eglDisplay, "EGL_KHR_surfaceless_context")) {
    fprintf(stderr, "vyk: EGL lacks EGL_KHR_surfaceless_context\n");
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API) || !ChooseEglConfig()) {
    fprintf(stderr, "vyk: EGL offers no opaque RGB OpenGL window configuration\n");
    return false;
  }
  session.eglContext = eglCreateContext(session.eglDisplay, session.eglConfig, EGL_NO_CONTEXT, nullptr);
  if (session.eglContext == EGL_NO_CONTEXT ||
      !eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, session.eglContext)) {
    fprintf(stderr, "vyk: EGL cannot make an OpenGL context (EGL error 0x%x)\n", eglGetError());
    return false;
  }
  session.sceneReady = SetUpGlScene(HackOptions.linear, EglEntry) != 0;
  return session.sceneReady;
}

// Safe at any point of OpenWayland and after the run.
void CloseWayland() {
  for (OutputRecord& record : outputs) ReleaseOutput(record);
  if (session.eglContext != EGL_NO_CONTEXT) {
    if (session.sceneReady) {
      eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, session.eglContext);
      TearDownGlScene();
    }
    eglMakeCurrent(session.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(session.eglDisplay, session.eglContext);
  }
  if (session.eglDisplay != EGL_NO_DISPLAY) eglTerminate(session.eglDisplay);
  DropSeat();
  if (session.wmBase != nullptr) xdg_wm_base_destroy(session.wmBase);
  if (session.compositor != nullptr) wl_compositor_destroy(session.compositor);
  if (session.registry != nullptr) wl_registry_destroy(session.registry);
  if (session.display != nullptr) {
    wl_display_flush(session.display);
    wl_display_disconnect(session.display);
  }
  ClearSession();
}

// One frame of the clock, drawn on every configured output.
void DrawOutputs() {
  AdvanceAnimation(animation);
  for (OutputRecord& record : outputs) {
    if (record.eglSurface == EGL_NO_SURFACE) continue;
    AnimateScene(record.scene, animation, record.width, record.height);
    eglMakeCurrent(session.eglDisplay, record.eglSurface, record.eglSurface, session.eglContext);
    ResizeGlScene(record.width, record.height);
    DrawGlScene(record.scene, HackOptions.logos);
    if (HackOptions.showFps) DrawFpsOverlay(record.width, record.height);
    eglSwapBuffers(session.eglDisplay, record.eglSurface);
  }
}

// Sleeps until the deadline, an event or a stop signal, and dispatches what came. A deadline
// already passed still polls once: a pending stop signal is taken only inside ppoll.
void WaitForEvents(uint64_t deadline, const sigset_t* waitMask) {
  wl_display* display = session.display;
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) {
      session.lost = true;
      return;
    }
  }
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    session.lost = true;
    return;
  }
  const uint64_t now = MonotonicUs();
  const uint64_t remaining = now >= deadline ? 0 : deadline - now;
  timespec timeout;
  timeout.tv_sec = static_cast<time_t>(remaining / 1000000u);
  timeout.tv_nsec = static_cast<long>((remaining % 1000000u) * 1000u);
  pollfd connection = {wl_display_get_fd(display), POLLIN, 0};
  if (ppoll(&connection, 1, &timeout, waitMask) > 0) {
    if (wl_display_read_events(display) < 0) session.lost = true;
  } else {
    wl_display_cancel_read(display);
  }
  if (!session.lost && wl_display_dispatch_pending(display) < 0) session.lost = true;
}

void RunFrames() {
  sigset_t waitMask;
  HoldStopSignals(&waitMask);
  const uint64_t period = FramePeriodUs(HackOptions.redrawSpeed, HackOptions.delayUs);
  ResetFpsOverlay();
  uint64_t nextFrame = MonotonicUs();
  while (StopSignal == 0 && !session.ended && !session.lost) {
    CoverOutputs();
    const uint64_t now = MonotonicUs();
    if (now >= nextFrame) {
      DrawOutputs();
      CountOverlayFrame(MonotonicUs());
      nextFrame += period;
      if (nextFrame <= now) nextFrame = now + period;
    }
    WaitForEvents(nextFrame, &waitMask);
  }
  if (session.lost && StopSignal == 0) fprintf(stderr, "vyk: the Wayland connection was lost\n");
}

}  // namespace

int PointerTravelEnds(double fromX, double fromY, double toX, double toY) {
  const double dx = toX > fromX ? toX - fromX : fromX - toX;
  const double dy = toY > fromY ? toY - fromY : fromY - toY;
  return dx + dy > pointerTravelLimit ? 1 : 0;
}

int RunWaylandHack() {
  ClearSession();
  for (OutputRecord& record : outputs) ClearOutput(record);
  const bool started = OpenWayland();
  if (started) RunFrames();
  const bool ended = session.ended;
  CloseWayland();
  return started && ended ? 0 : 1;
}
