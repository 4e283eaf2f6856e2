// Helpers shared by the texture and scene-state tests: a fake device chain and a GDI watch.
#ifndef VYK_TESTS_DISPLAY_TEXTURE_TEST_SUPPORT_H
#define VYK_TESTS_DISPLAY_TEXTURE_TEST_SUPPORT_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <vector>

namespace texture_test {

// A fake DirectDraw object with a 640 x 480 render surface S1 and a device Dev1 on it.
struct FakeChain {
  IDirectDraw* directDraw = nullptr;
  IDirectDraw2* directDraw2 = nullptr;
  IDirect3D2* direct3D2 = nullptr;
  IDirectDrawSurface* renderSurface = nullptr;
  IDirect3DDevice2* device = nullptr;
};

// Resets the fakes, builds the chain with a device of deviceType, then clears the log.
void OpenChain(FakeChain& chain, const GUID& deviceType);
// Releases what OpenChain made; the fakes then report leaks of anything else.
void CloseChain(FakeChain& chain);

// Watches the program's LoadImageA and DeleteObject while it lives. Under Wine the
// process's GDI object count is not reported, so the import slots are borrowed instead.
class GdiWatch {
 public:
  GdiWatch();
  ~GdiWatch();
  GdiWatch(const GdiWatch&) = delete;
  GdiWatch& operator=(const GdiWatch&) = delete;
  std::vector<HANDLE> Loaded() const;   // every image LoadImageA returned
  std::vector<HANDLE> Deleted() const;  // every object given to DeleteObject
};

// Writes bitmap (a DIB section of at most 8 bits per pixel) as a .bmp file.
bool WriteBitmapFile(const char* path, HBITMAP bitmap);

}  // namespace texture_test

#endif
