// Helpers shared by the texture and scene-state tests: a fake device chain and a GDI watch.
#include "texture_test_support.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include "display/texture.h"
#include "fakes/fake_directx.h"

// The import slots of the executable: every call the program's code makes to these
// functions goes through them.
#if defined(_WIN64)
extern decltype(&LoadImageA) importedLoadImageA __asm__("__imp_LoadImageA");
extern decltype(&DeleteObject) importedDeleteObject __asm__("__imp_DeleteObject");
#else
extern decltype(&LoadImageA) importedLoadImageA __asm__("__imp__LoadImageA@24");
extern decltype(&DeleteObject) importedDeleteObject __asm__("__imp__DeleteObject@4");
#endif

namespace texture_test {

namespace {

decltype(&LoadImageA) realLoadImageA;
decltype(&DeleteObject) realDeleteObject;
std::vector<HANDLE> loaded;
std::vector<HANDLE> deleted;

HANDLE WINAPI WatchedLoadImageA(HINSTANCE module, LPCSTR name, UINT type, int width, int height, UINT flags) {
  HANDLE image = realLoadImageA(module, name, type, width, height, flags);
  if (image) loaded.push_back(image);
  return image;
}

BOOL WINAPI WatchedDeleteObject(HGDIOBJ object) {
  deleted.push_back(object);
  return realDeleteObject(object);
}

}  // namespace

void OpenChain(FakeChain& chain, const GUID& deviceType) {
  fake::Reset();
  chain = FakeChain();
  ASSERT_EQ(DD_OK, fake::DirectDrawCreate(nullptr, &chain.directDraw, nullptr));
  ASSERT_EQ(S_OK, chain.directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&chain.directDraw2)));
  ASSERT_EQ(S_OK, chain.directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&chain.direct3D2)));
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 640;
  desc.dwHeight = 480;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
  ASSERT_EQ(DD_OK, chain.directDraw2->CreateSurface(&desc, &chain.renderSurface, nullptr));
  ASSERT_EQ(D3D_OK, chain.direct3D2->CreateDevice(deviceType, chain.renderSurface, &chain.device));
  fake::ClearLog();
}

void CloseChain(FakeChain& chain) {
  if (chain.device) chain.device->Release();
  if (chain.renderSurface) chain.renderSurface->Release();
  if (chain.direct3D2) chain.direct3D2->Release();
  if (chain.directDraw2) chain.directDraw2->Release();
  if (chain.directDraw) chain.directDraw->Release();
  chain = FakeChain();
}

GdiWatch::GdiWatch() {
  loaded.clear();
  deleted.clear();
  realLoadImageA = importedLoadImageA;
  realDeleteObject = importedDeleteObject;
  importedLoadImageA = WatchedLoadImageA;
  importedDeleteObject = WatchedDeleteObject;
}

GdiWatch::~GdiWatch() {
  importedLoadImageA = realLoadImageA;
  importedDeleteObject = realDeleteObject;
}

std::vector<HANDLE> GdiWatch::Loaded() const { return loaded; }
std::vector<HANDLE> GdiWatch::Deleted() const { return deleted; }

bool WriteBitmapFile(const char* path, HBITMAP bitmap) {
  DIBSECTION dib;
  if (GetObjectA(bitmap, sizeof(dib), &dib) != static_cast<int>(sizeof(dib))) return false;
  RGBQUAD colours[256];
  const UINT count = ReadBitmapColours(bitmap, colours);
  BITMAPINFOHEADER header = dib.dsBmih;
  header.biClrUsed = count;
  const DWORD pixelBytes = static_cast<DWORD>(dib.dsBm.bmWidthBytes * dib.dsBm.bmHeight);
  BITMAPFILEHEADER file;
  memset(&file, 0, sizeof(file));
  file.bfType = 0x4d42;
  file.bfOffBits = static_cast<DWORD>(sizeof(file) + sizeof(header) + count * sizeof(RGBQUAD));
  file.bfSize = file.bfOffBits + pixelBytes;
  FILE* out = fopen(path, "wb");
  if (!out) return false;
  bool written = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&header, sizeof(header), 1, out) == 1 &&
                 (count == 0 || fwrite(colours, sizeof(RGBQUAD), count, out) == count) &&
                 fwrite(dib.dsBm.bmBits, 1, pixelBytes, out) == pixelBytes;
  return fclose(out) == 0 && written;
}

}  // namespace texture_test
