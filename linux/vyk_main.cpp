// Entry of the native hack: picks the X window, drives one animated frame per period, ends on a signal.
//
// With --wayland, or a Wayland display and no X display in the environment, the run is a
// Wayland client instead (wayland_hack.cpp) and nothing here touches X.
//
// An XScreenSaver hack lives in a window it is given (--root, --window-id or the
// XSCREENSAVER_WINDOW environment variable) or in one of its own (--window). It follows
// the window's size and ends with exit code 0 when the window goes away or its window
// manager closes it. On SIGTERM or SIGINT it cleans up and then ends by that very signal,
// which XScreenSaver takes as the normal end of a hack it stopped. Frames are paced by the
// frame loop the Wayland run shares (frame_loop.cpp).
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#include "animation/animation.h"
#include "linux/hack.h"
#include "linux/x_frame_image.h"

namespace {

// The X objects of the run and the renderer that draws into its window, owned from
// OpenHackWindow to CloseHackWindow; ClearHackWindow clears every field.
struct HackWindowRecord {
  Display* display;        // the X connection; null when closed
  Window window;           // where the frames go; ours or the given one
  bool ownWindow;          // true when this program created window and must destroy it
  Colormap colormap;       // colormap of our own window; 0 otherwise
  Visual* visual;          // the window's visual; owned by the display
  int depth;               // the window's depth
  HackRenderer renderer;   // rendererGl or rendererCpu once chosen; rendererAuto before
  GLXContext context;      // the OpenGL context, current on window; null when none
  bool sceneReady;         // SetUpGlScene succeeded on context: its texture must be dropped
  bool doubleBuffered;     // frames are swapped (true) or drawn to the front buffer and flushed
  XFrameImageRecord frame; // the CPU renderer's frame at the window's size; empty with OpenGL
  CpuPictureRecord cpu;    // the CPU renderer's tables at the window's size; empty with OpenGL
  int32_t width;           // window size in pixels as last reported by the X server
  int32_t height;
  Atom protocols;          // WM_PROTOCOLS, the type of a window manager's request to our own window
  Atom deleteWindow;       // WM_DELETE_WINDOW, the one such request that ends the run
};
HackWindowRecord hackWindow;

SceneGeometry hackScene;  // the picture drawn into hackWindow, rebuilt at its size

bool windowGone = false;  // set when the window was destroyed or became unusable

void ClearHackWindow() {
  hackWindow = HackWindowRecord{};
  hackWindow.frame.segment.shmid = -1;
}

void OnStopSignal(int signalNumber) { StopSignal = signalNumber; }

GlEntry GlxEntry(const char* name) { return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)); }

// A window destroyed under us turns later requests into BadWindow or BadDrawable
// errors; they end the run instead of the program.
int OnXError(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch) {
    windowGone = true;
  }
  return 0;
}

Window ParseEnvironmentWindow() {
  const char* text = getenv("XSCREENSAVER_WINDOW");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const unsigned long id = strtoul(text, &end, 0);
  return (*end == '\0') ? static_cast<Window>(id) : 0;
}

// Returns the window to draw into, or 0 when a window of our own is wanted.
Window ChooseTargetWindow(Display* display) {
  switch (HackOptions.target) {
    case targetWindowId:
      return static_cast<Window>(HackOptions.windowId);
    case targetOwnWindow:
      return 0;
    case targetRoot: {
      const Window given = ParseEnvironmentWindow();
      return given != 0 ? given : DefaultRootWindow(display);
    }
    default:
      return ParseEnvironmentWindow();
  }
}

// A given window keeps its visual, as XScreenSaver expects of a hack.
bool AttachToWindow(Window window) {
  Display* display = hackWindow.display;
  // Selected before the size is read: a resize in between then still arrives as an event.
  XSelectInput(display, window, StructureNotifyMask);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  hackWindow.window = window;
  hackWindow.visual = attributes.visual;
  hackWindow.depth = attributes.depth;
  hackWindow.width = attributes.width;
  hackWindow.height = attributes.height;
  return true;
}

// The visual of a window of our own: a double-buffered OpenGL one unless the CPU was asked
// for; the screen's default where OpenGL has none, so that auto can still draw with the CPU.
XVisualInfo* OwnWindowVisual(Display* display) {
  int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_DOUBLEBUFFER, None};
  XVisualInfo* visual = nullptr;
  if (HackOptions.renderer != rendererCpu) visual = glXChooseVisual(display, DefaultScreen(display), attributes);
  if (visual != nullptr || HackOptions.renderer == rendererGl) return visual;
  XVisualInfo wanted;
  wanted.visualid = XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)));
  int count = 0;
  return XGetVisualInfo(display, VisualIDMask, &wanted, &count);
}

bool CreateOwnWindow() {
  Display* display = hackWindow.display;
  XVisualInfo* visual = OwnWindowVisual(display);
  if (visual == nullptr) return false;
  const Window root = RootWindow(display, visual->screen);
  hackWindow.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  XSetWindowAttributes windowAttributes;
  windowAttributes.colormap = hackWindow.colormap;
  windowAttributes.background_pixel = BlackPixel(display, visual->screen);
  windowAttributes.border_pixel = 0;
  windowAttributes.event_mask = StructureNotifyMask;
  hackWindow.window = XCreateWindow(display, root, 0, 0, 640, 480, 0, visual->depth, InputOutput, visual->visual,
                                    CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &windowAttributes);
  hackWindow.ownWindow = true;
  hackWindow.visual = visual->visual;
  hackWindow.depth = visual->depth;
  hackWindow.width = 640;
  hackWindow.height = 480;
  XFree(visual);
  XStoreName(display, hackWindow.window, "Vyk");
  // The window manager's close button arrives as a message; it ends the run like a destroy.
  hackWindow.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  hackWindow.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, hackWindow.window, &hackWindow.deleteWindow, 1);
  XMapRaised(display, hackWindow.window);
  return true;
}

// An OpenGL context on the window's visual, current on it.
bool StartGl() {
  Display* display = hackWindow.display;
  XVisualInfo wanted;
  wanted.visualid = XVisualIDFromVisual(hackWindow.visual);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  if (visual == nullptr) return false;
  int usesGl = 0;
  int doubleBuffer = 0;
  glXGetConfig(display, visual, GLX_USE_GL, &usesGl);
  glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
  hackWindow.doubleBuffered = doubleBuffer != 0;
  if (usesGl != 0) hackWindow.context = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  return hackWindow.context != nullptr && glXMakeCurrent(display, hackWindow.window, hackWindow.context) == True;
}

// Safe at any step of StartGl.
void StopGl() {
  Display* display = hackWindow.display;
  if (hackWindow.context == nullptr) return;
  if (hackWindow.sceneReady && !windowGone) TearDownGlScene();
  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, hackWindow.context);
  hackWindow.context = nullptr;
  hackWindow.sceneReady = false;
}

// OpenGL where it was asked for, or where auto finds it drawn by hardware and able to draw the
// scene; the CPU otherwise.
bool ChooseRenderer(Window failed) {
  if (HackOptions.renderer != rendererCpu) {
    bool gl = StartGl();
    const char* name = gl ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : nullptr;
    if (gl && HackOptions.renderer == rendererAuto && IsSoftwareRenderer(name)) gl = false;
    if (gl) gl = hackWindow.sceneReady = SetUpGlScene(HackOptions.linear, GlxEntry) != 0;
    if (gl) {
      hackWindow.renderer = rendererGl;
      FpsOverlay.rendererName = "GL";
      return true;
    }
    const bool contextMade = hackWindow.context != nullptr;
    StopGl();
    if (HackOptions.renderer == rendererGl) {
      // A scene that could not be set up has said why already.
      if (!contextMade) fprintf(stderr, "vyk: cannot draw with OpenGL into window 0x%lx\n", static_cast<unsigned long>(failed));
      return false;
    }
  }
  if (!XVisualTakesFrames(hackWindow.display, hackWindow.visual, hackWindow.depth)) {
    fprintf(stderr, "vyk: cannot draw into window 0x%lx: its visual is not 24-bit true colour\n",
            static_cast<unsigned long>(failed));
    return false;
  }
  hackWindow.renderer = rendererCpu;
  FpsOverlay.rendererName = "CPU";
  return true;
}

bool OpenHackWindow() {
  ClearHackWindow();
  hackWindow.display = XOpenDisplay(HackOptions.displayName);
  if (hackWindow.display == nullptr) {
    fprintf(stderr, "vyk: cannot open the X display \"%s\"\n", XDisplayName(HackOptions.displayName));
    return false;
  }
  XSetErrorHandler(OnXError);
  const Window target = ChooseTargetWindow(hackWindow.display);
  bool ok = target != 0 ? AttachToWindow(target) : CreateOwnWindow();
  XSync(hackWindow.display, False);
  const Window failed = target != 0 ? target : hackWindow.window;
  if (!ok || windowGone) {
    if (failed == 0) {
      fprintf(stderr, "vyk: the display offers no OpenGL visual for a window of its own\n");
    } else {
      fprintf(stderr, "vyk: cannot draw into window 0x%lx\n", static_cast<unsigned long>(failed));
    }
    return false;
  }
  ok = ChooseRenderer(failed);
  XSync(hackWindow.display, False);
  if (ok && windowGone) {
    fprintf(stderr, "vyk: cannot draw into window 0x%lx\n", static_cast<unsigned long>(failed));
    return false;
  }
  return ok;
}

void CloseHackWindow() {
  Display* display = hackWindow.display;
  if (display == nullptr) return;
  StopGl();
  CloseXFrameImage(hackWindow.frame);
  ReleaseCpuPicture(hackWindow.cpu);
  if (hackWindow.ownWindow && !windowGone) XDestroyWindow(display, hackWindow.window);
  if (hackWindow.colormap != 0) XFreeColormap(display, hackWindow.colormap);
  XCloseDisplay(display);
  ClearHackWindow();
}

// The picture follows the window's size; called at start and after every resize. Returns
// false when the CPU renderer's memory cannot be had.
bool FitPicture() {
  BuildSceneGeometry(hackScene, hackWindow.width, hackWindow.height);
  if (hackWindow.renderer == rendererGl) {
    ResizeGlScene(hackWindow.width, hackWindow.height);
    return true;
  }
  CloseXFrameImage(hackWindow.frame);
  if (FitCpuPicture(hackWindow.cpu, hackScene, hackWindow.width, hackWindow.height, HackOptions.linear) &&
      OpenXFrameImage(hackWindow.frame, hackWindow.display, hackWindow.window, hackWindow.visual, hackWindow.depth,
                      hackWindow.width, hackWindow.height)) {
    return true;
  }
  fprintf(stderr, "vyk: no memory for a frame of %d x %d\n", hackWindow.width, hackWindow.height);
  return false;
}

// Takes every queued event: a new size refits the picture, and the window's end ends the run.
int TakeEvents() {
  bool resized = false;
  while (!windowGone && XPending(hackWindow.display) > 0) {
    XEvent event;
    XNextEvent(hackWindow.display, &event);
    switch (event.type) {
      case ConfigureNotify:
        if (event.xconfigure.window == hackWindow.window &&
            (event.xconfigure.width != hackWindow.width || event.xconfigure.height != hackWindow.height)) {
          hackWindow.width = event.xconfigure.width;
          hackWindow.height = event.xconfigure.height;
          resized = true;
        }
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == hackWindow.window) windowGone = true;
        break;
      case ClientMessage:
        // Other protocols and messages (a ping, a focus offer) leave the run going.
        if (hackWindow.ownWindow && event.xclient.window == hackWindow.window &&
            event.xclient.message_type == hackWindow.protocols && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == hackWindow.deleteWindow) {
          windowGone = true;
        }
        break;
      default:
        break;
    }
  }
  if (resized && !windowGone && !FitPicture()) return 0;
  return windowGone ? 0 : 1;
}

// The window is the one picture, and it can always draw.
int DrawFrame() {
  int moved = 0;
  MoveClockForPicture(animation, moved);
  AnimateScene(hackScene, animation, hackWindow.width, hackWindow.height);
  if (hackWindow.renderer == rendererCpu) {
    XImage* image = hackWindow.frame.image;
    uint32_t* pixels = reinterpret_cast<uint32_t*>(image->data);
    DrawCpuPicture(hackWindow.cpu, hackScene, HackOptions.logos, pixels, image->bytes_per_line);
    if (HackOptions.showFps) DrawCpuFpsOverlay(pixels, image->bytes_per_line, hackWindow.width, hackWindow.height);
    PutXFrameImage(hackWindow.frame, hackWindow.window);
    return 1;
  }
  DrawGlScene(hackScene, HackOptions.logos);
  if (HackOptions.showFps) DrawFpsOverlay(hackWindow.width, hackWindow.height);
  if (hackWindow.doubleBuffered) {
    glXSwapBuffers(hackWindow.display, hackWindow.window);
  } else {
    glFlush();
  }
  XSync(hackWindow.display, False);
  return 1;
}

int BeforeWait() {
  XFlush(hackWindow.display);
  return ConnectionNumber(hackWindow.display);
}

// Events are read by XPending in TakeEvents.
void AfterWait(int) {}

// Returns false when the picture could not be drawn at some size.
bool RunFrames() {
  if (!FitPicture()) return false;
  const FrameLoopHost host = {TakeEvents, DrawFrame, BeforeWait, AfterWait};
  RunFrameLoop(host);
  return windowGone || StopSignal != 0 || hackWindow.renderer == rendererGl || hackWindow.frame.image != nullptr;
}

// After the clean-up: the signal's default action, unblocked, so that the process ends by it.
int EndBySignal(int signalNumber) {
  signal(signalNumber, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signalNumber);
  return 128 + signalNumber;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseHackOptions(argc, argv)) {
    fprintf(stderr, "%s\n", HackUsage());
    return 1;
  }
  if (HackOptions.helpWanted) {
    printf("%s\n", HackUsage());
    return 0;
  }
  struct sigaction stop = {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);

  animation.animationSeed = static_cast<uint32_t>(MonotonicUs() / 1000u);
  if (WantsWayland(getenv("DISPLAY"), getenv("WAYLAND_DISPLAY"), getenv("WAYLAND_SOCKET"))) {
    const int status = RunWaylandHack();
    if (StopSignal != 0) return EndBySignal(StopSignal);
    return status;
  }
  const bool started = OpenHackWindow() && RunFrames();
  CloseHackWindow();
  if (StopSignal != 0) return EndBySignal(StopSignal);
  return started ? 0 : 1;
}
