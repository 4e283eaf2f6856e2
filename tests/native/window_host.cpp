// Test helper standing in for XScreenSaver: owns a window the hack draws into, resizes or destroys it on command.
//
// Usage: window_host WIDTH HEIGHT. Prints the window id in hexadecimal on its first line,
// then reads commands from stdin, one a line: "resize W H", "destroy". End of input
// destroys the window and ends the program.
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: window_host WIDTH HEIGHT\n");
    return 1;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
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
    if (alive && sscanf(line, "resize %u %u", &newWidth, &newHeight) == 2) {
      XResizeWindow(display, window, newWidth, newHeight);
    } else if (alive && strncmp(line, "destroy", 7) == 0) {
      XDestroyWindow(display, window);
      alive = false;
    }
    XSync(display, False);
  }
  if (alive) XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
