// Direct3D drawing of the title sequence; Windows only, beside the portable animation.h.
#ifndef VYK_ANIMATION_DRAW_FRAME_H
#define VYK_ANIMATION_DRAW_FRAME_H

#include <windows.h>
#include <d3d.h>
#include <stddef.h>

#include "animation/animation.h"

// The vertex arrays go to DrawPrimitive as D3DTLVERTEX where they lie, never copied.
static_assert(sizeof(TLVertex) == sizeof(D3DTLVERTEX), "TLVertex must match D3DTLVERTEX");
static_assert(offsetof(TLVertex, sx) == offsetof(D3DTLVERTEX, sx), "sx");
static_assert(offsetof(TLVertex, sy) == offsetof(D3DTLVERTEX, sy), "sy");
static_assert(offsetof(TLVertex, sz) == offsetof(D3DTLVERTEX, sz), "sz");
static_assert(offsetof(TLVertex, rhw) == offsetof(D3DTLVERTEX, rhw), "rhw");
static_assert(offsetof(TLVertex, color) == offsetof(D3DTLVERTEX, color), "color");
static_assert(offsetof(TLVertex, specular) == offsetof(D3DTLVERTEX, specular), "specular");
static_assert(offsetof(TLVertex, tu) == offsetof(D3DTLVERTEX, tu), "tu");
static_assert(offsetof(TLVertex, tv) == offsetof(D3DTLVERTEX, tv), "tv");

inline D3DTLVERTEX* AsD3DVertices(TLVertex* vertices) { return reinterpret_cast<D3DTLVERTEX*>(vertices); }

// Draws a frame of scene with device into its render target. front is the surface shown
// on screen: lost, it is restored here first. The client size is the window's, as the
// scene was built for it. newFrame 1 moves the animation clock on to the next frame
// first; 0 draws the frame the clock shows, for the further pictures of the same tick.
void DrawFrame(IDirect3DDevice2* device, IDirectDrawSurface* front, SceneGeometry& scene, LONG clientWidth,
               LONG clientHeight, int newFrame);

#endif
