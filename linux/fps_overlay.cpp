// The frame-rate overlay of --fps: the rate over each whole second, drawn in a small block font.
//
// Like the overlay of XScreenSaver's own OpenGL hacks it sits in the bottom-left corner. The
// text is white on an opaque black box, so it stays readable over the tunnel's bright wall.
// The glyphs are 5 x 7 cells, each cell a square of a few pixels that grows with the window,
// so the figure needs no X font and reads the same on every display.
#include <GL/gl.h>
#include <stdio.h>

#include "linux/hack.h"

FpsOverlayRecord FpsOverlay = {0, 0, -1, nullptr};

namespace {

constexpr uint64_t microsecondsPerSecond = 1000000u;
constexpr int32_t glyphColumns = 5;
constexpr int32_t glyphRows = 7;

// One character: each row's cells as the low five bits, the leftmost cell the highest bit.
struct Glyph {
  char character;           // the character it draws
  uint8_t rows[glyphRows];  // top row first
};

const Glyph glyphs[] = {
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}}, {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}}, {'3', {0x1e, 0x01, 0x01, 0x0e, 0x01, 0x01, 0x1e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}}, {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}}, {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}}, {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
    {'F', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x10}}, {'P', {0x1e, 0x11, 0x11, 0x1e, 0x10, 0x10, 0x10}},
    {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}}, {':', {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}}, {'-', {0x00, 0x00, 0x00, 0x1f, 0x00, 0x00, 0x00}},
    {'G', {0x0e, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0f}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1f}},
    {'C', {0x0e, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0e}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0e}},
};
static_assert(glyphRows == 7, "fpsOverlayRectLimit counts seven rows a glyph");

const Glyph* FindGlyph(char character) {
  for (const Glyph& glyph : glyphs) {
    if (glyph.character == character) return &glyph;
  }
  return nullptr;
}

// Cells are whole pixels: 2 on a small window, more as it grows, so a 1080-line screen gets 5.
int32_t CellSize(int32_t width, int32_t height) {
  const int32_t shorter = width < height ? width : height;
  const int32_t size = shorter / 200;
  return size < 2 ? 2 : size;
}

// A rectangle of whole pixels, left and top inclusive, in the scene's pixel projection.
void FillPixels(const OverlayRect& rect) {
  glRectf(static_cast<float>(rect.left) - 0.5f, static_cast<float>(rect.top) - 0.5f,
          static_cast<float>(rect.left + rect.width) - 0.5f, static_cast<float>(rect.top + rect.height) - 0.5f);
}

}  // namespace

void ResetFpsOverlay() { FpsOverlay = FpsOverlayRecord{0, 0, -1, FpsOverlay.rendererName}; }

void CountOverlayFrame(uint64_t nowUs) {
  if (FpsOverlay.windowStartUs == 0) {
    FpsOverlay.windowStartUs = nowUs;
    return;
  }
  ++FpsOverlay.framesInWindow;
  const uint64_t elapsed = nowUs - FpsOverlay.windowStartUs;
  if (elapsed < microsecondsPerSecond) return;
  FpsOverlay.shownTenths =
      static_cast<int32_t>((uint64_t{FpsOverlay.framesInWindow} * 10u * microsecondsPerSecond + elapsed / 2) / elapsed);
  FpsOverlay.windowStartUs = nowUs;
  FpsOverlay.framesInWindow = 0;
}

void FormatOverlayText(char* text, size_t size) {
  const char* name = FpsOverlay.rendererName;
  const char* gap = name != nullptr ? " " : "";
  if (name == nullptr) name = "";
  if (FpsOverlay.shownTenths < 0) {
    snprintf(text, size, "FPS: --.-%s%s", gap, name);
  } else {
    snprintf(text, size, "FPS: %d.%d%s%s", FpsOverlay.shownTenths / 10, FpsOverlay.shownTenths % 10, gap, name);
  }
}

int32_t LayOutFpsOverlay(int32_t width, int32_t height, OverlayRect* rects) {
  char text[fpsOverlayTextSize];
  FormatOverlayText(text, sizeof text);
  const int32_t cell = CellSize(width, height);
  const int32_t advance = (glyphColumns + 1) * cell;
  int32_t length = 0;
  while (text[length] != '\0') ++length;
  const int32_t margin = 2 * cell;
  const int32_t boxWidth = length * advance - cell + 2 * margin;
  const int32_t boxHeight = glyphRows * cell + 2 * margin;
  const int32_t boxLeft = 2 * cell;
  const int32_t boxTop = height - 2 * cell - boxHeight;

  int32_t count = 0;
  rects[count++] = OverlayRect{boxLeft, boxTop, boxWidth, boxHeight, 0x000000u};
  for (int32_t k = 0; k < length; ++k) {
    const Glyph* glyph = FindGlyph(text[k]);
    if (glyph == nullptr) continue;
    const int32_t left = boxLeft + margin + k * advance;
    for (int32_t row = 0; row < glyphRows; ++row) {
      // Lit cells side by side make one run, so a row of a glyph is at most three rectangles.
      int32_t column = 0;
      while (column < glyphColumns) {
        if ((glyph->rows[row] & (0x10 >> column)) == 0) {
          ++column;
          continue;
        }
        const int32_t first = column;
        while (column < glyphColumns && (glyph->rows[row] & (0x10 >> column)) != 0) ++column;
        rects[count++] = OverlayRect{left + first * cell, boxTop + margin + row * cell, (column - first) * cell, cell, 0xFFFFFFu};
      }
    }
  }
  return count;
}

void DrawFpsOverlay(int32_t width, int32_t height) {
  OverlayRect rects[fpsOverlayRectLimit];
  const int32_t count = LayOutFpsOverlay(width, height, rects);

  // The scene's texture, alpha test and colour arrays are its own; they come back as they were.
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  for (int32_t k = 0; k < count; ++k) {
    const uint32_t color = rects[k].color;
    glColor3ub(static_cast<GLubyte>(color >> 16), static_cast<GLubyte>(color >> 8), static_cast<GLubyte>(color));
    FillPixels(rects[k]);
  }
  glPopClientAttrib();
  glPopAttrib();
}
