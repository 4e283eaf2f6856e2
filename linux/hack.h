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
  const char* rendererName; // "GL" or "CPU", shown after the rate; null shows none; set by the host, kept by ResetFpsOverlay
};
extern FpsOverlayRecord FpsOverlay;

// One filled rectangle of the overlay, in pixels with rows top first; left and top inclusive.
struct OverlayRect {
  int32_t left;    // first column
  int32_t top;     // first row
  int32_t width;   // columns
  int32_t height;  // rows
  uint32_t color;  // 0x00RRGGBB
};
// The overlay text's buffer, its end included.
constexpr int32_t fpsOverlayTextSize = 32;
// Most rectangles LayOutFpsOverlay gives: the box, and at most three runs of lit cells in
// each of the seven rows of each character.
constexpr int32_t fpsOverlayRectLimit = 1 + (fpsOverlayTextSize - 1) * 7 * 3;

// Forgets every count but the renderer's name; the overlay then shows no rate until a second has passed.
void ResetFpsOverlay();
// Counts one presented frame at the given monotonic time.
void CountOverlayFrame(uint64_t nowUs);
// The overlay's text for the shown rate and renderer, "FPS: 71.4 GL" or "FPS: --.- CPU" before
// the first second; without a renderer's name "FPS: 71.4".
void FormatOverlayText(char* text, size_t size);
// The overlay of a picture of the given size: the black box in the bottom-left corner first,
// then the white runs of glyph cells of the text. Fills rects (fpsOverlayRectLimit of them)
// and returns how many it filled. Both renderers draw exactly these.
int32_t LayOutFpsOverlay(int32_t width, int32_t height, OverlayRect* rects);
// Draws the overlay with OpenGL over the current frame, in the scene's pixel projection.
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

// The CPU picture: the scene drawn without OpenGL into 32-bit 0x00RRGGBB pixels, rows top
// first, strideBytes apart (X's 24-bit TrueColor ZPixmap at 32 bits a pixel, wl_shm's XRGB8888).
// The tunnel's triangles never move for a size: only each band's texture scroll changes from
// frame to frame, so FitCpuPicture rasterises them once into runs of pixels of one triangle,
// and a frame is one texel fetch a pixel from the band's current scroll.
constexpr int32_t cpuTunnelTriangles = 4 + ringCount * (ringVertexCount - 2);

// One run of pixels along a row that one tunnel triangle covers, or none.
struct CpuSpan {
  uint16_t length;    // pixels in the run; the runs of a row follow one another and fill it
  uint16_t triangle;  // index into CpuPictureRecord.triangles; cpuTunnelTriangles for uncovered (black)
  uint32_t u;         // texture u at the run's first pixel less that of the band's reference vertex; 2^32 = 1 wrap
  uint32_t v;         // texture v likewise
};

// What one tunnel triangle samples, the same on every frame.
struct CpuTriangle {
  uint32_t uStep;     // texture u from one pixel to the next along a row, 2^32 = 1 wrap
  uint32_t vStep;     // texture v likewise
  int32_t band;       // 0 the centre square, 1 + k ring k: whose reference vertex it scrolls with
  int32_t magnified;  // non-zero: at most one texel a pixel, so OpenGL's magnification filter applies
};

// The tables of one picture (the X window, each Wayland output); zero = empty; owned by its host.
struct CpuPictureRecord {
  int32_t width;                             // pixels; 0 when empty
  int32_t height;                            // rows
  int32_t linear;                            // non-zero: magnified pixels are filtered bilinearly
  CpuSpan* spans;                            // every row's runs, top row first; malloc'd, owned here
  uint32_t* rowSpans;                        // height + 1 entries: index of each row's first run; malloc'd
  CpuTriangle triangles[cpuTunnelTriangles]; // the centre square's four, then each ring's 64
};

// Builds the tables for the scene's size (after BuildSceneGeometry at width x height); 0 when memory fails.
int FitCpuPicture(CpuPictureRecord& picture, const SceneGeometry& scene, int32_t width, int32_t height, int32_t linear);
// Draws the frame the scene holds (after AnimateScene): tunnel, then the logo when logos is non-zero.
void DrawCpuPicture(const CpuPictureRecord& picture, const SceneGeometry& scene, int32_t logos,
                    uint32_t* pixels, int32_t strideBytes);
// The FPS overlay over a drawn frame, the same cells as DrawFpsOverlay draws with GL.
void DrawCpuFpsOverlay(uint32_t* pixels, int32_t strideBytes, int32_t width, int32_t height);
// Frees the tables and clears every field; safe on an empty record.
void ReleaseCpuPicture(CpuPictureRecord& picture);

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
// The buffer's length in device pixels of a surface length in surface units at a fractional
// scale in 120ths (wp_fractional_scale_v1's preferred scale), rounded to the nearest, halves up;
// at least 1. A scale of 0 or less counts as 1.
int32_t DevicePixels(int32_t units, int32_t scale120);
// The Wayland client: one surface over the whole of every output (or of the one that
// SWAYLOCK_PLUGIN_OUTPUT_NAME names), followed as outputs come, go and change; returns the
// exit code, 0 for a key, a button, a touch, a travel, the compositor's close, or the close of
// a connection that gave no seat. Returns at once with StopSignal set when a stop signal came.
int RunWaylandHack();

#endif
