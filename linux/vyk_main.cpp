// Entry of the native hack: picks the X window, drives one animated frame per period, ends on a signal.
//
// An XScreenSaver hack lives in a window it is given (--root, --window-id or the
// XSCREENSAVER_WINDOW environment variable) or in one of its own (--window). It follows
// the window's size and ends with exit code 0 on SIGTERM or SIGINT and when the window
// goes away. Frames are paced like the Windows saver's timer: one frame per period at
// most, a late frame is not made up, and the wait in between sleeps in pselect.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/select.h>
#include <time.h>

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
};
HackWindowRecord hackWindow = {nullptr, 0, false, 0, nullptr, false, 0, 0};

SceneGeometry hackScene;  // the picture drawn into hackWindow, rebuilt at its size

volatile sig_atomic_t stopRequested = 0;  // set by SIGTERM and SIGINT
bool windowGone = false;                  // set when the window was destroyed or became unusable

void OnStopSignal(int) { stopRequested = 1; }

// A window destroyed under us turns later requests into BadWindow or BadDrawable
// errors; they end the run instead of the program.
int OnXError(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch) {
    windowGone = true;
  }
  return 0;
}

uint64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
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
  XSelectInput(display, window, StructureNotifyMask);
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
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, hackWindow.window, &deleteWindow, 1);
  XMapRaised(display, hackWindow.window);
  const bool ok = CreateContext(visual);
  XFree(visual);
  return ok;
}

bool OpenHackWindow() {
  hackWindow.display = XOpenDisplay(nullptr);
  if (hackWindow.display == nullptr) {
    fprintf(stderr, "vyk: cannot open the X display\n");
    return false;
  }
  XSetErrorHandler(OnXError);
  const Window target = ChooseTargetWindow(hackWindow.display);
  const bool ok = target != 0 ? AttachToWindow(target) : CreateOwnWindow();
  XSync(hackWindow.display, False);
  if (!ok || windowGone) {
    fprintf(stderr, "vyk: cannot draw with OpenGL into window 0x%lx\n", static_cast<unsigned long>(hackWindow.window));
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
  hackWindow.display = nullptr;
}

// Takes every queued event; returns true when the size changed.
bool HandleEvents() {
  bool resized = false;
  while (XPending(hackWindow.display) > 0) {
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
        windowGone = true;
        break;
      default:
        break;
    }
  }
  return resized;
}

// Sleeps until the deadline, an X event or a stop signal, whichever comes first.
void WaitUntil(uint64_t deadline, const sigset_t* waitMask) {
  const uint64_t now = NowMs();
  if (now >= deadline) return;
  const uint64_t remaining = deadline - now;
  timespec timeout;
  timeout.tv_sec = static_cast<time_t>(remaining / 1000u);
  timeout.tv_nsec = static_cast<long>((remaining % 1000u) * 1000000u);
  const int fd = ConnectionNumber(hackWindow.display);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(fd, &readable);
  pselect(fd + 1, &readable, nullptr, nullptr, &timeout, waitMask);
}

void RunFrames() {
  // The stop signals are held back except inside pselect, so none is lost between the
  // check of stopRequested and the wait.
  sigset_t stopSignals;
  sigset_t waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);

  const uint64_t period = FramePeriodMs(HackOptions.redrawSpeed);
  BuildSceneGeometry(hackScene, hackWindow.width, hackWindow.height);
  ResizeGlScene(hackWindow.width, hackWindow.height);
  uint64_t nextFrame = NowMs();
  while (!stopRequested && !windowGone) {
    if (HandleEvents()) {
      BuildSceneGeometry(hackScene, hackWindow.width, hackWindow.height);
      ResizeGlScene(hackWindow.width, hackWindow.height);
    }
    if (windowGone) break;
    const uint64_t now = NowMs();
    if (now >= nextFrame) {
      AnimateFrame(hackScene, hackWindow.width, hackWindow.height);
      DrawGlScene(hackScene, HackOptions.logos);
      if (hackWindow.doubleBuffered) {
        glXSwapBuffers(hackWindow.display, hackWindow.window);
      } else {
        glFlush();
      }
      XSync(hackWindow.display, False);
      nextFrame += period;
      if (nextFrame <= now) nextFrame = now + period;
    }
    WaitUntil(nextFrame, &waitMask);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseHackOptions(argc, argv)) {
    fprintf(stderr, "%s\n", HackUsage());
    return 1;
  }
  struct sigaction stop = {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);

  animation.animationSeed = static_cast<uint32_t>(NowMs());
  if (!OpenHackWindow() || !SetUpGlScene(HackOptions.linear)) {
    CloseHackWindow();
    return 1;
  }
  RunFrames();
  CloseHackWindow();
  return 0;
}
