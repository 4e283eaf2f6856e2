// The native XScreenSaver hack: its options, its window and the OpenGL drawing of the title sequence.
#ifndef VYK_LINUX_HACK_H
#define VYK_LINUX_HACK_H

#include <stdint.h>

#include "animation/animation.h"

// Where the hack draws.
enum HackTarget {
  targetDefault = 0,   // XSCREENSAVER_WINDOW when set, otherwise a window of its own
  targetRoot = 1,      // --root: XSCREENSAVER_WINDOW when set, otherwise the root window
  targetOwnWindow = 2, // --window: a top-level window of its own
  targetWindowId = 3,  // --window-id ID: the given window
};

// The command line, read once at start; the defaults are the Windows saver's.
struct HackOptionsRecord {
  int32_t redrawSpeed;     // 1 (fastest) to 10; the frame period is redrawSpeed * 14.2857 ms, truncated
  int32_t logos;           // non-zero: the waving logo is drawn over the tunnel
  int32_t linear;          // non-zero: the texture is magnified with linear filtering
  HackTarget target;       // which window to draw into
  unsigned long windowId;  // the X window of --window-id; 0 otherwise
};
extern HackOptionsRecord HackOptions;

constexpr int32_t fastestSpeed = 1;
constexpr int32_t slowestSpeed = 10;

// Fills HackOptions from argv; returns 1 when every argument was understood, 0 otherwise.
int ParseHackOptions(int argc, char** argv);
// The one-line usage message for stderr, without its line end.
const char* HackUsage();
// Frame period in milliseconds for a redraw speed, as the Windows saver's timer.
uint32_t FramePeriodMs(int32_t redrawSpeed);

// Decodes the embedded 256 x 256 8-bit artwork into 256 * 256 RGBA texels, top row first;
// black texels get alpha 0, all others 255. Returns 1 on success, 0 for a malformed bitmap.
int DecodeArtwork(uint8_t* rgba);

// OpenGL scene: needs a current context. Returns 1 when the context can draw the scene.
int SetUpGlScene(int32_t linear);
// Sets the pixel-space projection for a drawable of the given size.
void ResizeGlScene(int32_t width, int32_t height);
// Draws the eight strips (the logo only when logos is non-zero) of the current animation frame.
void DrawGlScene(SceneGeometry& scene, int32_t logos);
// Drops the texture; the context stays current.
void TearDownGlScene();

#endif
