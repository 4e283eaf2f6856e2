// Texture loader against the fake DirectX: call sequences, format choice, palettes, failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "display/texture.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"
#include "resources/resource_ids.h"
#include "texture_test_support.h"

using ::testing::ElementsAreArray;
using display_test::Append;
using texture_test::CloseChain;
using texture_test::FakeChain;
using texture_test::GdiWatch;
using texture_test::OpenChain;

namespace {

const LPCSTR sceneBitmap = MAKEINTRESOURCEA(IDB_TEXTURE);

DDPIXELFORMAT Format(DWORD flags, DWORD bits) {
  DDPIXELFORMAT format;
  memset(&format, 0, sizeof(format));
  format.dwSize = sizeof(format);
  format.dwFlags = flags;
  format.dwRGBBitCount = bits;
  if (flags & DDPF_RGB) format.dwBBitMask = bits;  // tells formats of one size apart
  return format;
}

const DDPIXELFORMAT rgb565 = fake::RgbFormat(16, 0xF800, 0x07E0, 0x001F);
const DDPIXELFORMAT rgb555 = fake::RgbFormat(16, 0x7C00, 0x03E0, 0x001F);
const DDPIXELFORMAT argb1555 = fake::RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
const DDPIXELFORMAT rgb32 = fake::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF);
const DDPIXELFORMAT palette8 = Format(DDPF_PALETTEINDEXED8, 8);
const DDPIXELFORMAT palette8b = Format(DDPF_PALETTEINDEXED8 | DDPF_RGB, 8);
const DDPIXELFORMAT palette8As4 = Format(DDPF_PALETTEINDEXED4, 8);
const DDPIXELFORMAT palette4 = Format(DDPF_PALETTEINDEXED4, 4);
const DDPIXELFORMAT rgb332 = Format(DDPF_RGB, 8);
const DDPIXELFORMAT alphaOnly16 = Format(DDPF_ALPHA | DDPF_RGB, 16);
const DDPIXELFORMAT plain16 = Format(0, 16);

// ---- format choice

struct FormatCase {
  const char* name;
  std::vector<DDPIXELFORMAT> offered;
  DWORD wanted;
  int chosen;  // index into offered, -1 for none
};

const FormatCase formatCases[] = {
    {"16-bit RGB first, 8-bit palettised later", {rgb565, palette8}, 8, 1},
    {"32 then 16 RGB", {rgb32, rgb565}, 8, 1},
    {"16 then 32 RGB", {rgb565, rgb32}, 8, 0},
    {"two 16-bit RGB: 5-6-5 first", {rgb565, rgb555}, 8, 0},
    {"two 16-bit RGB: 5-5-5 first", {rgb555, rgb565}, 8, 0},
    {"16-bit alpha is never taken", {argb1555, rgb32}, 8, 1},
    {"only 16-bit alpha", {argb1555}, 8, -1},
    {"alpha-only format", {alphaOnly16}, 8, -1},
    {"4-bit palettised never", {palette4}, 8, -1},
    {"4-bit palettised before 32-bit RGB", {palette4, rgb32}, 8, 1},
    {"8-bit flagged 4-bit palettised qualifies", {rgb565, palette8As4}, 8, 1},
    {"8-bit RGB without palette does not qualify", {rgb332}, 8, -1},
    {"16 bits without the RGB flag do not qualify", {plain16}, 8, -1},
    {"two 8-bit palettised: the first", {palette8, palette8b}, 8, 0},
    {"palettised after 32 then 16", {rgb32, rgb565, palette8b}, 8, 2},
    {"nothing offered", {}, 8, -1},
    {"wanted 16: below the wanted count counts as farthest", {palette8, rgb32, rgb565}, 16, 2},
    {"wanted 16: only a smaller format", {palette8}, 16, 0},
    {"wanted 16: exact beats larger", {rgb32, rgb555, rgb565}, 16, 1},
};

class TextureFormatChoice : public ::testing::Test {
 protected:
  void SetUp() override { OpenChain(chain, IID_IDirect3DHALDevice); }
  void TearDown() override {
    CloseChain(chain);
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(fake::Problems(), ElementsAreArray(std::vector<std::string>{}));
  }
  FakeChain chain;
};

TEST_F(TextureFormatChoice, TakesTheNearestQualifyingFormat) {
  for (const FormatCase& test : formatCases) {
    SCOPED_TRACE(test.name);
    fake::config.textureFormats = test.offered;
    fake::ClearLog();
    DDPIXELFORMAT chosen;
    memset(&chosen, 0xcc, sizeof(chosen));
    EXPECT_EQ(D3D_OK, ChooseTextureFormat(chain.device, test.wanted, &chosen));
    DDPIXELFORMAT expected;
    memset(&expected, 0, sizeof(expected));
    if (test.chosen >= 0) expected = test.offered[static_cast<size_t>(test.chosen)];
    EXPECT_EQ(0, memcmp(&expected, &chosen, sizeof(DDPIXELFORMAT)))
        << "flags " << std::hex << chosen.dwFlags << " bits " << std::dec << chosen.dwRGBBitCount;
    EXPECT_THAT(fake::Log(), ElementsAreArray({"Device::EnumTextureFormats(Dev1)"}));
  }
}

TEST_F(TextureFormatChoice, RefusedEnumerationGivesItsResultAndAZeroFormat) {
  fake::FailCall("EnumTextureFormats", 1, DDERR_GENERIC);
  DDPIXELFORMAT chosen;
  memset(&chosen, 0xcc, sizeof(chosen));
  EXPECT_EQ(DDERR_GENERIC, ChooseTextureFormat(chain.device, 8, &chosen));
  DDPIXELFORMAT zero;
  memset(&zero, 0, sizeof(zero));
  EXPECT_EQ(0, memcmp(&zero, &chosen, sizeof(DDPIXELFORMAT)));
}

// ---- palettes from bitmaps

// A DIB section of the given depth whose colour table has count entries, entry i being
// (red i+1, green 2i+1, blue 255-i).
HBITMAP MakeBitmap(WORD bits, DWORD count) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info;
  memset(&info, 0, sizeof(info));
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = 16;
  info.header.biHeight = 16;
  info.header.biPlanes = 1;
  info.header.biBitCount = bits;
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = count;
  for (DWORD i = 0; i < count; ++i) {
    info.colours[i].rgbRed = static_cast<BYTE>(i + 1);
    info.colours[i].rgbGreen = static_cast<BYTE>(2 * i + 1);
    info.colours[i].rgbBlue = static_cast<BYTE>(255 - i);
    info.colours[i].rgbReserved = 0x5a;
  }
  void* pixels = nullptr;
  return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
}

struct PaletteCase {
  WORD bits;
  DWORD colours;
  const char* call;  // expected log, null for none
  DWORD entryCount;  // entries the fake palette keeps
};

// GDI reports the whole colour table of a DIB section of 8 bits or fewer, the entries
// past biClrUsed as black, so a count between 17 and 255 does not arise here.
const PaletteCase paletteCases[] = {
    {8, 256, "DD::CreatePalette(0x4,entries)", 256},
    {8, 17, "DD::CreatePalette(0x4,entries)", 256},
    {4, 16, "DD::CreatePalette(0x1,entries)", 16},
    {4, 5, "DD::CreatePalette(0x1,entries)", 16},
    {1, 2, "DD::CreatePalette(0x1,entries)", 16},
    {24, 0, nullptr, 0},
};

TEST_F(TextureFormatChoice, BitmapPaletteTakesTheColourTableAndZeroesTheRest) {
  for (const PaletteCase& test : paletteCases) {
    SCOPED_TRACE(std::to_string(test.bits) + " bits, " + std::to_string(test.colours) + " colours");
    HBITMAP bitmap = MakeBitmap(test.bits, test.colours);
    ASSERT_NE(nullptr, bitmap);
    PALETTEENTRY table[256];
    memset(table, 0xab, sizeof(table));
    fake::ClearLog();
    IDirectDrawPalette* palette = CreateBitmapPalette(chain.directDraw, bitmap, table);
    DeleteObject(bitmap);
    for (DWORD i = 0; i < 256; ++i) {
      PALETTEENTRY want = {0, 0, 0, 0};
      if (i < test.colours) want = {static_cast<BYTE>(i + 1), static_cast<BYTE>(2 * i + 1), static_cast<BYTE>(255 - i), 0};
      ASSERT_EQ(0, memcmp(&want, &table[i], sizeof(PALETTEENTRY))) << "entry " << i;
    }
    if (!test.call) {
      EXPECT_EQ(nullptr, palette);
      EXPECT_TRUE(fake::Log().empty());
      continue;
    }
    EXPECT_THAT(fake::Log(), ElementsAreArray({test.call}));
    ASSERT_NE(nullptr, palette);
    fake::PaletteInfo* info = fake::Palette(fake::NameOf(palette));
    ASSERT_NE(nullptr, info);
    ASSERT_EQ(test.entryCount, info->entryCount);
    EXPECT_EQ(0, memcmp(table, info->entries, test.entryCount * sizeof(PALETTEENTRY)));
    EXPECT_EQ(0u, palette->Release());
  }
}

TEST_F(TextureFormatChoice, RefusedPaletteIsNull) {
  HBITMAP bitmap = MakeBitmap(8, 256);
  PALETTEENTRY table[256];
  fake::FailCall("CreatePalette", 1, DDERR_OUTOFMEMORY);
  EXPECT_EQ(nullptr, CreateBitmapPalette(chain.directDraw, bitmap, table));
  DeleteObject(bitmap);
}

// ---- whole loads

// The colours of the scene bitmap, top row first, as 0x00RRGGBB.
std::vector<DWORD> SceneBitmapPixels() {
  std::vector<DWORD> pixels;
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), sceneBitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return pixels;
  DIBSECTION dib;
  GetObjectA(bitmap, sizeof(dib), &dib);
  RGBQUAD colours[256];
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  GetDIBColorTable(dc, 0, 256, colours);
  SelectObject(dc, previous);
  DeleteDC(dc);
  const BYTE* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
  for (LONG y = 0; y < dib.dsBm.bmHeight; ++y) {
    const BYTE* row = bits + (dib.dsBm.bmHeight - 1 - y) * dib.dsBm.bmWidthBytes;
    for (LONG x = 0; x < dib.dsBm.bmWidth; ++x) {
      const RGBQUAD& c = colours[row[x]];
      pixels.push_back(static_cast<DWORD>(c.rgbRed) << 16 | static_cast<DWORD>(c.rgbGreen) << 8 | c.rgbBlue);
    }
  }
  DeleteObject(bitmap);
  return pixels;
}

std::vector<PALETTEENTRY> SceneBitmapPalette() {
  std::vector<PALETTEENTRY> entries(256, PALETTEENTRY{0, 0, 0, 0});
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), sceneBitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  RGBQUAD colours[256];
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  UINT count = GetDIBColorTable(dc, 0, 256, colours);
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  for (UINT i = 0; i < count; ++i) entries[i] = {colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue, 0};
  return entries;
}

void ExpectPixels(const std::vector<DWORD>& want, const fake::SurfaceInfo* surface, const char* what) {
  ASSERT_NE(nullptr, surface) << what;
  ASSERT_NE(nullptr, surface->pixels) << what << " was never drawn";
  ASSERT_EQ(want.size(), static_cast<size_t>(surface->desc.dwWidth) * surface->desc.dwHeight) << what;
  int mismatches = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    if ((surface->pixels[i] & 0xFFFFFFu) != want[i] && mismatches++ < 3) {
      ADD_FAILURE() << what << ": pixel " << i % 256 << "," << i / 256 << " is " << std::hex << surface->pixels[i]
                    << ", bitmap has " << want[i];
    }
  }
  EXPECT_EQ(0, mismatches) << what;
}

// The texture load's steps: the device's DirectDraw object found through its render target
// and let go again, then the formats and the device's description read.
const char* const directDrawOfTheDevice[] = {
    "Device::GetRenderTarget(Dev1)",
    "Surface::QueryInterface(S1,IID_IDirectDrawSurface2)",
    "Surface::Release(S1)",
    "Surface2::GetDDInterface(S1)",
    "Surface2::Release(S1)",
    "DD::Release()",
};

const char* const formatsAndCaps[] = {
    "Device::EnumTextureFormats(Dev1)",
    "Device::GetCaps(Dev1,204,204)",
};

// Then, on the hardware device: a video-memory texture filled from a system-memory source
// surface, and its handle.
const char* const hardwareTexture[] = {
    "DD::CreateSurface({flags=0x1007,caps=0x4005000,w=256,h=256,pf={32,0x40,16}})",
    "Surface::SetColorKey(S2,0x8,{0x0,0x0})",
    "DD::CreateSurface({flags=0x1007,caps=0x1800,w=256,h=256,pf={32,0x40,16}})",
    "Surface::GetDC(S3)",
    "Surface::ReleaseDC(S3,dc)",
    "Surface::Restore(S2)",
    "Surface::QueryInterface(S2,IID_IDirect3DTexture2)",
    "Surface::QueryInterface(S3,IID_IDirect3DTexture2)",
    "Texture::Load(S2,S3)",
    "Texture::Release(S2)",
    "Texture::Release(S3)",
    "Surface::QueryInterface(S2,IID_IDirect3DTexture2)",
    "Texture::GetHandle(S2,Dev1)",
    "Texture::Release(S2)",
};

// Or, on a software device: one palettized system-memory surface serving as both.
const char* const softwareTexture[] = {
    "DD::CreateSurface({flags=0x1007,caps=0x1800,w=256,h=256,pf={32,0x20,8}})",
    "Surface::SetColorKey(S2,0x8,{0x0,0x0})",
    "Surface::AddRef(S2)",
    "DD::CreatePalette(0x4,entries)",
    "Surface::SetPalette(S2,P1)",
    "Surface::SetPalette(S2,P1)",
    "Surface::GetDC(S2)",
    "Surface::ReleaseDC(S2,dc)",
    "Surface::QueryInterface(S2,IID_IDirect3DTexture2)",
    "Texture::GetHandle(S2,Dev1)",
    "Texture::Release(S2)",
};

// The whole load: the DirectDraw object, formats and caps, then the texture's own steps.
template <size_t N>
std::vector<std::string> LoadSteps(const char* const (&texture)[N]) {
  std::vector<std::string> steps;
  Append(steps, directDrawOfTheDevice);
  Append(steps, formatsAndCaps);
  Append(steps, texture);
  return steps;
}

class TextureLoad : public ::testing::Test {
 protected:
  void TearDown() override {
    holder.ReleaseTexture();
    CloseChain(chain);
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(fake::Problems(), ElementsAreArray(std::vector<std::string>{}));
  }
  FakeChain chain;
  TextureHolder holder;
};

TEST_F(TextureLoad, HardwareDeviceLoadsAVideoTextureFromItsOwnSourceSurface) {
  OpenChain(chain, IID_IDirect3DHALDevice);
  fake::config.textureFormats = {rgb565, rgb32, palette4};
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  EXPECT_THAT(fake::Log(), ElementsAreArray(LoadSteps(hardwareTexture)));
  EXPECT_EQ("S3", fake::NameOf(holder.sourceSurface));
  EXPECT_EQ("S2", fake::NameOf(holder.textureSurface));
  EXPECT_EQ(nullptr, holder.texturePalette);
  EXPECT_EQ(2u, holder.textureHandle);  // the fake's handle is the surface number
  const std::vector<DWORD> want = SceneBitmapPixels();
  ExpectPixels(want, fake::Surface("S3"), "source surface");
  ASSERT_NE(nullptr, fake::Surface("S2"));
  EXPECT_EQ("S3", fake::Surface("S2")->loadedFrom);
  ExpectPixels(want, fake::Surface("S2"), "texture surface");
  EXPECT_TRUE(fake::Surface("S2")->hasSourceKey);

  fake::ClearLog();
  holder.ReleaseTexture();
  EXPECT_THAT(fake::Log(), ElementsAreArray({"Surface::Release(S3)", "Surface::Release(S2)"}));
  EXPECT_EQ(nullptr, holder.sourceSurface);
  EXPECT_EQ(nullptr, holder.textureSurface);
  EXPECT_EQ(0u, holder.textureHandle);
}

TEST_F(TextureLoad, SoftwareDeviceUsesOneSurfaceTwiceWithThePalette) {
  OpenChain(chain, IID_IDirect3DRampDevice);
  fake::config.textureFormats = {rgb565, palette8, rgb32};
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  EXPECT_THAT(fake::Log(), ElementsAreArray(LoadSteps(softwareTexture)));
  EXPECT_EQ(holder.sourceSurface, holder.textureSurface);
  ASSERT_NE(nullptr, fake::Surface("S2"));
  EXPECT_EQ(2, fake::Surface("S2")->refs);
  EXPECT_EQ("P1", fake::Surface("S2")->palette);
  EXPECT_EQ(2u, holder.textureHandle);
  ExpectPixels(SceneBitmapPixels(), fake::Surface("S2"), "texture surface");

  fake::PaletteInfo* palette = fake::Palette("P1");
  ASSERT_NE(nullptr, palette);
  EXPECT_EQ(static_cast<DWORD>(DDPCAPS_8BIT), palette->caps);
  const std::vector<PALETTEENTRY> want = SceneBitmapPalette();
  for (DWORD i = 0; i < 256; ++i) {
    EXPECT_EQ(0, memcmp(&want[i], &palette->entries[i], sizeof(PALETTEENTRY))) << "entry " << i;
  }

  fake::ClearLog();
  holder.ReleaseTexture();
  EXPECT_THAT(fake::Log(), ElementsAreArray({"Surface::Release(S2)", "Surface::Release(S2)", "Palette::Release(P1)"}));
  EXPECT_EQ(nullptr, holder.texturePalette);
}

TEST_F(TextureLoad, WithoutAQualifyingFormatTheSurfaceGetsAnAllZeroPixelFormat) {
  OpenChain(chain, IID_IDirect3DHALDevice);
  fake::config.textureFormats = {argb1555, palette4};
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  const std::vector<std::string>& log = fake::Log();
  ASSERT_GT(log.size(), 8u);
  EXPECT_EQ("DD::CreateSurface({flags=0x1007,caps=0x4005000,w=256,h=256,pf={0,0x0,0}})", log[8]);
  DDPIXELFORMAT zero;
  memset(&zero, 0, sizeof(zero));
  for (const char* name : {"S2", "S3"}) {
    ASSERT_NE(nullptr, fake::Surface(name));
    EXPECT_EQ(0, memcmp(&zero, &fake::Surface(name)->desc.ddpfPixelFormat, sizeof(zero))) << name;
  }
}

TEST_F(TextureLoad, SecondLoadFirstReleasesTheEarlierTexture) {
  OpenChain(chain, IID_IDirect3DRampDevice);
  fake::config.textureFormats = {palette8};
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  fake::ClearLog();
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  const std::vector<std::string>& log = fake::Log();
  ASSERT_GT(log.size(), 9u);
  const std::vector<std::string> head(log.begin(), log.begin() + 10);
  std::vector<std::string> expected;
  Append(expected, directDrawOfTheDevice);
  expected.insert(expected.end(), {"Surface::Release(S2)", "Surface::Release(S2)", "Palette::Release(P1)"});
  expected.push_back(formatsAndCaps[0]);
  EXPECT_THAT(head, ElementsAreArray(expected));
  EXPECT_EQ(0, fake::Surface("S2")->refs);
  EXPECT_EQ(0, fake::Palette("P1")->refs);
  EXPECT_EQ("S3", fake::NameOf(holder.textureSurface));
  EXPECT_EQ("P2", fake::NameOf(holder.texturePalette));
  EXPECT_EQ(3u, holder.textureHandle);
}

TEST_F(TextureLoad, RefusedTextureSurfaceDeletesTheBitmapAndEmptiesTheHolder) {
  OpenChain(chain, IID_IDirect3DHALDevice);
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  fake::ClearLog();
  fake::FailCall("DD::CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
  GdiWatch watch;
  EXPECT_EQ(0, holder.LoadTexture(chain.device, sceneBitmap));
  EXPECT_EQ(1u, watch.Loaded().size());
  EXPECT_EQ(watch.Loaded(), watch.Deleted());
  EXPECT_EQ(nullptr, holder.sourceSurface);
  EXPECT_EQ(nullptr, holder.textureSurface);
  EXPECT_EQ(nullptr, holder.texturePalette);
  EXPECT_EQ(0u, holder.textureHandle);
  const std::vector<std::string>& log = fake::Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ("DD::CreateSurface({flags=0x1007,caps=0x4005000,w=256,h=256,pf={32,0x40,16}})", log.back());
}

TEST_F(TextureLoad, WithoutDirectDrawOrBitmapTheHolderIsUntouched) {
  OpenChain(chain, IID_IDirect3DRampDevice);
  fake::config.textureFormats = {palette8};
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  IDirectDrawSurface* const surface = holder.textureSurface;
  IDirectDrawPalette* const palette = holder.texturePalette;
  const DWORD handle = holder.textureHandle;
  EXPECT_EQ(0, holder.LoadTexture(nullptr, sceneBitmap));
  fake::FailCall("Device::GetRenderTarget", 1, DDERR_GENERIC);
  EXPECT_EQ(0, holder.LoadTexture(chain.device, sceneBitmap));
  fake::FailCall("IID_IDirectDrawSurface2", 1, E_NOINTERFACE);
  EXPECT_EQ(0, holder.LoadTexture(chain.device, sceneBitmap));
  fake::FailCall("GetDDInterface", 1, DDERR_GENERIC);
  EXPECT_EQ(0, holder.LoadTexture(chain.device, sceneBitmap));
  GdiWatch watch;
  EXPECT_EQ(0, holder.LoadTexture(chain.device, MAKEINTRESOURCEA(4321)));
  EXPECT_EQ(0, holder.LoadTexture(chain.device, "no such texture.bmp"));
  EXPECT_TRUE(watch.Loaded().empty());
  EXPECT_EQ(surface, holder.textureSurface);
  EXPECT_EQ(surface, holder.sourceSurface);
  EXPECT_EQ(palette, holder.texturePalette);
  EXPECT_EQ(handle, holder.textureHandle);
  EXPECT_EQ(2, fake::Surface("S2")->refs);
}

TEST_F(TextureLoad, SixteenColourBitmapFileGetsA4BitPalette) {
  OpenChain(chain, IID_IDirect3DRampDevice);
  fake::config.textureFormats = {palette8};
  char path[MAX_PATH];
  GetTempPathA(sizeof(path), path);
  strcat(path, "vyk-16-colours.bmp");
  HBITMAP bitmap = MakeBitmap(4, 16);
  ASSERT_TRUE(texture_test::WriteBitmapFile(path, bitmap));
  DeleteObject(bitmap);
  ASSERT_EQ(1, holder.LoadTexture(chain.device, path));
  DeleteFileA(path);
  ASSERT_NE(nullptr, holder.texturePalette);
  fake::PaletteInfo* palette = fake::Palette(fake::NameOf(holder.texturePalette));
  ASSERT_NE(nullptr, palette);
  EXPECT_EQ(static_cast<DWORD>(DDPCAPS_4BIT), palette->caps);
  EXPECT_EQ(16u, fake::Surface("S2")->desc.dwWidth);
  PALETTEENTRY third = {3, 5, 253, 0};
  EXPECT_EQ(0, memcmp(&third, &palette->entries[2], sizeof(third)));
}

// What LoadTexture makes of each refused call of a load on the hardware device.
struct RefusalCase {
  const char* call;  // log line of the refused call
  int occurrence;    // which of the calls with that line
  int result;        // LoadTexture's result
  bool filled;       // the holder keeps a texture
  DWORD handle;
};

const RefusalCase refusalCases[] = {
    {"Device::GetRenderTarget(Dev1)", 1, 0, false, 0},
    {"Surface::QueryInterface(S1,IID_IDirectDrawSurface2)", 1, 0, false, 0},
    {"Surface2::GetDDInterface(S1)", 1, 0, false, 0},
    // No format: the surfaces get an all-zero pixel format and the load goes on.
    {"Device::EnumTextureFormats(Dev1)", 1, 1, true, 2},
    // No hardware description: the device is taken for a software one.
    {"Device::GetCaps(Dev1,204,204)", 1, 1, true, 2},
    {"DD::CreateSurface({flags=0x1007,caps=0x4005000,w=256,h=256,pf={32,0x40,16}})", 1, 0, false, 0},
    {"Surface::SetColorKey(S2,0x8,{0x0,0x0})", 1, 1, true, 2},
    {"DD::CreateSurface({flags=0x1007,caps=0x1800,w=256,h=256,pf={32,0x40,16}})", 1, 0, false, 0},
    {"Surface::GetDC(S3)", 1, 1, true, 2},
    {"Surface::ReleaseDC(S3,dc)", 1, 1, true, 2},
    {"Surface::Restore(S2)", 1, 0, false, 0},
    {"Surface::QueryInterface(S2,IID_IDirect3DTexture2)", 1, 0, false, 0},
    {"Surface::QueryInterface(S3,IID_IDirect3DTexture2)", 1, 0, false, 0},
    {"Texture::Load(S2,S3)", 1, 0, false, 0},
    // Without the texture interface or its handle the texture stays, with handle 0.
    {"Surface::QueryInterface(S2,IID_IDirect3DTexture2)", 2, 1, true, 0},
    {"Texture::GetHandle(S2,Dev1)", 1, 1, true, 0},
};

TEST_F(TextureLoad, EachRefusedCallHasItsOwnOutcome) {
  OpenChain(chain, IID_IDirect3DHALDevice);
  ASSERT_EQ(1, holder.LoadTexture(chain.device, sceneBitmap));
  const std::vector<fake::InjectionPoint> points = fake::InjectionPoints();
  holder.ReleaseTexture();
  CloseChain(chain);
  ASSERT_EQ(sizeof(refusalCases) / sizeof(refusalCases[0]), points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    const RefusalCase& test = refusalCases[i];
    SCOPED_TRACE(std::string(test.call) + " #" + std::to_string(test.occurrence));
    ASSERT_EQ(test.call, points[i].pattern);
    ASSERT_EQ(test.occurrence, points[i].occurrence);
    OpenChain(chain, IID_IDirect3DHALDevice);
    fake::FailCall(test.call, test.occurrence, DDERR_GENERIC);
    GdiWatch watch;
    const int result = holder.LoadTexture(chain.device, sceneBitmap);
    EXPECT_EQ(watch.Loaded(), watch.Deleted());
    EXPECT_EQ(test.result, result);
    EXPECT_EQ(test.filled, holder.textureSurface != nullptr);
    EXPECT_EQ(test.filled, holder.sourceSurface != nullptr);
    EXPECT_EQ(test.handle, holder.textureHandle);
    holder.ReleaseTexture();
    CloseChain(chain);
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(fake::Problems(), ElementsAreArray(std::vector<std::string>{}));
  }
}

}  // namespace
