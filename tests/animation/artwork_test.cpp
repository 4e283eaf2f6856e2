// Tests of the committed artwork as the program carries it: texture bitmap 108 and icon group 101.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

struct Resource {
  const BYTE* data;
  DWORD size;
};

Resource FindOwnResource(LPCSTR type, LPCSTR name) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, name, type);
  if (found == nullptr) return {nullptr, 0};
  HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, found)};
}

// The texture as the program loads it: a packed DIB, rows bottom-up.
class TextureBitmap : public ::testing::Test {
 protected:
  void SetUp() override {
    resource = FindOwnResource(RT_BITMAP, MAKEINTRESOURCEA(IDB_TEXTURE));
    ASSERT_NE(resource.data, nullptr) << "bitmap 108 is missing";
    ASSERT_EQ(resource.size, 66600u);
    memcpy(&header, resource.data, sizeof(header));
    table = reinterpret_cast<const RGBQUAD*>(resource.data + 40);
    bits = resource.data + 40 + 256 * 4;
  }

  // Palette index of the texel in image row `row` (0 at the top as displayed), column `column`.
  BYTE Texel(int row, int column) const { return bits[(255 - row) * 256 + column]; }
  RGBQUAD Colour(int row, int column) const { return table[Texel(row, column)]; }

  Resource resource;
  BITMAPINFOHEADER header;
  const RGBQUAD* table;
  const BYTE* bits;
};

TEST_F(TextureBitmap, HeaderFields) {
  const struct {
    const char* name;
    long long actual, expected;
  } checks[] = {
      {"biSize", header.biSize, 40},
      {"biWidth", header.biWidth, 256},
      {"biHeight", header.biHeight, 256},
      {"biPlanes", header.biPlanes, 1},
      {"biBitCount", header.biBitCount, 8},
      {"biCompression", header.biCompression, BI_RGB},
      {"biSizeImage", header.biSizeImage, 65536},
      {"biXPelsPerMeter", header.biXPelsPerMeter, 0},
      {"biYPelsPerMeter", header.biYPelsPerMeter, 0},
      {"biClrUsed", header.biClrUsed, 256},
      {"biClrImportant", header.biClrImportant, 256},
  };
  for (const auto& check : checks) EXPECT_EQ(check.actual, check.expected) << check.name;
}

bool IsBlack(const RGBQUAD& c) { return c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0; }

TEST_F(TextureBitmap, ColourTable) {
  EXPECT_TRUE(IsBlack(table[0])) << "entry 0 is the colour key";
  for (int i = 0; i < 256; ++i) EXPECT_EQ(table[i].rgbReserved, 0) << "entry " << i;
  for (int i = 1; i <= 185; ++i) {
    EXPECT_FALSE(IsBlack(table[i])) << "entry " << i;
    // A 16-bit texture keeps five bits a channel; a colour that loses them all would
    // become the black colour key and vanish from the logo.
    EXPECT_NE((table[i].rgbRed | table[i].rgbGreen | table[i].rgbBlue) & 0xF8, 0) << "entry " << i;
  }
  for (int i = 186; i < 256; ++i) EXPECT_TRUE(IsBlack(table[i])) << "entry " << i;
}

TEST_F(TextureBitmap, PixelsUse169IndicesBelow186) {
  std::set<int> used;
  for (int i = 0; i < 65536; ++i) used.insert(bits[i]);
  EXPECT_EQ(used.size(), 169u);
  EXPECT_LE(*used.rbegin(), 185);
  EXPECT_EQ(*used.begin(), 0);
}

TEST_F(TextureBitmap, WallIsOpaqueAndRepeatsEvery128Columns) {
  for (int row = 0; row < 160; ++row) {
    for (int column = 0; column < 256; ++column) {
      ASSERT_NE(Texel(row, column), 0) << "row " << row << " column " << column;
      if (column < 128) {
        ASSERT_EQ(Texel(row, column), Texel(row, column + 128)) << "row " << row << " column " << column;
      }
    }
  }
  // The wall has real structure: many colours in every row, and rows that differ.
  std::set<std::string> rowsSeen;
  for (int row = 0; row < 160; ++row) {
    std::set<int> colours;
    for (int column = 0; column < 128; ++column) colours.insert(Texel(row, column));
    EXPECT_GE(colours.size(), 8u) << "row " << row;
    rowsSeen.insert(std::string(reinterpret_cast<const char*>(bits + (255 - row) * 256), 128));
  }
  EXPECT_GE(rowsSeen.size(), 10u);
}

bool IsYellow(const RGBQUAD& c) { return c.rgbRed >= 150 && c.rgbGreen * 10 >= c.rgbRed * 6; }
bool IsRed(const RGBQUAD& c) {
  return c.rgbRed >= 90 && c.rgbGreen * 100 <= c.rgbRed * 45 && c.rgbBlue * 100 <= c.rgbRed * 45;
}

TEST_F(TextureBitmap, LogoAreaHoldsOnlyTheLogo) {
  int logoTexels = 0;
  for (int row = 160; row < 256; ++row) {
    for (int column = 0; column < 256; ++column) {
      const bool inLogoArea = column >= 1 && column <= 128 && row >= 170 && row <= 233;
      if (!inLogoArea) {
        ASSERT_EQ(Texel(row, column), 0) << "row " << row << " column " << column;
      } else if (Texel(row, column) != 0) {
        ++logoTexels;
      }
    }
  }
  EXPECT_GT(logoTexels, 2000);
}

TEST_F(TextureBitmap, LogoIsYellowLetteringOutlinedInRed) {
  int yellow = 0, red = 0;
  for (int row = 170; row <= 233; ++row) {
    for (int column = 1; column <= 128; ++column) {
      if (Texel(row, column) == 0) continue;
      const RGBQUAD c = Colour(row, column);
      ASSERT_TRUE(IsYellow(c) || IsRed(c)) << "row " << row << " column " << column;
      if (IsYellow(c)) ++yellow;
      if (IsRed(c)) ++red;
      const bool besideBackground = Texel(row - 1, column) == 0 || Texel(row + 1, column) == 0 ||
                                    Texel(row, column - 1) == 0 || Texel(row, column + 1) == 0;
      if (besideBackground) {
        EXPECT_TRUE(IsRed(c)) << "edge texel at row " << row << " column " << column;
      }
    }
  }
  EXPECT_GT(yellow, red) << "the letters are filled in yellow";
  EXPECT_GT(red, 300) << "the letters are outlined in red";

  // Three letters: three separate outlined shapes, each with one yellow fill.
  std::vector<int> label(256 * 256, 0);
  const auto countRegions = [&](bool (*member)(const RGBQUAD&)) {
    std::fill(label.begin(), label.end(), 0);
    int regions = 0;
    for (int row = 170; row <= 233; ++row) {
      for (int column = 1; column <= 128; ++column) {
        if (Texel(row, column) == 0 || !member(Colour(row, column)) || label[row * 256 + column]) continue;
        ++regions;
        std::vector<int> stack{row * 256 + column};
        label[row * 256 + column] = regions;
        while (!stack.empty()) {
          const int at = stack.back();
          stack.pop_back();
          const int r = at / 256, c = at % 256;
          const int next[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
          for (const auto& n : next) {
            const int i = n[0] * 256 + n[1];
            if (Texel(n[0], n[1]) != 0 && member(Colour(n[0], n[1])) && !label[i]) {
              label[i] = regions;
              stack.push_back(i);
            }
          }
        }
      }
    }
    return regions;
  };
  EXPECT_EQ(countRegions([](const RGBQUAD&) { return true; }), 3) << "outlined shapes";
  EXPECT_EQ(countRegions(IsYellow), 3) << "yellow fills";
}

// Icon group 101: one 32 x 32 image with 16 colours at 4 bits per pixel.
#pragma pack(push, 2)
struct GroupIconHeader {
  WORD reserved, type, count;
};
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytesInRes;
  WORD id;
};
#pragma pack(pop)

TEST(Icon, GroupHoldsOne32x32SixteenColourImage) {
  const Resource group = FindOwnResource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_VYK));
  ASSERT_NE(group.data, nullptr) << "icon group 101 is missing";
  ASSERT_EQ(group.size, sizeof(GroupIconHeader) + sizeof(GroupIconEntry));
  GroupIconHeader head;
  GroupIconEntry entry;
  memcpy(&head, group.data, sizeof(head));
  memcpy(&entry, group.data + sizeof(head), sizeof(entry));
  EXPECT_EQ(head.reserved, 0);
  EXPECT_EQ(head.type, 1);
  EXPECT_EQ(head.count, 1);
  EXPECT_EQ(entry.width, 32);
  EXPECT_EQ(entry.height, 32);
  EXPECT_EQ(entry.colourCount, 16);
  EXPECT_EQ(entry.planes, 1);
  EXPECT_EQ(entry.bitCount, 4);

  const Resource image = FindOwnResource(RT_ICON, MAKEINTRESOURCEA(entry.id));
  ASSERT_NE(image.data, nullptr);
  // Header, 16 colours, 32 rows of 16 bytes of colour, 32 rows of 4 bytes of mask.
  EXPECT_EQ(image.size, 40u + 16 * 4 + 32 * 16 + 32 * 4);
  EXPECT_EQ(entry.bytesInRes, image.size);
  BITMAPINFOHEADER bih;
  memcpy(&bih, image.data, sizeof(bih));
  EXPECT_EQ(bih.biSize, 40u);
  EXPECT_EQ(bih.biWidth, 32);
  EXPECT_EQ(bih.biHeight, 64) << "colour and mask";
  EXPECT_EQ(bih.biPlanes, 1);
  EXPECT_EQ(bih.biBitCount, 4);
  EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));

  // The image is not blank: it uses several colours.
  std::set<int> colours;
  for (int i = 0; i < 32 * 16; ++i) {
    const BYTE pair = image.data[40 + 64 + i];
    colours.insert(pair >> 4);
    colours.insert(pair & 15);
  }
  EXPECT_GE(colours.size(), 8u);
}

TEST(Icon, LoadsAs32x32) {
  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VYK), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP mask;
  ASSERT_NE(GetObjectA(info.hbmMask, sizeof(mask), &mask), 0);
  EXPECT_EQ(mask.bmWidth, 32);
  if (info.hbmColor != nullptr) {
    BITMAP colour;
    ASSERT_NE(GetObjectA(info.hbmColor, sizeof(colour), &colour), 0);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(info.hbmColor);
  }
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

}  // namespace
