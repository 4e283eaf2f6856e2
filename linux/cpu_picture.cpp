// The CPU picture: the title sequence drawn without OpenGL, as the OpenGL scene draws it.
//
// The scene's vertices are Direct3D's pre-transformed ones: pixel centres at whole coordinates,
// y downwards, one rhw for all, so each triangle maps the texture affinely in screen space.
// Triangles are rasterised as Direct3D does: vertices snapped to 1/256 pixel, a pixel is the
// triangle's when its centre lies inside, or on a top or left edge. Texture coordinates are
// fixed point with 2^32 for one wrap of the 256-texel texture, so the repeat wrap is the
// integers' own, and the top eight bits are the texel.
//
// The tunnel's positions never move for a size: a frame only scrolls each band's texture, all
// of the band's u by one amount and all of its v by the row drift. So the tunnel is rasterised
// once into runs of pixels of one triangle, each run holding its texture coordinate less that of
// its band's reference vertex, and a frame adds the reference vertex's current coordinate.
// The logo moves every frame and is rasterised every frame, with the alpha test's colour key.
// As in OpenGL, a triangle of at most one texel a pixel is magnified (point or bilinear filter,
// by the linear option), any other minified with the point filter.
#include <math.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <stdlib.h>
#include <string.h>

#include "animation/animation.h"
#include "linux/hack.h"

namespace {

constexpr int32_t textureSize = 256;          // the artwork's width and height in texels
constexpr int32_t subpixelSteps = 256;        // vertex positions are snapped to 1/256 pixel
constexpr double wrapUnits = 4294967296.0;    // fixed-point units in one texture wrap
constexpr uint16_t uncovered = cpuTunnelTriangles;  // CpuSpan.triangle of a run no triangle covers
constexpr int32_t bandCount = 1 + ringCount;

// The artwork as 0x00RRGGBB words, top row first; black is the colour key. Decoded once, shared
// by every picture.
uint32_t cpuTexels[textureSize * textureSize];
int cpuTexelsReady = 0;

// The artwork again with its first column repeated after the last and its first row after the
// last: a bilinear cell's two texels of a row are then adjacent, and its next row one stride
// on, wherever the repeat wrap falls.
constexpr int32_t paddedStride = textureSize + 1;
uint32_t cpuPaddedTexels[paddedStride * paddedStride];

// A triangle's edges in fixed point (1/256 pixel), oriented so that its inside is positive.
struct EdgeSetup {
  int64_t dx;    // x of the edge's end less its start
  int64_t dy;    // y likewise
  int64_t ax;    // x of its start
  int64_t ay;    // y of its start
  int64_t bias;  // 0 when a pixel centre on the edge is inside (top and left edges), 1 otherwise
};

// One triangle ready to be walked row by row: its coverage and its affine texture mapping.
struct TriangleSetup {
  EdgeSetup edges[3];  // the three edges
  int32_t firstRow;    // first row whose centre may lie inside
  int32_t lastRow;     // last such row
  double u0;           // texture u at pixel (0, 0) of the plane, 1 = one wrap
  double v0;           // texture v likewise
  double dudx;         // u per pixel rightwards
  double dudy;         // u per row downwards
  double dvdx;         // v per pixel rightwards
  double dvdy;         // v per row downwards
  int32_t magnified;   // non-zero: OpenGL's level of detail is at most 0
};

int64_t FloorDivide(int64_t numerator, int64_t denominator) {
  const int64_t quotient = numerator / denominator;
  return (numerator % denominator != 0 && numerator < 0) ? quotient - 1 : quotient;
}

int64_t CeilDivide(int64_t numerator, int64_t denominator) { return -FloorDivide(-numerator, denominator); }

int64_t Snap(float coordinate) { return llround(static_cast<double>(coordinate) * subpixelSteps); }

uint32_t ToWrap(double coordinate) { return static_cast<uint32_t>(llround(coordinate * wrapUnits)); }

EdgeSetup MakeEdge(int64_t ax, int64_t ay, int64_t bx, int64_t by) {
  const int64_t dx = bx - ax;
  const int64_t dy = by - ay;
  // With y downwards and the inside on the positive side, a left edge runs upwards and a top edge rightwards.
  const int64_t bias = (dy < 0 || (dy == 0 && dx > 0)) ? 0 : 1;
  return EdgeSetup{dx, dy, ax, ay, bias};
}

// Sets up the triangle of three vertices, with texture coordinates less (uBase, vBase).
// Returns 0 for a triangle of no area, which covers no pixel.
int SetUpTriangle(const TLVertex& a, const TLVertex& b, const TLVertex& c, double uBase, double vBase,
                  TriangleSetup& setup) {
  setup = TriangleSetup{};
  int64_t x[3] = {Snap(a.sx), Snap(b.sx), Snap(c.sx)};
  int64_t y[3] = {Snap(a.sy), Snap(b.sy), Snap(c.sy)};
  const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
  if (area == 0) return 0;
  const int second = area > 0 ? 1 : 2;
  const int third = area > 0 ? 2 : 1;
  setup.edges[0] = MakeEdge(x[0], y[0], x[second], y[second]);
  setup.edges[1] = MakeEdge(x[second], y[second], x[third], y[third]);
  setup.edges[2] = MakeEdge(x[third], y[third], x[0], y[0]);
  int64_t top = y[0];
  int64_t bottom = y[0];
  for (int k = 1; k < 3; ++k) {
    top = y[k] < top ? y[k] : top;
    bottom = y[k] > bottom ? y[k] : bottom;
  }
  setup.firstRow = static_cast<int32_t>(CeilDivide(top, subpixelSteps));
  setup.lastRow = static_cast<int32_t>(FloorDivide(bottom, subpixelSteps));

  // The plane through the vertices as they are given, as OpenGL interpolates.
  const double x0 = a.sx, y0 = a.sy;
  const double x1 = static_cast<double>(b.sx) - x0, y1 = static_cast<double>(b.sy) - y0;
  const double x2 = static_cast<double>(c.sx) - x0, y2 = static_cast<double>(c.sy) - y0;
  const double determinant = x1 * y2 - x2 * y1;
  if (determinant == 0.0) return 0;
  const double ua = a.tu - uBase, u1 = b.tu - static_cast<double>(a.tu), u2 = c.tu - static_cast<double>(a.tu);
  const double va = a.tv - vBase, v1 = b.tv - static_cast<double>(a.tv), v2 = c.tv - static_cast<double>(a.tv);
  setup.dudx = (u1 * y2 - u2 * y1) / determinant;
  setup.dudy = (u2 * x1 - u1 * x2) / determinant;
  setup.dvdx = (v1 * y2 - v2 * y1) / determinant;
  setup.dvdy = (v2 * x1 - v1 * x2) / determinant;
  setup.u0 = ua - setup.dudx * x0 - setup.dudy * y0;
  setup.v0 = va - setup.dvdx * x0 - setup.dvdy * y0;
  // OpenGL's scale factor: the longer of the texel steps along x and along y.
  const double alongX = (setup.dudx * setup.dudx + setup.dvdx * setup.dvdx) * textureSize * textureSize;
  const double alongY = (setup.dudy * setup.dudy + setup.dvdy * setup.dvdy) * textureSize * textureSize;
  setup.magnified = (alongX > alongY ? alongX : alongY) <= 1.0;
  return 1;
}

// The columns of row whose centres the triangle covers, clipped to [0, width); 0 when none.
int RowSpan(const TriangleSetup& setup, int32_t row, int32_t width, int32_t& first, int32_t& last) {
  int64_t low = 0;
  int64_t high = width - 1;
  const int64_t centreY = static_cast<int64_t>(row) * subpixelSteps;
  for (const EdgeSetup& edge : setup.edges) {
    // Inside: dx * (centreY - ay) - dy * (256 x - ax) - bias >= 0.
    const int64_t constant = edge.dx * (centreY - edge.ay) + edge.dy * edge.ax - edge.bias;
    if (edge.dy == 0) {
      if (constant < 0) return 0;
    } else if (edge.dy < 0) {
      const int64_t bound = CeilDivide(-constant, -edge.dy * subpixelSteps);
      low = bound > low ? bound : low;
    } else {
      const int64_t bound = FloorDivide(constant, edge.dy * subpixelSteps);
      high = bound < high ? bound : high;
    }
  }
  if (low > high) return 0;
  first = static_cast<int32_t>(low);
  last = static_cast<int32_t>(high);
  return 1;
}

// Texel (column, row) after the repeat wrap, from a fixed-point texture coordinate.
inline uint32_t TexelAt(uint32_t u, uint32_t v) { return cpuTexels[((v >> 16) & 0xFF00u) | (u >> 24)]; }

// a towards b by weight / 256, each channel.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t rest = 256u - weight;
  const uint32_t redBlue = (((a & 0xFF00FFu) * rest + (b & 0xFF00FFu) * weight + 0x800080u) >> 8) & 0xFF00FFu;
  const uint32_t green = (((a & 0x00FF00u) * rest + (b & 0x00FF00u) * weight + 0x8000u) >> 8) & 0x00FF00u;
  return redBlue | green;
}

// OpenGL's bilinear filter: the four texels round the sample, whose centres lie at half
// coordinates, weighted to 1/256 texel. The colour key's alpha is filtered alike, in the
// blue byte of *alpha (255 opaque).
inline uint32_t Bilinear(uint32_t u, uint32_t v, uint32_t* alpha) {
  const uint32_t s = (((u + 0x8000u) >> 16) - 128u) & 0xFFFFu;
  const uint32_t t = (((v + 0x8000u) >> 16) - 128u) & 0xFFFFu;
  const uint32_t column0 = s >> 8, column1 = (column0 + 1u) & 0xFFu;
  const uint32_t row0 = (t >> 8) << 8, row1 = (row0 + 256u) & 0xFF00u;
  const uint32_t t00 = cpuTexels[row0 | column0], t01 = cpuTexels[row0 | column1];
  const uint32_t t10 = cpuTexels[row1 | column0], t11 = cpuTexels[row1 | column1];
  if (alpha != nullptr) {
    const uint32_t top = Lerp(t00 != 0 ? 255u : 0u, t01 != 0 ? 255u : 0u, s & 0xFFu);
    const uint32_t bottom = Lerp(t10 != 0 ? 255u : 0u, t11 != 0 ? 255u : 0u, s & 0xFFu);
    *alpha = Lerp(top, bottom, t & 0xFFu);
  }
  return Lerp(Lerp(t00, t01, s & 0xFFu), Lerp(t10, t11, s & 0xFFu), t & 0xFFu);
}

// Where a run's sample leaves one texel cell after another, for one of its coordinates. The
// place where the coordinate crosses its cell's edge is kept as a real pixel position, from
// the run's first pixel, in fixed point with 40 fraction bits; a whole cell further on it is
// one constant more, so each cell costs an addition and no division. Every value is rounded
// down, so the kept position is never past the true one, and short of it by under
// (cells + 2) / 2^40 pixel: under 2^-24 on any run of at most 65535 pixels, where the true
// position, a distance in 1/2^24 texel over a step of at most 2^24, lies 1/step >= 2^-24 past
// a whole pixel or on one. The first pixel past the cell, the position rounded up, is then
// exactly the one where the coordinate's top byte changes.
struct CellWalk {
  uint64_t edge;    // where the cell ends, plus one pixel less one unit: whole part = first pixel past it
  uint64_t across;  // pixels across a whole cell in the same fixed point; see CellPixels
};

constexpr int32_t walkFraction = 40;                           // fraction bits of a walk's pixel positions
constexpr uint64_t walkRoundUp = (uint64_t{1} << walkFraction) - 1u;  // added so the whole part rounds up
constexpr uint64_t pastAnyRun = uint64_t{1} << (16 + walkFraction);  // 65536 pixels: more than any row holds

// Pixels across one cell for a coordinate moving step (1/2^24 texel, signed, at most a texel)
// a pixel, rounded down. Steps of at most 1/65536 texel take 65536 pixels, more than a run
// holds: the cell then lasts the run whatever the exact figure, and it is kept in range.
uint64_t CellPixels(uint32_t step) {
  const int32_t signedStep = static_cast<int32_t>(step);
  const int64_t wideStep = signedStep;
  const uint64_t size = static_cast<uint64_t>(wideStep >= 0 ? wideStep : -wideStep);
  if (size <= 256u || size > 0x1000000u) return pastAnyRun;
  return ((0x1000000u / size) << walkFraction) + (((0x1000000u % size) << walkFraction) / size);
}

// The walk of a coordinate at first (1/2^24 texel, cell = top byte) moving step a pixel,
// signed, across cells across pixels wide (CellPixels of the step).
CellWalk StartCellWalk(uint32_t first, int32_t step, uint64_t across) {
  if (step == 0) return CellWalk{pastAnyRun, 0};
  const uint64_t fraction = first & 0xFFFFFFu;
  // In 1/2^24 texel, how far the coordinate goes to reach the next cell: to its far edge
  // moving up, past its near edge moving down; at most 2^24.
  const uint64_t distance = step > 0 ? 0x1000000u - fraction : fraction + 1u;
  // distance * across / 2^24, rounded down, in two parts each inside 64 bits.
  const uint64_t position = distance * (across >> 24) + ((distance * (across & 0xFFFFFFu)) >> 24);
  return CellWalk{position + walkRoundUp, across};
}

// The first pixel past the walk's current cell.
inline uint32_t CellEnd(const CellWalk& walk) { return static_cast<uint32_t>(walk.edge >> walkFraction); }

// Moves the walk on a cell when the pixels filled end where its cell does; a compare and a select, without a
// branch, as which of a run's two walks ends a cell follows no pattern a predictor could learn.
inline void AdvanceCellWalk(CellWalk& walk, uint32_t end) {
  const uint64_t next = walk.edge + walk.across;
  walk.edge = CellEnd(walk) == end ? next : walk.edge;
}

// A coordinate's step a pixel in 1/32768 texel, the weights' unit, rounded towards zero: the
// weights then stay inside the cell on all of its pixels, where a weight carried past the
// cell's edge would wrap round to the cell's far side.
inline int16_t WeightStep(uint32_t step) {
  const int32_t signedStep = static_cast<int32_t>(step);
  return static_cast<int16_t>(signedStep >= 0 ? signedStep >> 9 : -((-signedStep) >> 9));
}

// Fills count pixels of one cell, the texel cell (column, row) at cellIndex = row * 256 + column, from the
// weights of its first pixel (ws across, wt down, in 1/32768 texel) stepping by wsStep and
// wtStep a pixel. Each pixel blends the rows across, then the two results down, in units of
// 1/64 of a colour level with the half for rounding carried from the start; each product is
// the high half of a 16-bit multiply, (a * b) >> 16 rounded down:
//   top    = left * 64 + 32 + ((right - left) * 128 * ws) >> 16    (and bottom alike)
//   colour = (top + ((bottom - top) * 2 * wt) >> 16) >> 6
// Every term fits a signed 16-bit lane: (right - left) * 128 and (bottom - top) * 2 lie within
// +-32640, top and bottom within [31, 16352], so no lane wraps and no colour saturates; and a
// multiply's high half is one instruction, where a rounded 8-bit blend costs a shift more on
// the weight and two on the result. The blend is off OpenGL's by under one level.
constexpr int32_t paletteShift = 6;        // colour levels to the blend's units
constexpr int32_t acrossShift = 7;         // a row's difference to its multiplier
constexpr int32_t roundingHalf = 32;       // half a colour level in the blend's units
// The most pixels one FillCell call fills: a longer cell is filled a block at a time, which
// costs fewer operations than a loop over the pairs past the block, whose length a branch
// predictor cannot learn. 6 measured best against 4 and 8.
constexpr uint32_t fillBlock = 6;
#ifdef __SSE2__
// Each texel cell's terms of the blend, worked out once from the artwork: a cell's start then
// costs two loads and four shuffles, where unpacking and differencing its texels cost some twenty
// operations. Lanes hold the channels in memory order (blue, green, red, the zero byte).
struct PreparedCell {
  int16_t topBase[4];       // top-left texel * 64 + 32, each channel
  int16_t topAcross[4];     // (top-right less top-left) * 128
  int16_t bottomBase[4];    // the bottom row's likewise
  int16_t bottomAcross[4];  // likewise
};
// Cell (column c, row r) at r * 256 + c: 2 MB, filled with the artwork.
alignas(16) PreparedCell cpuPreparedCells[textureSize * textureSize];

void PrepareCells() {
  for (int32_t row = 0; row < textureSize; ++row) {
    for (int32_t column = 0; column < textureSize; ++column) {
      const uint32_t* cell = cpuPaddedTexels + row * paddedStride + column;
      PreparedCell& prepared = cpuPreparedCells[row * textureSize + column];
      for (int32_t lane = 0; lane < 4; ++lane) {
        const int32_t shift = 8 * lane;
        const int32_t topLeft = static_cast<int32_t>((cell[0] >> shift) & 0xFFu);
        const int32_t topRight = static_cast<int32_t>((cell[1] >> shift) & 0xFFu);
        const int32_t bottomLeft = static_cast<int32_t>((cell[paddedStride] >> shift) & 0xFFu);
        const int32_t bottomRight = static_cast<int32_t>((cell[paddedStride + 1] >> shift) & 0xFFu);
        prepared.topBase[lane] = static_cast<int16_t>((topLeft << paletteShift) + roundingHalf);
        prepared.topAcross[lane] = static_cast<int16_t>((topRight - topLeft) * (1 << acrossShift));
        prepared.bottomBase[lane] = static_cast<int16_t>((bottomLeft << paletteShift) + roundingHalf);
        prepared.bottomAcross[lane] = static_cast<int16_t>((bottomRight - bottomLeft) * (1 << acrossShift));
      }
    }
  }
}

// Two pixels a register, each channel a 16-bit lane.
// room is how many pixels from out may be written: the cell's, and past it the row's, which
// later cells and runs overwrite. With room for it, a cell writes a whole block of fillBlock
// pixels without a branch on its length, as cells are a few pixels long and of changing lengths.
inline void FillCell(uint32_t* out, uint32_t count, uint32_t room, uint32_t cellIndex, int16_t ws, int16_t wt,
                     int16_t wsStep, int16_t wtStep) {
  // Each term in the lanes of both pixels.
  const PreparedCell& cell = cpuPreparedCells[cellIndex];
  const __m128i top = _mm_load_si128(reinterpret_cast<const __m128i*>(cell.topBase));
  const __m128i bottom = _mm_load_si128(reinterpret_cast<const __m128i*>(cell.bottomBase));
  const __m128i topBase = _mm_unpacklo_epi64(top, top);
  const __m128i topAcross = _mm_unpackhi_epi64(top, top);
  const __m128i bottomBase = _mm_unpacklo_epi64(bottom, bottom);
  const __m128i bottomAcross = _mm_unpackhi_epi64(bottom, bottom);
  // Lanes 0-3 the first pixel's weight, 4-7 the second's; each pair of pixels steps both twice.
  const __m128i secondLanes = _mm_set_epi32(-1, -1, 0, 0);
  __m128i across = _mm_add_epi16(_mm_set1_epi16(ws), _mm_and_si128(_mm_set1_epi16(wsStep), secondLanes));
  __m128i down = _mm_add_epi16(_mm_set1_epi16(wt), _mm_and_si128(_mm_set1_epi16(wtStep), secondLanes));
  const __m128i acrossStep = _mm_set1_epi16(static_cast<int16_t>(wsStep * 2));
  const __m128i downStep = _mm_set1_epi16(static_cast<int16_t>(wtStep * 2));
  const auto blend = [&]() {
    const __m128i upper = _mm_add_epi16(topBase, _mm_mulhi_epi16(topAcross, across));
    const __m128i lower = _mm_add_epi16(bottomBase, _mm_mulhi_epi16(bottomAcross, across));
    const __m128i downward = _mm_slli_epi16(_mm_sub_epi16(lower, upper), 1);
    const __m128i mixed = _mm_add_epi16(upper, _mm_mulhi_epi16(downward, down));
    across = _mm_add_epi16(across, acrossStep);
    down = _mm_add_epi16(down, downStep);
    const __m128i colours = _mm_srli_epi16(mixed, paletteShift);
    return _mm_packus_epi16(colours, colours);
  };
  uint32_t j = 0;
  if (room >= fillBlock) {
    for (; j < fillBlock; j += 2) _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), blend());
    return;
  }
  // With room past the cell, its odd last pixel comes with a pair; at the row's end it comes alone.
  const uint32_t pairsEnd = room > count ? count : count - 1u;
  for (; j < pairsEnd; j += 2) _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), blend());
  if (j < count) out[j] = static_cast<uint32_t>(_mm_cvtsi128_si32(blend()));
}
#else
// The high half of a signed 16-bit product, as the SSE2 multiply gives it.
inline int32_t HighHalf(int32_t a, int32_t b) { return (a * b) >> 16; }

inline void FillCell(uint32_t* out, uint32_t count, uint32_t, uint32_t cellIndex, int16_t ws, int16_t wt,
                     int16_t wsStep, int16_t wtStep) {
  const uint32_t* cell = cpuPaddedTexels + (cellIndex >> 8) * paddedStride + (cellIndex & 0xFFu);
  for (uint32_t j = 0; j < count; ++j) {
    uint32_t color = 0;
    for (int32_t shift = 0; shift < 24; shift += 8) {
      const int32_t topLeft = static_cast<int32_t>((cell[0] >> shift) & 0xFFu);
      const int32_t topRight = static_cast<int32_t>((cell[1] >> shift) & 0xFFu);
      const int32_t bottomLeft = static_cast<int32_t>((cell[paddedStride] >> shift) & 0xFFu);
      const int32_t bottomRight = static_cast<int32_t>((cell[paddedStride + 1] >> shift) & 0xFFu);
      const int32_t top = topLeft * 64 + roundingHalf + HighHalf((topRight - topLeft) << acrossShift, ws);
      const int32_t bottom = bottomLeft * 64 + roundingHalf + HighHalf((bottomRight - bottomLeft) << acrossShift, ws);
      const int32_t mixed = top + HighHalf((bottom - top) * 2, wt);
      color |= static_cast<uint32_t>(mixed >> paletteShift) << shift;
    }
    out[j] = color;
    ws = static_cast<int16_t>(ws + wsStep);
    wt = static_cast<int16_t>(wt + wtStep);
  }
}
#endif

void NearestRun(uint32_t* out, int32_t count, uint32_t u, uint32_t v, uint32_t uStep, uint32_t vStep) {
  for (int32_t k = 0; k < count; ++k) {
    out[k] = TexelAt(u, v);
    u += uStep;
    v += vStep;
  }
}

// Bilinear filtering along a run, one texel cell at a time (a long one fillBlock pixels at a
// time, each piece's weights taken afresh): within a cell the four texels stay and only the
// weights move, by fixed steps. room is as FillCell's.
// sAcross and tAcross are CellPixels of uStep and vStep.
void BilinearRun(uint32_t* out, int32_t count, int32_t room, uint32_t u, uint32_t v, uint32_t uStep, uint32_t vStep,
                 uint64_t sAcross, uint64_t tAcross) {
  // Sample positions less half a texel: the cell's first texel is then the top byte.
  const uint32_t sFirst = u - 0x800000u;
  const uint32_t tFirst = v - 0x800000u;
  CellWalk sWalk = StartCellWalk(sFirst, static_cast<int32_t>(uStep), sAcross);
  CellWalk tWalk = StartCellWalk(tFirst, static_cast<int32_t>(vStep), tAcross);
  const int16_t wsStep = WeightStep(uStep);
  const int16_t wtStep = WeightStep(vStep);
  const uint32_t total = static_cast<uint32_t>(count);
  uint32_t k = 0;
  while (k < total) {
    // A magnified step is at most a texel, so each cell has a pixel and the walks move on.
    const uint32_t end = CellEnd(sWalk.edge < tWalk.edge ? sWalk : tWalk);
    const uint32_t capped = total - k > fillBlock ? k + fillBlock : total;
    const uint32_t last = end < capped ? end : capped;
    const uint32_t s = sFirst + k * uStep;
    const uint32_t t = tFirst + k * vStep;
    const uint32_t cell = ((t >> 16) & 0xFF00u) | (s >> 24);
    FillCell(out + k, last - k, static_cast<uint32_t>(room) - k, cell, static_cast<int16_t>((s >> 9) & 0x7FFFu),
             static_cast<int16_t>((t >> 9) & 0x7FFFu), wsStep, wtStep);
    AdvanceCellWalk(sWalk, last);
    AdvanceCellWalk(tWalk, last);
    k = last;
  }
}

uint32_t* RowOf(uint32_t* pixels, int32_t strideBytes, int32_t row) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + static_cast<ptrdiff_t>(row) * strideBytes);
}

int DecodeCpuTexels() {
  if (cpuTexelsReady) return 1;
  uint8_t* rgba = static_cast<uint8_t*>(malloc(textureSize * textureSize * 4));
  if (rgba == nullptr) return 0;
  const int decoded = DecodeArtwork(rgba);
  if (decoded) {
    for (int32_t k = 0; k < textureSize * textureSize; ++k) {
      const uint8_t* texel = rgba + 4 * k;
      cpuTexels[k] = static_cast<uint32_t>(texel[0]) << 16 | static_cast<uint32_t>(texel[1]) << 8 | texel[2];
    }
    for (int32_t row = 0; row < paddedStride; ++row) {
      for (int32_t column = 0; column < paddedStride; ++column) {
        const int32_t source = (row % textureSize) * textureSize + column % textureSize;
        cpuPaddedTexels[row * paddedStride + column] = cpuTexels[source];
      }
    }
#ifdef __SSE2__
    PrepareCells();
#endif
    cpuTexelsReady = 1;
  }
  free(rgba);
  return decoded;
}

// The band's reference vertex, whose texture coordinate a frame's scroll is read from.
const TLVertex& BandReference(const SceneGeometry& scene, int32_t band) {
  return band == 0 ? scene.quadBlock[1] : scene.ringStrips[band - 1][2];
}

// The tunnel's triangles in draw order, set up relative to their bands' reference vertices.
// Each strip of n vertices is n - 2 triangles; quadA and quadB are the centre square's two strips.
int32_t SetUpTunnel(const SceneGeometry& scene, TriangleSetup* setups, CpuTriangle* triangles) {
  int32_t count = 0;
  for (int32_t strip = 0; strip < 2 + ringCount; ++strip) {
    const TLVertex* vertices = strip < 2 ? scene.quadBlock + 3 * strip : scene.ringStrips[strip - 2];
    const int32_t vertexCount = strip < 2 ? quadVertexCount : ringVertexCount;
    const int32_t band = strip < 2 ? 0 : strip - 1;
    const TLVertex& reference = BandReference(scene, band);
    for (int32_t k = 0; k + 2 < vertexCount; ++k) {
      TriangleSetup& setup = setups[count];
      if (!SetUpTriangle(vertices[k], vertices[k + 1], vertices[k + 2], reference.tu, reference.tv, setup)) {
        setup.firstRow = 1;
        setup.lastRow = 0;
      }
      triangles[count] = CpuTriangle{ToWrap(setup.dudx), ToWrap(setup.dvdx), band, setup.magnified};
      ++count;
    }
  }
  return count;
}

// Puts the index of the last-drawn tunnel triangle covering each pixel of row into owners.
void RasteriseRow(const TriangleSetup* setups, int32_t row, int32_t width, uint16_t* owners) {
  for (int32_t x = 0; x < width; ++x) owners[x] = uncovered;
  for (int32_t k = 0; k < cpuTunnelTriangles; ++k) {
    const TriangleSetup& setup = setups[k];
    int32_t first = 0;
    int32_t last = 0;
    if (row < setup.firstRow || row > setup.lastRow || !RowSpan(setup, row, width, first, last)) continue;
    for (int32_t x = first; x <= last; ++x) owners[x] = static_cast<uint16_t>(k);
  }
}

void DrawLogo(const SceneGeometry& scene, int32_t width, int32_t height, int32_t linear, uint32_t* pixels,
              int32_t strideBytes) {
  for (int32_t k = 0; k + 2 < logoVertexCount; ++k) {
    TriangleSetup setup;
    if (!SetUpTriangle(scene.logoStrip[k], scene.logoStrip[k + 1], scene.logoStrip[k + 2], 0.0, 0.0, setup)) continue;
    const uint32_t uStep = ToWrap(setup.dudx);
    const uint32_t vStep = ToWrap(setup.dvdx);
    const int filtered = linear && setup.magnified;
    const int32_t firstRow = setup.firstRow < 0 ? 0 : setup.firstRow;
    const int32_t lastRow = setup.lastRow >= height ? height - 1 : setup.lastRow;
    for (int32_t row = firstRow; row <= lastRow; ++row) {
      int32_t first = 0;
      int32_t last = 0;
      if (!RowSpan(setup, row, width, first, last)) continue;
      uint32_t u = ToWrap(setup.u0 + setup.dudx * first + setup.dudy * row);
      uint32_t v = ToWrap(setup.v0 + setup.dvdx * first + setup.dvdy * row);
      uint32_t* out = RowOf(pixels, strideBytes, row);
      for (int32_t x = first; x <= last; ++x) {
        // The alpha test passes texels over one half opaque; black texels are transparent.
        if (filtered) {
          uint32_t alpha = 0;
          const uint32_t color = Bilinear(u, v, &alpha);
          if (alpha >= 128u) out[x] = color;
        } else {
          const uint32_t color = TexelAt(u, v);
          if (color != 0) out[x] = color;
        }
        u += uStep;
        v += vStep;
      }
    }
  }
}

}  // namespace

int FitCpuPicture(CpuPictureRecord& picture, const SceneGeometry& scene, int32_t width, int32_t height, int32_t linear) {
  ReleaseCpuPicture(picture);
  if (width <= 0 || height <= 0 || width > 0xFFFF || !DecodeCpuTexels()) return 0;

  // The differences of texture coordinates within a band are the same on every frame; any
  // frame's layout gives them.
  SceneGeometry probe = scene;
  const AnimationState probeClock = {0u, 2u};
  AnimateScene(probe, probeClock, width, height);
  TriangleSetup* setups = static_cast<TriangleSetup*>(malloc(sizeof(TriangleSetup) * cpuTunnelTriangles));
  uint16_t* owners = static_cast<uint16_t*>(malloc(sizeof(uint16_t) * static_cast<size_t>(width)));
  picture.rowSpans = static_cast<uint32_t*>(malloc(sizeof(uint32_t) * (static_cast<size_t>(height) + 1)));
  if (setups == nullptr || owners == nullptr || picture.rowSpans == nullptr) {
    free(setups);
    free(owners);
    ReleaseCpuPicture(picture);
    return 0;
  }
  SetUpTunnel(probe, setups, picture.triangles);

  // Counted first, then filled, so the runs take one block of just their size.
  uint32_t spanCount = 0;
  for (int32_t row = 0; row < height; ++row) {
    RasteriseRow(setups, row, width, owners);
    picture.rowSpans[row] = spanCount;
    for (int32_t x = 0; x < width; ++x) spanCount += (x == 0 || owners[x] != owners[x - 1]);
  }
  picture.rowSpans[height] = spanCount;
  picture.spans = static_cast<CpuSpan*>(malloc(sizeof(CpuSpan) * spanCount));
  if (picture.spans == nullptr) {
    free(setups);
    free(owners);
    ReleaseCpuPicture(picture);
    return 0;
  }
  CpuSpan* span = picture.spans;
  for (int32_t row = 0; row < height; ++row) {
    RasteriseRow(setups, row, width, owners);
    int32_t x = 0;
    while (x < width) {
      const uint16_t owner = owners[x];
      int32_t end = x + 1;
      while (end < width && owners[end] == owner) ++end;
      uint32_t u = 0;
      uint32_t v = 0;
      if (owner != uncovered) {
        const TriangleSetup& setup = setups[owner];
        u = ToWrap(setup.u0 + setup.dudx * x + setup.dudy * row);
        v = ToWrap(setup.v0 + setup.dvdx * x + setup.dvdy * row);
      }
      *span++ = CpuSpan{static_cast<uint16_t>(end - x), owner, u, v};
      x = end;
    }
  }
  free(setups);
  free(owners);
  picture.width = width;
  picture.height = height;
  picture.linear = linear;
  return 1;
}

void DrawCpuPicture(const CpuPictureRecord& picture, const SceneGeometry& scene, int32_t logos, uint32_t* pixels,
                    int32_t strideBytes) {
  uint32_t bandU[bandCount];
  uint32_t bandV[bandCount];
  for (int32_t band = 0; band < bandCount; ++band) {
    bandU[band] = ToWrap(BandReference(scene, band).tu);
    bandV[band] = ToWrap(BandReference(scene, band).tv);
  }
  // The bilinear walks' cell widths, two divisions a filtered triangle a frame rather than a run.
  uint64_t sAcross[cpuTunnelTriangles];
  uint64_t tAcross[cpuTunnelTriangles];
  for (int32_t k = 0; picture.linear && k < cpuTunnelTriangles; ++k) {
    const CpuTriangle& triangle = picture.triangles[k];
    sAcross[k] = triangle.magnified ? CellPixels(triangle.uStep) : 0u;
    tAcross[k] = triangle.magnified ? CellPixels(triangle.vStep) : 0u;
  }
  for (int32_t row = 0; row < picture.height; ++row) {
    uint32_t* out = RowOf(pixels, strideBytes, row);
    const uint32_t* rowEnd = out + picture.width;
    const CpuSpan* span = picture.spans + picture.rowSpans[row];
    const CpuSpan* end = picture.spans + picture.rowSpans[row + 1];
    for (; span < end; ++span) {
      const int32_t length = span->length;
      if (span->triangle == uncovered) {
        memset(out, 0, sizeof(uint32_t) * static_cast<size_t>(length));
      } else {
        const CpuTriangle& triangle = picture.triangles[span->triangle];
        const uint32_t u = bandU[triangle.band] + span->u;
        const uint32_t v = bandV[triangle.band] + span->v;
        if (picture.linear && triangle.magnified) {
          BilinearRun(out, length, static_cast<int32_t>(rowEnd - out), u, v, triangle.uStep, triangle.vStep,
                      sAcross[span->triangle], tAcross[span->triangle]);
        } else {
          NearestRun(out, length, u, v, triangle.uStep, triangle.vStep);
        }
      }
      out += length;
    }
  }
  if (logos != 0) DrawLogo(scene, picture.width, picture.height, picture.linear, pixels, strideBytes);
}

void DrawCpuFpsOverlay(uint32_t* pixels, int32_t strideBytes, int32_t width, int32_t height) {
  OverlayRect rects[fpsOverlayRectLimit];
  const int32_t count = LayOutFpsOverlay(width, height, rects);
  for (int32_t k = 0; k < count; ++k) {
    const OverlayRect& rect = rects[k];
    const int32_t left = rect.left < 0 ? 0 : rect.left;
    const int32_t right = rect.left + rect.width > width ? width : rect.left + rect.width;
    const int32_t top = rect.top < 0 ? 0 : rect.top;
    const int32_t bottom = rect.top + rect.height > height ? height : rect.top + rect.height;
    for (int32_t row = top; row < bottom; ++row) {
      uint32_t* out = RowOf(pixels, strideBytes, row);
      for (int32_t x = left; x < right; ++x) out[x] = rect.color;
    }
  }
}

void ReleaseCpuPicture(CpuPictureRecord& picture) {
  free(picture.spans);
  free(picture.rowSpans);
  memset(&picture, 0, sizeof picture);
}
