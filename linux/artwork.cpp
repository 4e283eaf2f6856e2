// The saver's artwork, resources/texture.bmp, linked into the hack and decoded into RGBA texels.
#include "linux/hack.h"

#include <stddef.h>
#include <string.h>

// The bitmap file itself is assembled into the program; the build names its path.
__asm__(
    ".section .rodata\n"
    ".balign 4\n"
    "vykArtworkBegin:\n"
    ".incbin \"" VYK_TEXTURE_BMP "\"\n"
    "vykArtworkEnd:\n"
    ".previous\n");
extern "C" const uint8_t vykArtworkBegin[];
extern "C" const uint8_t vykArtworkEnd[];

namespace {

constexpr int32_t artworkSize = 256;  // width and height of the texture in texels
constexpr uint32_t fileHeaderSize = 14;

uint32_t Read32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t Read16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

}  // namespace

// The Windows saver keys out black (its colour key 0) in the logo strip; here black
// becomes alpha 0, and the alpha test does the keying for that strip only.
int DecodeArtwork(uint8_t* rgba) {
  const uint8_t* file = vykArtworkBegin;
  const size_t fileSize = static_cast<size_t>(vykArtworkEnd - vykArtworkBegin);
  if (fileSize < fileHeaderSize + 40 || file[0] != 'B' || file[1] != 'M') return 0;
  const uint32_t pixelOffset = Read32(file + 10);
  const uint8_t* info = file + fileHeaderSize;
  const uint32_t infoSize = Read32(info);
  const int32_t width = static_cast<int32_t>(Read32(info + 4));
  const int32_t height = static_cast<int32_t>(Read32(info + 8));
  const uint16_t bitCount = Read16(info + 14);
  const uint32_t compression = Read32(info + 16);
  uint32_t colourCount = Read32(info + 32);
  if (colourCount == 0) colourCount = 256;
  if (width != artworkSize || height != artworkSize || bitCount != 8 || compression != 0 || colourCount > 256) {
    return 0;
  }
  const uint8_t* palette = info + infoSize;
  if (palette + 4 * colourCount > file + fileSize) return 0;
  if (static_cast<size_t>(pixelOffset) + static_cast<size_t>(artworkSize) * artworkSize > fileSize) return 0;

  // Rows are stored bottom-up; texture row 0 (v = 0) is the top row as displayed.
  for (int32_t row = 0; row < artworkSize; ++row) {
    const uint8_t* source = file + pixelOffset + static_cast<size_t>(artworkSize - 1 - row) * artworkSize;
    uint8_t* target = rgba + static_cast<size_t>(row) * artworkSize * 4;
    for (int32_t column = 0; column < artworkSize; ++column) {
      const uint32_t index = source[column];
      uint8_t colour[3] = {0, 0, 0};
      if (index < colourCount) {
        const uint8_t* entry = palette + 4 * index;  // blue, green, red, reserved
        colour[0] = entry[2];
        colour[1] = entry[1];
        colour[2] = entry[0];
      }
      memcpy(target + 4 * column, colour, 3);
      target[4 * column + 3] = (colour[0] | colour[1] | colour[2]) == 0 ? 0 : 255;
    }
  }
  return 1;
}
