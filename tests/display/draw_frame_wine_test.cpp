// Frames of the title sequence drawn by Wine's own Direct3D, read back and checked as pictures.
//
// When VYK_FRAME_DIR names a folder, every frame read back is also saved there as a
// 24-bit BMP file, so the pictures can be looked at.
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "display/display.h"
#include "display/draw_frame.h"
#include "display/texture.h"
#include "settings/settings.h"
#include "platform/platform.h"
#include "tests/display/display_test_support.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

struct Pixel {
  int r, g, b;
};

// A windowed HAL device on an offscreen render surface with a viewport over it, set
// into DeviceState (the render surface also stands in as the front surface).
class RenderOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSettings = Settings;
    window = CreateWindowExA(0, "STATIC", "frames", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DD_OK, platform.DirectDrawCreate(nullptr, &DeviceState.directDraw, nullptr));
    ASSERT_EQ(S_OK, DeviceState.directDraw->QueryInterface(IID_IDirectDraw2,
                                                           reinterpret_cast<void**>(&DeviceState.directDraw2)));
    ASSERT_EQ(S_OK, DeviceState.directDraw->QueryInterface(IID_IDirect3D2,
                                                           reinterpret_cast<void**>(&DeviceState.direct3D2)));
    ASSERT_EQ(DD_OK, DeviceState.directDraw2->SetCooperativeLevel(window, DDSCL_NORMAL));
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = kWidth;
    desc.dwHeight = kHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    ASSERT_EQ(DD_OK, DeviceState.directDraw2->CreateSurface(&desc, &DeviceState.renderSurface, nullptr));
    ASSERT_EQ(D3D_OK, DeviceState.direct3D2->CreateDevice(IID_IDirect3DHALDevice, DeviceState.renderSurface,
                                                         &DeviceState.device));
    ASSERT_EQ(D3D_OK, DeviceState.direct3D2->CreateViewport(&DeviceState.viewport, nullptr));
    ASSERT_EQ(D3D_OK, DeviceState.device->AddViewport(DeviceState.viewport));
    D3DVIEWPORT2 view;
    memset(&view, 0, sizeof(view));
    view.dwSize = sizeof(view);
    view.dwWidth = kWidth;
    view.dwHeight = kHeight;
    view.dvClipX = -1.0f;
    view.dvClipY = 1.0f;
    view.dvClipWidth = 2.0f;
    view.dvClipHeight = 2.0f;
    view.dvMaxZ = 1.0f;
    ASSERT_EQ(D3D_OK, DeviceState.viewport->SetViewport2(&view));
    ASSERT_EQ(D3D_OK, DeviceState.device->SetCurrentViewport(DeviceState.viewport));
    DeviceState.frontSurface = DeviceState.renderSurface;
    DeviceState.frontSurface->AddRef();
    DeviceState.clientWidth = kWidth;
    DeviceState.clientHeight = kHeight;
    // Nearest magnification: linear filtering blurs texels across the mirror line.
    DeviceState.textureFilter = D3DFILTER_NEAREST;
    SetUpSceneState(DeviceState, DeviceState.device, animation);
    ASSERT_NE(0u, DeviceState.texture.textureHandle);
  }

  // Releases everything SetUp made, texture first, device objects in reverse order of creation.
  void TearDown() override {
    DeviceState.texture.ReleaseTexture();
    Drop(DeviceState.material);
    if (DeviceState.device && DeviceState.viewport) DeviceState.device->DeleteViewport(DeviceState.viewport);
    Drop(DeviceState.viewport);
    Drop(DeviceState.device);
    Drop(DeviceState.frontSurface);
    Drop(DeviceState.renderSurface);
    Drop(DeviceState.direct3D2);
    Drop(DeviceState.directDraw2);
    Drop(DeviceState.directDraw);
    DestroyWindow(window);
    Settings = savedSettings;
  }

  template <typename Interface>
  static void Drop(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
  }

  // Draws frames until frameCounter reaches `frame`, then reads the render surface back.
  std::vector<Pixel> DrawUpTo(uint32_t frame, const char* name) {
    while (animation.frameCounter < frame) {
      AdvanceAnimation(animation);
      DrawFrame(DeviceState, animation, Settings);
    }
    std::vector<Pixel> pixels(kWidth * kHeight);
    HDC surfaceDc = nullptr;
    EXPECT_EQ(DD_OK, DeviceState.renderSurface->GetDC(&surfaceDc));
    if (!surfaceDc) return pixels;
    const std::vector<DWORD> argb = display_test::CopyPixels(surfaceDc, 0, 0, kWidth, kHeight);
    DeviceState.renderSurface->ReleaseDC(surfaceDc);
    if (argb.size() != pixels.size()) return pixels;
    for (int i = 0; i < kWidth * kHeight; ++i) {
      pixels[i] = {static_cast<int>((argb[i] >> 16) & 255), static_cast<int>((argb[i] >> 8) & 255),
                   static_cast<int>(argb[i] & 255)};
    }
    Save(name, argb.data());
    return pixels;
  }

  static void Save(const char* name, const void* topDownArgb) {
    const char* folder = getenv("VYK_FRAME_DIR");
    if (!folder) return;
    const std::string path = std::string(folder) + "\\" + name + ".bmp";
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return;
    BITMAPFILEHEADER head;
    memset(&head, 0, sizeof(head));
    head.bfType = 0x4D42;
    head.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    head.bfSize = head.bfOffBits + kWidth * kHeight * 4;
    BITMAPINFOHEADER info;
    memset(&info, 0, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = kWidth;
    info.biHeight = -kHeight;
    info.biPlanes = 1;
    info.biBitCount = 32;
    fwrite(&head, sizeof(head), 1, file);
    fwrite(&info, sizeof(info), 1, file);
    fwrite(topDownArgb, 4, kWidth * kHeight, file);
    fclose(file);
  }

  HWND window = nullptr;
  SettingsRecord savedSettings;
};

const Pixel& At(const std::vector<Pixel>& pixels, int x, int y) { return pixels[y * kWidth + x]; }

bool Near(const Pixel& a, const Pixel& b, int tolerance) {
  return abs(a.r - b.r) <= tolerance && abs(a.g - b.g) <= tolerance && abs(a.b - b.b) <= tolerance;
}

bool IsLogoYellow(const Pixel& p) { return p.r > 200 && p.g > 150 && p.b < 110 && p.g > p.b + 90; }

// Below the logo's band the tunnel is symmetric about the vertical line through the
// centre: along the horizontal line through the centre, where both halves meet a strip
// edge, pixel for pixel (Direct3D puts pixel centres on whole coordinates, so x mirrors
// to 2cx - x); elsewhere each strip's texture is interpolated across its own triangle
// split, so each ring is compared by its mean colour in the two halves. The tunnel
// fills the whole window with colour.
TEST_F(RenderOnWine, TunnelFillsTheWindowAndIsSymmetric) {
  Settings.logos = 1;
  animation = AnimationState{0x00C0FFEE, 0};
  const std::vector<Pixel> frame = DrawUpTo(60, "tunnel-60");
  const int cx = kWidth / 2;
  const int cy = kHeight / 2;
  int mirrored = 0;
  for (int x = 1; x < cx; ++x) mirrored += Near(At(frame, x, cy), At(frame, 2 * cx - x, cy), 8) ? 1 : 0;
  EXPECT_GE(mirrored, (cx - 1) * 98 / 100) << "pixels of the centre line that mirror each other";

  const double d = DeviceState.scene.sceneDiagonal;
  const double r0 = d / 63.0;
  const int firstRow = static_cast<int>(d / 12.0 + d / 16.0 * 1.25) + 2;
  double sums[ringCount][2][3] = {};
  int counts[ringCount][2] = {};
  int dark = 0, total = 0;
  for (int y = firstRow; y < kHeight; ++y) {
    for (int x = 1; x < kWidth; ++x) {
      const Pixel& p = At(frame, x, y);
      ++total;
      if (p.r + p.g + p.b < 24) ++dark;
      if (x == cx) continue;
      const double radius = hypot(x - cx, y - cy);
      for (int k = 0; k < ringCount; ++k) {
        if (radius >= r0 * (1 << k) + 1 && radius < r0 * (2 << k) - 1) {
          const int half = x < cx ? 0 : 1;
          sums[k][half][0] += p.r;
          sums[k][half][1] += p.g;
          sums[k][half][2] += p.b;
          ++counts[k][half];
        }
      }
    }
  }
  for (int k = 0; k < ringCount; ++k) {
    ASSERT_GT(counts[k][0], 0) << "ring " << k;
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(sums[k][0][c] / counts[k][0], sums[k][1][c] / counts[k][1], 4.0)
          << "ring " << k << " channel " << c << ": the halves differ";
    }
  }
  EXPECT_LT(dark, total / 20) << "black pixels: the tunnel does not cover the window";
}

// Forty frames after the start the logo has come in from the left along the top: the
// same frame drawn without the logo differs only inside the logo's box, which holds yellow.
TEST_F(RenderOnWine, LogoSlidesInFromTheLeftAlongTheTop) {
  animation = AnimationState{0x00C0FFEE, 0};
  Settings.logos = 0;
  const std::vector<Pixel> without = DrawUpTo(40, "logo-off-40");
  const AnimationState afterForty = animation;

  animation = AnimationState{0x00C0FFEE, 0};
  Settings.logos = 1;
  const std::vector<Pixel> early = DrawUpTo(10, "logo-on-10");
  const std::vector<Pixel> with = DrawUpTo(40, "logo-on-40");
  ASSERT_EQ(animation.frameCounter, afterForty.frameCounter);

  const double d = DeviceState.scene.sceneDiagonal;
  const int left = static_cast<int>(DeviceState.scene.logoLeft) - 1;
  const int right = static_cast<int>(DeviceState.scene.logoLeft + DeviceState.scene.logoWidth) + 2;
  const int top = static_cast<int>(d / 12.0 - d / 16.0 * 1.25) - 1;
  const int bottom = static_cast<int>(d / 12.0 + d / 16.0 * 1.25) + 2;
  EXPECT_GT(left, 0) << "the logo has come fully in";
  int yellow = 0, changedOutside = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inBox = x >= left && x <= right && y >= top && y <= bottom;
      if (inBox && IsLogoYellow(At(with, x, y)) && !IsLogoYellow(At(without, x, y))) ++yellow;
      if (!inBox && !Near(At(with, x, y), At(without, x, y), 2)) ++changedOutside;
    }
  }
  EXPECT_GT(yellow, 500) << "yellow lettering in the logo's box";
  EXPECT_EQ(changedOutside, 0);

  // Ten frames in, the logo is still partly beyond the left edge, squeezed into it.
  int earlyYellowLeft = 0;
  for (int y = top; y <= bottom; ++y) {
    for (int x = 0; x < 40; ++x) earlyYellowLeft += IsLogoYellow(At(early, x, y)) ? 1 : 0;
  }
  EXPECT_GT(earlyYellowLeft, 0);
}

}  // namespace
