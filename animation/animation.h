// The title sequence: scene geometry and per-frame animation, free of any platform header.
#ifndef VYK_ANIMATION_ANIMATION_H
#define VYK_ANIMATION_ANIMATION_H

#include <stdint.h>

// A transformed-and-lit vertex laid out field for field as Direct3D's D3DTLVERTEX, so that
// the Windows saver hands the arrays to DrawPrimitive where they lie; draw_frame.cpp checks
// the layout against the platform's record.
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

// Vertex arrays and sizes of the scene; static, zero until BuildSceneGeometry.
struct SceneGeometry {
  TLVertex quadBlock[7];                          // quadA is 0..3, quadB is 3..6 (vertex 3 shared)
  TLVertex ringStrips[ringCount][ringVertexCount];  // ring 0 innermost; 2j inner edge, 2j+1 outer edge
  TLVertex logoStrip[logoVertexCount];            // 2i top, 2i+1 bottom of column i
  double sceneDiagonal;                           // client diagonal in pixels; the unit of every size
  float logoWidth;                                // sceneDiagonal * 4/29
};
extern SceneGeometry scene;

inline TLVertex* quadA() { return scene.quadBlock; }
inline TLVertex* quadB() { return scene.quadBlock + 3; }

// Animation state kept between frames; advanced only by AnimateFrame.
struct AnimationState {
  uint32_t animationSeed;  // a millisecond clock at window creation (SaverProc, the native hack), then decremented per frame
  uint32_t frameCounter;   // frames animated so far; 0 before the first; wraps after 2^32
  float logoLeft;          // x of the logo strip's left edge, pixels
  float logoCentreY;       // y of the logo strip's centre line, pixels
};
extern AnimationState animation;

// Both take the render target's client size in pixels; every size of the scene follows it.
void BuildSceneGeometry(int32_t clientWidth, int32_t clientHeight);
void AnimateFrame(int32_t clientWidth, int32_t clientHeight);

#endif
