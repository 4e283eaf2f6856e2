// The title sequence: scene geometry, per-frame animation and the draw calls of a frame.
#ifndef VYK_ANIMATION_ANIMATION_H
#define VYK_ANIMATION_ANIMATION_H

#include <windows.h>
#include <d3d.h>
#include <stdint.h>

typedef D3DTLVERTEX TLVertex;

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
  uint32_t animationSeed;  // GetTickCount() at window creation (SaverProc), then decremented per frame
  uint32_t frameCounter;   // frames animated so far; 0 before the first; wraps after 2^32
  float logoLeft;          // x of the logo strip's left edge, pixels
  float logoCentreY;       // y of the logo strip's centre line, pixels
};
extern AnimationState animation;

void BuildSceneGeometry();
void AnimateFrame();
void DrawFrame(IDirect3DDevice2* device);

#endif
