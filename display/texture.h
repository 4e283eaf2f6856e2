// The scene texture: bitmap 108 turned into a Direct3D texture for the device.
#ifndef VYK_DISPLAY_TEXTURE_H
#define VYK_DISPLAY_TEXTURE_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

// The texture's surfaces, palette and handle. Each interface field owns one counted
// reference; only ReleaseTexture empties the holder (there is no destructor action).
class TextureHolder {
 public:
  TextureHolder();

  // Loads bitmap name (resource id or file name) as the device's texture; 1 when ready.
  int LoadTexture(IDirect3DDevice2* device, LPCSTR name);
  // Draws bitmap into sourceSurface with GDI, then uploads; 1 or 0.
  int CopyBitmapToTexture(HBITMAP bitmap);
  // Loads textureSurface from sourceSurface (nothing to do when they are one object); 1 or 0.
  int UploadTexture();
  // Releases both surfaces and the palette, sets textureHandle to 0.
  void ReleaseTexture();

  IDirectDrawSurface* sourceSurface;   // drawn into with GDI; on a non-hardware device the same object as textureSurface
  IDirectDrawSurface* textureSurface;  // the texture the device samples; carries the source colour key
  IDirectDrawPalette* texturePalette;  // from the bitmap's colour table; null for RGB formats
  D3DTEXTUREHANDLE textureHandle;      // handle of textureSurface for the device; 0 while none is loaded
};

// The one texture of the scene, kept beside DeviceState with the same lifetime.
extern TextureHolder sceneTexture;

// DirectDraw object owning the device's render target, or null; carries no reference.
IDirectDraw* GetDeviceDirectDraw(IDirect3DDevice2* device);
// Fills pixelFormat with the offered format closest to wantedBitCount (all zero when none
// qualifies); returns EnumTextureFormats' result.
HRESULT ChooseTextureFormat(IDirect3DDevice2* device, DWORD wantedBitCount, DDPIXELFORMAT* pixelFormat);
// Palette from the bitmap's colour table, or null; table is room for 256 entries.
IDirectDrawPalette* CreateBitmapPalette(IDirectDraw* directDraw, HBITMAP bitmap, PALETTEENTRY* table);

#endif
