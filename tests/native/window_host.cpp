// Test helper standing in for XScreenSaver and a window manager: owns a window the hack draws into,
// resizes or destroys it, and sends client messages to other windows, on command.
//
// Usage: window_host WIDTH HEIGHT. Prints the window id in hexadecimal on its first line,
// then reads commands from stdin, one a line: "resize W H", "destroy", and
// "message WINDOW TYPE DATA", which sends WINDOW a 32-bit ClientMessage of the atom TYPE
// whose first datum is the atom DATA, as a window manager sends WM_PROTOCOLS requests.
// Each command is answered by a line "done" once the X server has taken it, so that a test
// can wait for it. End of input destroys the window and ends the program.
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// A message to a window that is already gone must not end the host: the test reads the outcome.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: window_host WIDTH HEIGHT\n");
    return 1;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  XSetErrorHandler(IgnoreXError);
  const unsigned width = static_cast<unsigned>(atoi(argv[1]));
  const unsigned height = static_cast<unsigned>(atoi(argv[2]));
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
  XMapRaised(display, window);
  XSync(display, False);
  printf("0x%lx\n", static_cast<unsigned long>(window));
  fflush(stdout);
  char line[128];
  bool alive = true;
  while (fgets(line, sizeof line, stdin) != nullptr) {
    unsigned newWidth = 0;
    unsigned newHeight = 0;
    unsigned long target = 0;
    char type[64];
    char datum[64];
    if (alive && sscanf(line, "resize %u %u", &newWidth, &newHeight) == 2) {
      XResizeWindow(display, window, newWidth, newHeight);
    } else if (sscanf(line, "message %lx %63s %63s", &target, type, datum) == 3) {
      XEvent event = {};
      event.xclient.type = ClientMessage;
      event.xclient.window = target;
      event.xclient.message_type = XInternAtom(display, type, False);
      event.xclient.format = 32;
      event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, datum, False));
      event.xclient.data.l[1] = CurrentTime;
      XSendEvent(display, target, False, NoEventMask, &event);
    } else if (alive && strncmp(line, "destroy", 7) == 0) {
      XDestroyWindow(display, window);
      alive = false;
    }
    XSync(display, False);
    printf("done\n");
    fflush(stdout);
  }
  if (alive) XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
