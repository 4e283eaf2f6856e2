// Direct3D drawing of the title sequence: one picture's scene animated for a frame and drawn.
#ifndef VYK_DISPLAY_DRAW_FRAME_H
#define VYK_DISPLAY_DRAW_FRAME_H

#include <windows.h>
#include <d3d.h>
#include <stddef.h>

#include "animation/animation.h"
#include "display/device_state.h"
#include "settings/settings.h"

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

// Lays out the record's scene for the frame clock shows, at the client size the scene was
// built for, and draws it with the record's device into its render target; the logo only
// when settings.logos is nonzero. The clock is the caller's to move on, once a tick, so
// that every picture of the tick shows the same frame. Without a device nothing is laid
// out or drawn. Lost surfaces are the caller's to recover first (PrepareFrame).
void DrawFrame(DeviceStateRecord& record, const AnimationState& clock, const SettingsRecord& settings);

#endif
