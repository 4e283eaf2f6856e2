// The title sequence: scene geometry and per-frame animation, free of any platform header.
#ifndef VYK_ANIMATION_ANIMATION_H
#define VYK_ANIMATION_ANIMATION_H

#include <stdint.h>

// A transformed-and-lit vertex laid out field for field as Direct3D's D3DTLVERTEX, so that
// the Windows saver hands the arrays to DrawPrimitive where they lie; display/draw_frame.h
// checks the layout against the platform's record.
struct TLVertex {
  float sx;           // x of the vertex in render-target pixels; written by BuildSceneGeometry, AnimateFrame
  float sy;           // y in pixels, downwards; written by BuildSceneGeometry, AnimateFrame
  float sz;           // depth, 0 to 1 in Direct3D; unused without a depth buffer; BuildSceneGeometry
  float rhw;          // reciprocal of homogeneous w; BuildSceneGeometry
  uint32_t color;     // diffuse colour 0xAARRGGBB; BuildSceneGeometry
  uint32_t specular;  // specular colour 0xAARRGGBB, always 0; BuildSceneGeometry
  float tu;           // texture u, 0 to 1 across the texture; BuildSceneGeometry, AnimateFrame
  float tv;           // texture v, 0 at the top row; BuildSceneGeometry, AnimateFrame
};

constexpr int quadVertexCount = 4;   // each of quadA and quadB
constexpr int ringCount = 5;
constexpr int ringVertexCount = 66;  // 33 angle steps, inner and outer vertex each
constexpr int logoVertexCount = 10;  // five columns, top and bottom vertex each

// The vertex arrays, sizes and logo position of one drawn picture: one per render target
// (each monitor's display record, the native hack's window). Zero until BuildSceneGeometry;
// owned by whoever owns the picture.
struct SceneGeometry {
  TLVertex quadBlock[7];                          // quadA is 0..3, quadB is 3..6 (vertex 3 shared)
  TLVertex ringStrips[ringCount][ringVertexCount];  // ring 0 innermost; 2j inner edge, 2j+1 outer edge
  TLVertex logoStrip[logoVertexCount];            // 2i top, 2i+1 bottom of column i
  double sceneDiagonal;                           // client diagonal in pixels; the unit of every size
  float logoWidth;                                // sceneDiagonal * 4/29
  float logoLeft;                                 // x of the logo strip's left edge, pixels; moved by AnimateScene
  float logoCentreY;                              // y of the logo strip's centre line, pixels; moved by AnimateScene
};

inline TLVertex* quadA(SceneGeometry& scene) { return scene.quadBlock; }
inline TLVertex* quadB(SceneGeometry& scene) { return scene.quadBlock + 3; }

// An animation clock: every picture drawn from it shows the frame it counts.
struct AnimationState {
  uint32_t animationSeed;  // a millisecond clock at window creation (SaverProc, the native hack), then decremented per frame
  uint32_t frameCounter;   // frames animated so far; 0 before the first; wraps after 2^32
};
// The process's clock, shared by all its pictures; the program's frame loop moves it on
// and hands it to the drawing.
extern AnimationState animation;

// Each takes the render target's client size in pixels; every size of the scene follows it.
// Building keeps the logo's position; the first frame of the clock puts it at the start.
void BuildSceneGeometry(SceneGeometry& scene, int32_t clientWidth, int32_t clientHeight);
// Moves clock on by one frame: the seed down by one, the frame counter up by one.
void AdvanceAnimation(AnimationState& clock);
// The clock's one rule on every host: called for each picture of a tick that can draw, just
// before it draws. The first call of the tick moves clock on by one frame, later ones leave it,
// so every picture of the tick shows the same frame; a tick where no picture can draw makes no
// call, and the clock waits for the pictures. movedThisTick is the tick's flag, 0 at its start.
void MoveClockForPicture(AnimationState& clock, int& movedThisTick);
// Lays out scene for the frame clock shows: the wall's scroll and the logo's next step.
// Called once for each scene after each AdvanceAnimation, so that pictures of different
// sizes show the same frame.
void AnimateScene(SceneGeometry& scene, const AnimationState& clock, int32_t clientWidth, int32_t clientHeight);
// Puts the logo where its cycle starts: off the left edge, on the top band. For a scene
// that joins a clock already running; the clock's first frame does it for every scene.
void StartLogoCycle(SceneGeometry& scene);
// One frame of a picture on its own: AdvanceAnimation, then AnimateScene.
void AnimateFrame(SceneGeometry& scene, AnimationState& clock, int32_t clientWidth, int32_t clientHeight);

#endif
