// The scene texture loaded through Wine's own DirectDraw and Direct3D, with no fakes.
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <stdlib.h>
#include <string.h>

#include "display/texture.h"
#include "resources/resource_ids.h"
#include "platform/platform.h"

namespace {

// A windowed HAL device on a 256 x 256 offscreen render surface: the smallest chain
// Wine's Direct3D accepts for textures.
struct RealDevice {
  HWND window = nullptr;
  IDirectDraw* directDraw = nullptr;
  IDirectDraw2* directDraw2 = nullptr;
  IDirect3D2* direct3D2 = nullptr;
  IDirectDrawSurface* renderSurface = nullptr;
  IDirect3DDevice2* device = nullptr;
};

bool OpenRealDevice(RealDevice& real) {
  real.window = CreateWindowExA(0, "STATIC", "texture", WS_POPUP, 0, 0, 256, 256, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!real.window) return false;
  HRESULT hr = platform.DirectDrawCreate(nullptr, &real.directDraw, nullptr);
  EXPECT_EQ(DD_OK, hr) << std::hex << hr;
  if (!real.directDraw) return false;
  hr = real.directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&real.directDraw2));
  EXPECT_EQ(S_OK, hr) << std::hex << hr;
  hr = real.directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&real.direct3D2));
  EXPECT_EQ(S_OK, hr) << std::hex << hr;
  if (!real.directDraw2 || !real.direct3D2) return false;
  hr = real.directDraw2->SetCooperativeLevel(real.window, DDSCL_NORMAL);
  EXPECT_EQ(DD_OK, hr) << std::hex << hr;
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 256;
  desc.dwHeight = 256;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
  hr = real.directDraw2->CreateSurface(&desc, &real.renderSurface, nullptr);
  EXPECT_EQ(DD_OK, hr) << std::hex << hr;
  if (!real.renderSurface) return false;
  hr = real.direct3D2->CreateDevice(IID_IDirect3DHALDevice, real.renderSurface, &real.device);
  EXPECT_EQ(D3D_OK, hr) << std::hex << hr;
  return real.device != nullptr;
}

// Releases in the order of the display teardown; each last reference must go.
void CloseRealDevice(RealDevice& real) {
  if (real.device) {
    EXPECT_EQ(0u, real.device->Release());
  }
  if (real.renderSurface) {
    EXPECT_EQ(0u, real.renderSurface->Release());
  }
  if (real.directDraw2) real.directDraw2->SetCooperativeLevel(real.window, DDSCL_NORMAL);
  if (real.direct3D2) real.direct3D2->Release();
  if (real.directDraw2) real.directDraw2->Release();
  if (real.directDraw) {
    EXPECT_EQ(0u, real.directDraw->Release());
  }
  if (real.window) DestroyWindow(real.window);
}

// Channel value of pixel under mask, scaled to 0..255.
int ChannelOf(DWORD pixel, DWORD mask) {
  if (!mask) return 0;
  while (!(mask & 1u)) {
    mask >>= 1;
    pixel >>= 1;
  }
  return static_cast<int>((pixel & mask) * 255u / mask);
}

// Compares every pixel of surface with the 8-bit DIB section bitmap, row 0 at the top,
// allowing for the precision the surface's RGB format loses.
void ExpectSurfaceHoldsBitmap(IDirectDrawSurface* surface, HBITMAP bitmap, const char* what) {
  DIBSECTION dib;
  ASSERT_EQ(static_cast<int>(sizeof(dib)), GetObjectA(bitmap, sizeof(dib), &dib));
  ASSERT_EQ(8, dib.dsBm.bmBitsPixel);
  RGBQUAD colours[256];
  const UINT count = ReadBitmapColours(bitmap, colours);
  ASSERT_GT(count, 0u);

  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  HRESULT hr = surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
  ASSERT_EQ(DD_OK, hr) << what << std::hex << " " << hr;
  const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  ASSERT_TRUE(format.dwFlags & DDPF_RGB) << what;
  const DWORD bytes = format.dwRGBBitCount / 8;
  const int tolerance = format.dwRGBBitCount == 16 ? 8 : 1;
  int mismatches = 0;
  const BYTE* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
  for (int y = 0; y < 256; ++y) {
    const BYTE* dibRow = bits + (255 - y) * dib.dsBm.bmWidthBytes;  // stored bottom-up
    const BYTE* surfaceRow = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch;
    for (int x = 0; x < 256; ++x) {
      DWORD pixel = 0;
      memcpy(&pixel, surfaceRow + x * bytes, bytes);
      const RGBQUAD& want = colours[dibRow[x]];
      if (abs(ChannelOf(pixel, format.dwRBitMask) - want.rgbRed) > tolerance ||
          abs(ChannelOf(pixel, format.dwGBitMask) - want.rgbGreen) > tolerance ||
          abs(ChannelOf(pixel, format.dwBBitMask) - want.rgbBlue) > tolerance) {
        if (mismatches++ < 5) {
          ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex << pixel;
        }
      }
    }
  }
  surface->Unlock(nullptr);
  EXPECT_EQ(0, mismatches) << what;
}

TEST(TextureOnWine, LoadsTheSceneBitmapAsA16BitTextureWithAHandle) {
  RealDevice real;
  ASSERT_TRUE(OpenRealDevice(real));

  DDPIXELFORMAT chosen;
  memset(&chosen, 0xcc, sizeof(chosen));
  EXPECT_EQ(D3D_OK, ChooseTextureFormat(real.device, 8, &chosen));
  // Wine offers no palettised format, so the smallest RGB one without alpha wins.
  EXPECT_EQ(static_cast<DWORD>(sizeof(DDPIXELFORMAT)), chosen.dwSize);
  EXPECT_EQ(static_cast<DWORD>(DDPF_RGB), chosen.dwFlags);
  EXPECT_EQ(16u, chosen.dwRGBBitCount);

  TextureHolder holder;
  ASSERT_EQ(1, holder.LoadTexture(real.device, MAKEINTRESOURCEA(IDB_TEXTURE)));
  EXPECT_NE(0u, holder.textureHandle);
  ASSERT_NE(nullptr, holder.textureSurface);
  ASSERT_NE(nullptr, holder.sourceSurface);
  // Wine's HAL reports a colour model, so the texture is filled from its own source surface.
  EXPECT_NE(holder.sourceSurface, holder.textureSurface);
  EXPECT_EQ(nullptr, holder.texturePalette);

  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  ASSERT_EQ(DD_OK, holder.textureSurface->GetSurfaceDesc(&desc));
  EXPECT_EQ(256u, desc.dwWidth);
  EXPECT_EQ(256u, desc.dwHeight);
  EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_TEXTURE);
  DDCOLORKEY key = {1, 1};
  ASSERT_EQ(DD_OK, holder.textureSurface->GetColorKey(DDCKEY_SRCBLT, &key));
  EXPECT_EQ(0u, key.dwColorSpaceLowValue);
  EXPECT_EQ(0u, key.dwColorSpaceHighValue);

  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TEXTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(nullptr, bitmap);
  ExpectSurfaceHoldsBitmap(holder.sourceSurface, bitmap, "source surface");
  ExpectSurfaceHoldsBitmap(holder.textureSurface, bitmap, "texture surface");
  DeleteObject(bitmap);

  IDirectDrawSurface* texture = holder.textureSurface;
  texture->AddRef();
  holder.ReleaseTexture();
  EXPECT_EQ(nullptr, holder.sourceSurface);
  EXPECT_EQ(nullptr, holder.textureSurface);
  EXPECT_EQ(0u, holder.textureHandle);
  EXPECT_EQ(0u, texture->Release());
  CloseRealDevice(real);
}

TEST(TextureOnWine, ReloadReplacesTheEarlierTexture) {
  RealDevice real;
  ASSERT_TRUE(OpenRealDevice(real));
  TextureHolder holder;
  ASSERT_EQ(1, holder.LoadTexture(real.device, MAKEINTRESOURCEA(IDB_TEXTURE)));
  IDirectDrawSurface* first = holder.textureSurface;
  first->AddRef();
  ASSERT_EQ(1, holder.LoadTexture(real.device, MAKEINTRESOURCEA(IDB_TEXTURE)));
  EXPECT_NE(0u, holder.textureHandle);
  EXPECT_EQ(0u, first->Release()) << "the first load's texture is still held";
  holder.ReleaseTexture();
  CloseRealDevice(real);
}

TEST(TextureOnWine, MissingBitmapLeavesTheHolderUntouched) {
  RealDevice real;
  ASSERT_TRUE(OpenRealDevice(real));
  TextureHolder holder;
  EXPECT_EQ(0, holder.LoadTexture(real.device, MAKEINTRESOURCEA(4321)));
  EXPECT_EQ(0, holder.LoadTexture(real.device, "no-such-texture.bmp"));
  EXPECT_EQ(nullptr, holder.textureSurface);
  EXPECT_EQ(0u, holder.textureHandle);
  CloseRealDevice(real);
}

}  // namespace
