// Texture loader: the scene bitmap turned into a Direct3D texture of the device.
#include "display/texture.h"

#include <string.h>

#include "display/device_state.h"

namespace {

// Lives only while the device's texture formats are enumerated.
struct FormatChoice {
  DWORD wantedBitCount;  // bits per pixel of the bitmap
  DDPIXELFORMAT best;    // format taken so far; dwRGBBitCount 0 while none is
};

// Takes 8-bit palettised formats and RGB formats without alpha, the nearest at or
// above the wanted bit count. The unsigned differences make a format below the wanted
// count farther away than any at or above it; on equal distance the earlier one stays.
HRESULT CALLBACK OfferTextureFormat(DDSURFACEDESC* offered, void* context) {
  FormatChoice* choice = static_cast<FormatChoice*>(context);
  const DDPIXELFORMAT& format = offered->ddpfPixelFormat;
  const DWORD bits = format.dwRGBBitCount;
  if (format.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) return D3DENUMRET_OK;
  if (bits <= 8) {
    if (!(format.dwFlags & (DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8)) || bits != 8) return D3DENUMRET_OK;
  } else if (!(format.dwFlags & DDPF_RGB)) {
    return D3DENUMRET_OK;
  }
  const DWORD wanted = choice->wantedBitCount;
  const DWORD bestBits = choice->best.dwRGBBitCount;
  if (bestBits == 0 || (bits >= wanted && bits - wanted < bestBits - wanted)) {
    memcpy(&choice->best, &format, sizeof(DDPIXELFORMAT));
  }
  return D3DENUMRET_OK;
}

// Failure exit of a load that found its bitmap: the holder ends empty.
int AbandonLoad(TextureHolder& holder, HBITMAP bitmap) {
  DeleteObject(bitmap);
  holder.ReleaseTexture();
  return 0;
}

}  // namespace

// A refused call may still hand back a reference; each one is released all the same.
IDirectDraw* GetDeviceDirectDraw(IDirect3DDevice2* device) {
  if (!device) return nullptr;
  IDirectDrawSurface* target = nullptr;
  if (device->GetRenderTarget(&target) != D3D_OK || !target) {
    ReleaseField(target);
    return nullptr;
  }
  IDirectDrawSurface2* target2 = nullptr;
  const HRESULT queried = target->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(&target2));
  target->Release();
  if (queried != S_OK || !target2) {
    ReleaseField(target2);
    return nullptr;
  }
  void* object = nullptr;
  const HRESULT result = target2->GetDDInterface(&object);
  target2->Release();
  if (result != DD_OK || !object) {
    if (object) static_cast<IUnknown*>(object)->Release();
    return nullptr;
  }
  // A surface made through IDirectDraw or IDirectDraw2 answers with the IDirectDraw
  // interface. The display record keeps the object alive, so the caller needs no reference.
  IDirectDraw* directDraw = static_cast<IDirectDraw*>(object);
  directDraw->Release();
  return directDraw;
}

HRESULT ChooseTextureFormat(IDirect3DDevice2* device, DWORD wantedBitCount, DDPIXELFORMAT* pixelFormat) {
  FormatChoice choice;
  memset(&choice, 0, sizeof(choice));
  choice.wantedBitCount = wantedBitCount;
  const HRESULT result = device->EnumTextureFormats(OfferTextureFormat, &choice);
  memcpy(pixelFormat, &choice.best, sizeof(DDPIXELFORMAT));
  return result;
}

UINT ReadBitmapColours(HBITMAP bitmap, RGBQUAD* colours) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  const UINT count = GetDIBColorTable(dc, 0, 256, colours);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return count;
}

IDirectDrawPalette* CreateBitmapPalette(IDirectDraw* directDraw, HBITMAP bitmap, PALETTEENTRY* table) {
  RGBQUAD colours[256];
  const UINT count = ReadBitmapColours(bitmap, colours);
  // Entries past the colour count are zeroed: DirectDraw reads all 256 (or 16) of
  // them, and they must not carry whatever the caller's table held before.
  for (UINT i = 0; i < 256; ++i) {
    PALETTEENTRY entry = {0, 0, 0, 0};
    if (i < count) {
      entry.peRed = colours[i].rgbRed;
      entry.peGreen = colours[i].rgbGreen;
      entry.peBlue = colours[i].rgbBlue;
    }
    table[i] = entry;
  }
  if (count == 0) return nullptr;
  IDirectDrawPalette* palette = nullptr;
  directDraw->CreatePalette(count > 16 ? DDPCAPS_8BIT : DDPCAPS_4BIT, table, &palette, nullptr);
  return palette;
}

void TextureHolder::ReleaseTexture() {
  ReleaseField(sourceSurface);
  ReleaseField(textureSurface);
  ReleaseField(texturePalette);
  textureHandle = 0;
}

int TextureHolder::UploadTexture() {
  if (!textureSurface || !sourceSurface) return 0;
  // A software device samples the system-memory surface GDI drew into.
  if (textureSurface == sourceSurface) return 1;
  if (textureSurface->Restore() != DD_OK) return 0;
  IDirect3DTexture2* target = nullptr;
  IDirect3DTexture2* source = nullptr;
  textureSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&target));
  sourceSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&source));
  HRESULT loaded = D3DERR_TEXTURE_LOAD_FAILED;
  if (target && source) loaded = target->Load(source);
  ReleaseField(target);
  ReleaseField(source);
  return loaded == D3D_OK ? 1 : 0;
}

int TextureHolder::CopyBitmapToTexture(HBITMAP bitmap) {
  BITMAP info;
  memset(&info, 0, sizeof(info));
  GetObjectA(bitmap, sizeof(info), &info);
  HDC memoryDC = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memoryDC, bitmap);
  HDC surfaceDC = nullptr;
  // GDI converts the bitmap's colours to the surface's pixel format. Without a
  // surface context the texture keeps whatever the surface held.
  if (sourceSurface && sourceSurface->GetDC(&surfaceDC) == DD_OK) {
    BitBlt(surfaceDC, 0, 0, info.bmWidth, info.bmHeight, memoryDC, 0, 0, SRCCOPY);
    sourceSurface->ReleaseDC(surfaceDC);
  }
  const int result = UploadTexture();
  SelectObject(memoryDC, previous);
  DeleteDC(memoryDC);
  return result;
}

int TextureHolder::LoadTexture(IDirect3DDevice2* device, LPCSTR name) {
  IDirectDraw* directDraw = GetDeviceDirectDraw(device);
  if (!directDraw) return 0;
  HANDLE image = LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!image && !IS_INTRESOURCE(name)) {
    image = LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE);
  }
  if (!image) return 0;
  HBITMAP bitmap = static_cast<HBITMAP>(image);
  ReleaseTexture();

  BITMAP info;
  memset(&info, 0, sizeof(info));
  GetObjectA(bitmap, sizeof(info), &info);

  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  ChooseTextureFormat(device, info.bmBitsPixel, &desc.ddpfPixelFormat);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwHeight = info.bmHeight;
  desc.dwWidth = info.bmWidth;

  D3DDEVICEDESC hardwareDesc;
  D3DDEVICEDESC emulationDesc;
  memset(&hardwareDesc, 0, sizeof(hardwareDesc));
  memset(&emulationDesc, 0, sizeof(emulationDesc));
  hardwareDesc.dwSize = deviceDescSize;
  emulationDesc.dwSize = deviceDescSize;
  device->GetCaps(&hardwareDesc, &emulationDesc);
  const bool hardwareDevice = hardwareDesc.dcmColorModel != 0;

  // A hardware device samples video memory that is filled by Load from a separate
  // system-memory surface; a software device samples the system-memory surface itself.
  desc.ddsCaps.dwCaps = hardwareDevice ? (DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD)
                                       : (DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  // Created straight into the holder, so that a refused creation which still hands back
  // a surface has it released by the failure exit.
  if (directDraw->CreateSurface(&desc, &textureSurface, nullptr) != DD_OK) return AbandonLoad(*this, bitmap);
  DDCOLORKEY key = {0, 0};
  textureSurface->SetColorKey(DDCKEY_SRCBLT, &key);

  if (hardwareDevice) {
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    if (directDraw->CreateSurface(&desc, &sourceSurface, nullptr) != DD_OK) return AbandonLoad(*this, bitmap);
  } else {
    sourceSurface = textureSurface;
    sourceSurface->AddRef();
  }

  if (desc.ddpfPixelFormat.dwRGBBitCount <= 8) {
    PALETTEENTRY table[256];
    texturePalette = CreateBitmapPalette(directDraw, bitmap, table);
    if (texturePalette) {
      sourceSurface->SetPalette(texturePalette);
      textureSurface->SetPalette(texturePalette);
    }
  }

  if (!CopyBitmapToTexture(bitmap)) return AbandonLoad(*this, bitmap);

  IDirect3DTexture2* texture = nullptr;
  textureSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&texture));
  if (texture) {
    texture->GetHandle(device, &textureHandle);
    texture->Release();
  }
  DeleteObject(bitmap);
  return 1;
}
