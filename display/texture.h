// The scene texture: its holder record, loading from a bitmap and releasing.
#ifndef VYK_DISPLAY_TEXTURE_H
#define VYK_DISPLAY_TEXTURE_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

// The scene texture's surfaces, palette and device handle. Each interface field owns
// one counted reference; only ReleaseTexture empties the holder.
class TextureHolder {
 public:
  constexpr TextureHolder()
      : sourceSurface(nullptr), textureSurface(nullptr), texturePalette(nullptr), textureHandle(0) {}

  // Loads bitmap name (resource of the executable, else a file) as a texture of
  // device. 1 when the texture and its handle are ready, 0 on failure.
  int LoadTexture(IDirect3DDevice2* device, LPCSTR name);
  // Draws bitmap into sourceSurface with GDI, then uploads: 1 or 0.
  int CopyBitmapToTexture(HBITMAP bitmap);
  // Loads sourceSurface into textureSurface when they differ: 1 or 0.
  int UploadTexture();
  // Releases sourceSurface, textureSurface and texturePalette, clears the handle.
  void ReleaseTexture();

  IDirectDrawSurface* sourceSurface;   // surface GDI draws into; on a non-hardware device textureSurface again (second reference)
  IDirectDrawSurface* textureSurface;  // surface the device samples; carries the black/index-0 source colour key
  IDirectDrawPalette* texturePalette;  // palette from the bitmap's colour table, on palettised formats only; else null
  D3DTEXTUREHANDLE textureHandle;      // textureSurface's handle for the device; 0 while nothing is loaded
};

// DirectDraw object behind the device's render target, or null. The caller gets no
// reference: the object lives on through the holds of the device's display record.
IDirectDraw* GetDeviceDirectDraw(IDirect3DDevice2* device);

// Fills pixelFormat with the device texture format nearest to wantedBitCount (an 8-bit
// palettised or an RGB format without alpha), all zero when none qualifies. Returns the
// result of EnumTextureFormats.
HRESULT ChooseTextureFormat(IDirect3DDevice2* device, DWORD wantedBitCount, DDPIXELFORMAT* pixelFormat);

// Copies the colour table of the DIB section bitmap into colours (room for 256) and
// returns how many entries it has; 0 for a bitmap without one.
UINT ReadBitmapColours(HBITMAP bitmap, RGBQUAD* colours);
// Palette from the colour table of the DIB section bitmap, built in table (room for 256
// entries; those past the colour count are zeroed). Null when the bitmap has no colour
// table or DirectDraw made no palette.
IDirectDrawPalette* CreateBitmapPalette(IDirectDraw* directDraw, HBITMAP bitmap, PALETTEENTRY* table);

#endif
