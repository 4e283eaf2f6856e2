// The native hack: its options, its X window or Wayland outputs, and the OpenGL drawing of the title sequence.
#ifndef VYK_LINUX_HACK_H
#define VYK_LINUX_HACK_H

#include <signal.h>
#include <stddef.h>
#include <stdint.h>

#include "animation/animation.h"
#include "settings/frame_period.h"

// Where the hack draws.
enum HackTarget {
  targetDefault = 0,   // XSCREENSAVER_WINDOW when set, otherwise a window of its own
  targetRoot = 1,      // --root: XSCREENSAVER_WINDOW when set, otherwise the root window
  targetOwnWindow = 2, // --window: a top-level window of its own
  targetWindowId = 3,  // --window-id ID: the given window
  targetWayland = 4,   // --wayland: a Wayland client, full screen on every output; no X display
};

// Which renderer draws the pictures.
enum HackRenderer {
  rendererAuto = 0,  // --renderer auto: the CPU where OpenGL is a software rasteriser or cannot be had, else OpenGL
  rendererGl = 1,    // --renderer gl: OpenGL, whatever draws it
  rendererCpu = 2,   // --renderer cpu: frames drawn in memory and copied to the window
};

// The command line, read once at start; the defaults are the Windows saver's. Besides its
// own options the hack takes every option XScreenSaver's framework gives its hacks.
struct HackOptionsRecord {
  int32_t redrawSpeed;      // 1 (fastest) to 10; the frame period is redrawSpeed * 14.2857 ms, truncated
  int32_t logos;            // non-zero: the waving logo is drawn over the tunnel
  int32_t linear;           // non-zero: the texture is magnified with linear filtering
  HackTarget target;        // which window to draw into
  unsigned long windowId;   // the X window of --window-id; 0 otherwise
  int32_t showFps;          // non-zero: the frame-rate overlay is drawn in the bottom-left corner
  int32_t delayUs;          // --delay: the frame period at speed 1 in microseconds; -1 when not given
  const char* displayName;  // --display: the X display, pointing into argv; null for $DISPLAY
  int32_t helpWanted;       // non-zero: --help was given; the usage goes to stdout and nothing runs
  HackRenderer renderer;    // --renderer; rendererAuto when not given
};
extern HackOptionsRecord HackOptions;

constexpr int32_t longestDelayUs = 1000000;

// Fills HackOptions from argv; returns 1 when every argument was understood, 0 otherwise.
int ParseHackOptions(int argc, char** argv);
// Non-zero when the run is a Wayland client: --wayland was the last target given, or no target
// nor --display was given and the environment names a Wayland display (waylandDisplay, the
// value of WAYLAND_DISPLAY, or waylandSocket, WAYLAND_SOCKET's: a connection handed over, as a
// lock screen hands it to the program it shows) but no X display (xDisplay, DISPLAY's); null
// stands for unset.
int WantsWayland(const char* xDisplay, const char* waylandDisplay, const char* waylandSocket);
// Non-zero when OpenGL's renderer string names a software rasteriser (Mesa's llvmpipe, softpipe
// and swrast, "Software Rasterizer"), or is null; there the CPU renderer draws the scene for
// a small part of the cost.
int IsSoftwareRenderer(const char* glRenderer);
// The one-line usage message, without its line end.
const char* HackUsage();
// Frame period in microseconds of a redraw speed from fastestSpeed to slowestSpeed (the
// options admit no other): without --delay the Windows saver's timer (FramePeriodMs); with
// it, the redraw speed counts delays, so --speed 3 --delay 20000 draws a frame every 60 ms.
uint64_t FramePeriodUs(int32_t redrawSpeed, int32_t delayUs);

// The frame rate as the overlay shows it, measured over whole seconds of presented frames.
struct FpsOverlayRecord {
  uint64_t windowStartUs;   // start of the second being counted; 0 before the first frame
  uint32_t framesInWindow;  // frames presented since windowStartUs
  int32_t shownTenths;      // the rate on screen in tenths of a frame a second; -1 before the first second ends
};
extern FpsOverlayRecord FpsOverlay;

// Forgets every count; the overlay then shows no rate until a second has passed.
void ResetFpsOverlay();
// Counts one presented frame at the given monotonic time.
void CountOverlayFrame(uint64_t nowUs);
// The overlay's text for the shown rate, "FPS: 71.4" or "FPS: --.-" before the first second.
void FormatOverlayText(char* text, size_t size);
// Draws the overlay text on a black box in the bottom-left corner over the current frame.
void DrawFpsOverlay(int32_t width, int32_t height);

// Decodes the embedded 256 x 256 8-bit artwork into 256 * 256 RGBA texels, top row first;
// black texels get alpha 0, all others 255. Returns 1 on success, 0 for a malformed bitmap.
int DecodeArtwork(uint8_t* rgba);

// An OpenGL entry point by name, as glXGetProcAddressARB or eglGetProcAddress finds it.
typedef void (*GlEntry)();
typedef GlEntry (*GlEntryLookup)(const char* name);

// OpenGL scene: needs a current context. Returns 1 when the context can draw the scene;
// lookup finds the entry points that depend on the context's version.
int SetUpGlScene(int32_t linear, GlEntryLookup lookup);
// Sets the pixel-space projection for a drawable of the given size.
void ResizeGlScene(int32_t width, int32_t height);
// Draws the eight strips (the logo only when logos is non-zero) of the current animation frame.
void DrawGlScene(SceneGeometry& scene, int32_t logos);
// Drops the texture; the context stays current.
void TearDownGlScene();

// The run's stop signal, SIGTERM or SIGINT once its handler saw it; 0 before.
extern volatile sig_atomic_t StopSignal;
// Microseconds of the monotonic clock.
uint64_t MonotonicUs();
// Holds SIGTERM and SIGINT back from now on and gives the mask to wait under, with both open:
// a wait under it (pselect, ppoll) is the only place a stop signal arrives, so none is lost
// between a check of StopSignal and the wait. Both are opened even when the hack was started
// with them blocked, as a parent's mask is inherited: otherwise the wait would never wake for them.
void HoldStopSignals(sigset_t* waitMask);

// What a host (the X window, the Wayland outputs) gives the frame loop.
struct FrameLoopHost {
  int (*takeEvents)();              // takes every event already come without blocking; 0 ends the run
  int (*drawFrame)();               // draws the clock's frame on each picture that can draw, moving the
                                    //   clock by MoveClockForPicture, and presents it; returns how many drew
  int (*beforeWait)();              // sends what is queued; the descriptor whose input ends the wait, -1 ends the run
  void (*afterWait)(int readable);  // after the wait; readable is non-zero when the descriptor has input
};
// Runs the host's frames until it ends the run or a stop signal comes (StopSignal is then set):
// one frame per redraw period at most, a late one not made up, the overlay's count kept, and
// the wait in between spent in ppoll. When no picture could draw, the loop waits for an event
// with no deadline, and the clock stays.
void RunFrameLoop(const FrameLoopHost& host);

// Largest pointer travel (|dx| + |dy|, surface units: pixels at 96 DPI) that does not end the
// Wayland run, as the Windows saver's cursor travel at 96 DPI.
constexpr double pointerTravelLimit = 4.0;
// Non-zero when the pointer went from one surface position to the other beyond pointerTravelLimit.
int PointerTravelEnds(double fromX, double fromY, double toX, double toY);
// The Wayland client: one full-screen surface on every output, followed as outputs come, go
// and change; returns the exit code, 0 for a key, a button, a travel or a surface closed.
// Returns at once with StopSignal set when a stop signal came.
int RunWaylandHack();

#endif
