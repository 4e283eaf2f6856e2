// DirectX 5 record sizes: the records the DirectX 5 interfaces expect, checked against these headers.
#ifndef VYK_DISPLAY_DIRECTX5_H
#define VYK_DISPLAY_DIRECTX5_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

// The headers are DirectX 7's. Every record is sized with sizeof, so the 32-bit build
// checks here that sizeof gives what a DirectX 5 runtime accepts.
#if !defined(_WIN64)
static_assert(sizeof(DDSURFACEDESC) == 108, "DirectX 5 surface description");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DirectX 5 pixel format");
static_assert(sizeof(D3DVIEWPORT2) == 44, "DirectX 5 viewport description");
static_assert(sizeof(BITMAP) == 24, "GDI bitmap record");
#endif
static_assert(sizeof(D3DMATERIAL) == 80, "DirectX 5 material description");
static_assert(sizeof(PALETTEENTRY) == 4, "palette entry");

// The one record that differs: the device description GetCaps fills is DirectX 5's,
// smaller than the D3DDEVICEDESC these headers declare, so its dwSize is written as this.
constexpr DWORD deviceDescSize = 204;

#endif
