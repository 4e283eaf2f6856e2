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

namespace {

// The X and GLX objects of the run, owned from OpenHackWindow to CloseHackWindow.
struct HackWindowRecord {
  Display* display;        // the X connection; null when closed
  Window window;           // where the frames go; ours or the given one
  bool ownWindow;          // true when this program created window and must destroy it
  Colormap colormap;       // colormap of our own window; 0 otherwise
  GLXContext context;      // the OpenGL context, current on window; null when none
  bool doubleBuffered;     // frames are swapped (true) or drawn to the front buffer and flushed
  int32_t width;           // window size in pixels as last reported by the X server
  int32_t height;
  Atom protocols;          // WM_PROTOCOLS, the type of a window manager's request to our own window
  Atom deleteWindow;       // WM_DELETE_WINDOW, the one such request that ends the run
};
HackWindowRecord hackWindow = {nullptr, 0, false, 0, nullptr, false, 0, 0, 0, 0};

SceneGeometry hackScene;  // the picture drawn into hackWindow, rebuilt at its size

bool windowGone = false;  // set when the window was destroyed or became unusable

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

bool CreateContext(XVisualInfo* visual) {
  hackWindow.context = glXCreateContext(hackWindow.display, visual, nullptr, True);
  if (hackWindow.context == nullptr) return false;
  int doubleBuffer = 0;
  glXGetConfig(hackWindow.display, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
  hackWindow.doubleBuffered = doubleBuffer != 0;
  return glXMakeCurrent(hackWindow.display, hackWindow.window, hackWindow.context) == True;
}

// A given window keeps its visual: the context is made for it, as XScreenSaver expects of a GL hack.
bool AttachToWindow(Window window) {
  Display* display = hackWindow.display;
  // Selected before the size is read: a resize in between then still arrives as an event.
  XSelectInput(display, window, StructureNotifyMask);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  XVisualInfo wanted;
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  if (visual == nullptr) return false;
  int usesGl = 0;
  glXGetConfig(display, visual, GLX_USE_GL, &usesGl);
  hackWindow.window = window;
  hackWindow.width = attributes.width;
  hackWindow.height = attributes.height;
  const bool ok = usesGl != 0 && CreateContext(visual);
  XFree(visual);
  return ok;
}

bool CreateOwnWindow() {
  Display* display = hackWindow.display;
  int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_DOUBLEBUFFER, None};
  XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
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
  hackWindow.width = 640;
  hackWindow.height = 480;
  XStoreName(display, hackWindow.window, "Vyk");
  // The window manager's close button arrives as a message; it ends the run like a destroy.
  hackWindow.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  hackWindow.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, hackWindow.window, &hackWindow.deleteWindow, 1);
  XMapRaised(display, hackWindow.window);
  const bool ok = CreateContext(visual);
  XFree(visual);
  return ok;
}

bool OpenHackWindow() {
  hackWindow.display = XOpenDisplay(HackOptions.displayName);
  if (hackWindow.display == nullptr) {
    fprintf(stderr, "vyk: cannot open the X display \"%s\"\n", XDisplayName(HackOptions.displayName));
    return false;
  }
  XSetErrorHandler(OnXError);
  const Window target = ChooseTargetWindow(hackWindow.display);
  const bool ok = target != 0 ? AttachToWindow(target) : CreateOwnWindow();
  XSync(hackWindow.display, False);
  if (!ok || windowGone) {
    const Window failed = target != 0 ? target : hackWindow.window;
    if (failed == 0) {
      fprintf(stderr, "vyk: the display offers no OpenGL visual for a window of its own\n");
    } else {
      fprintf(stderr, "vyk: cannot draw with OpenGL into window 0x%lx\n", static_cast<unsigned long>(failed));
    }
    return false;
  }
  return true;
}

void CloseHackWindow() {
  Display* display = hackWindow.display;
  if (display == nullptr) return;
  if (hackWindow.context != nullptr) {
    if (!windowGone) TearDownGlScene();
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, hackWindow.context);
    hackWindow.context = nullptr;
  }
  if (hackWindow.ownWindow && !windowGone) XDestroyWindow(display, hackWindow.window);
  if (hackWindow.colormap != 0) XFreeColormap(display, hackWindow.colormap);
  hackWindow.colormap = 0;
  XCloseDisplay(display);
  hackWindow = HackWindowRecord{nullptr, 0, false, 0, nullptr, false, 0, 0, 0, 0};
}

// The picture follows the window's size; called at start and after every resize.
void FitPicture() {
  BuildSceneGeometry(hackScene, hackWindow.width, hackWindow.height);
  ResizeGlScene(hackWindow.width, hackWindow.height);
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
  if (resized && !windowGone) FitPicture();
  return windowGone ? 0 : 1;
}

// The window is the one picture, and it can always draw.
int DrawFrame() {
  int moved = 0;
  MoveClockForPicture(animation, moved);
  AnimateScene(hackScene, animation, hackWindow.width, hackWindow.height);
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

void RunFrames() {
  FitPicture();
  const FrameLoopHost host = {TakeEvents, DrawFrame, BeforeWait, AfterWait};
  RunFrameLoop(host);
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
  const bool started = OpenHackWindow() && SetUpGlScene(HackOptions.linear, GlxEntry);
  if (started) RunFrames();
  CloseHackWindow();
  if (StopSignal != 0) return EndBySignal(StopSignal);
  return started ? 0 : 1;
}
