// OpenGL drawing of the title sequence: the Windows saver's render states, texture and eight strips.
//
// The vertices are Direct3D's pre-transformed ones: x and y are render-target pixels with
// y downwards, and a vertex at (0, 0) lies on the centre of the top-left pixel. The
// projection maps exactly that, so the strips land on the pixels the saver fills. There
// is no depth buffer, and the draw order decides what covers what, as in the saver.
#include "linux/hack.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "animation/animation.h"

namespace {

constexpr int32_t textureSize = 256;  // the artwork's width and height in texels

// OpenGL objects of the scene, owned here from SetUpGlScene to TearDownGlScene.
struct GlSceneRecord {
  GLuint texture;  // the artwork, RGBA, black texels with alpha 0; 0 when not created
};
GlSceneRecord glScene = {0};

uint8_t artworkTexels[textureSize * textureSize * 4];

bool HasExtension(const char* name) {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr) return false;
  const size_t length = strlen(name);
  for (const char* at = strstr(extensions, name); at != nullptr; at = strstr(at + length, name)) {
    if ((at == extensions || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  }
  return false;
}

// The name under which the context offers glProvokingVertex: core from OpenGL 3.2, otherwise
// an extension; null when it has none. An address proves nothing, as glXGetProcAddressARB
// and eglGetProcAddress hand out an entry for any name, so the context's version and
// extensions are asked.
const char* ProvokingVertexEntry() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0;
  int minor = 0;
  const bool core = version != nullptr && sscanf(version, "%d.%d", &major, &minor) == 2 &&
                    (major > 3 || (major == 3 && minor >= 2));
  if (core || HasExtension("GL_ARB_provoking_vertex")) return "glProvokingVertex";
  if (HasExtension("GL_EXT_provoking_vertex")) return "glProvokingVertexEXT";
  return nullptr;
}

// One strip, handed to OpenGL where it lies. The colour is Direct3D's 0xAARRGGBB,
// which is blue, green, red, alpha in memory: OpenGL's BGRA order.
void DrawStrip(const TLVertex* vertices, GLsizei count) {
  glVertexPointer(2, GL_FLOAT, sizeof(TLVertex), &vertices->sx);
  glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(TLVertex), &vertices->color);
  glTexCoordPointer(2, GL_FLOAT, sizeof(TLVertex), &vertices->tu);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
}

}  // namespace

int SetUpGlScene(int32_t linear, GlEntryLookup lookup) {
  if (!HasExtension("GL_ARB_vertex_array_bgra") && !HasExtension("GL_EXT_vertex_array_bgra")) {
    fprintf(stderr, "vyk: OpenGL lacks BGRA vertex colours\n");
    return 0;
  }
  // Direct3D's flat shading colours a triangle by its first vertex, OpenGL's by its last.
  const char* entry = ProvokingVertexEntry();
  if (entry == nullptr) {
    fprintf(stderr, "vyk: OpenGL lacks glProvokingVertex\n");
    return 0;
  }
  PFNGLPROVOKINGVERTEXPROC provokingVertex = reinterpret_cast<PFNGLPROVOKINGVERTEXPROC>(lookup(entry));
  provokingVertex(GL_FIRST_VERTEX_CONVENTION);

  if (!DecodeArtwork(artworkTexels)) {
    fprintf(stderr, "vyk: the artwork is not a 256 x 256 8-bit bitmap\n");
    return 0;
  }
  glGenTextures(1, &glScene.texture);
  glBindTexture(GL_TEXTURE_2D, glScene.texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureSize, textureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, artworkTexels);
  // The saver sets only the magnification filter; minification stays at the point filter.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glEnable(GL_TEXTURE_2D);

  // Direct3D's modulate blend: texture colour times vertex colour, and the texture's own
  // alpha. The vertices carry alpha 0, which the saver never sees because blending is off;
  // taking the texture's alpha alone leaves the colour key to the alpha test.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);

  glShadeModel(GL_FLAT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DITHER);
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glAlphaFunc(GL_GREATER, 0.5f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  return 1;
}

void ResizeGlScene(int32_t width, int32_t height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // Pixel centres of OpenGL lie at half coordinates, Direct3D's pre-transformed ones at
  // whole. The mapping is exact, with no shift: every pixel then samples the texture at
  // the very point Direct3D samples it, and the tunnel keeps the point symmetry about its
  // centre that the Windows saver's picture has pixel for pixel. The rings are minified,
  // two to three texels a pixel, with the point filter, so even a shift of 1/64 pixel
  // picks other texels in some pixels on one side of the centre than on the other.
  glOrtho(-0.5, width - 0.5, height - 0.5, -0.5, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void DrawGlScene(SceneGeometry& scene, int32_t logos) {
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_ALPHA_TEST);
  DrawStrip(quadA(scene), quadVertexCount);
  DrawStrip(quadB(scene), quadVertexCount);
  for (int k = 0; k < ringCount; ++k) DrawStrip(scene.ringStrips[k], ringVertexCount);
  if (logos != 0) {
    // With y turned downwards OpenGL's top-left fill rule gives a pixel whose centre lies
    // on a horizontal edge to the triangle above it, Direct3D's to the one below. That
    // matters for the logo, whose bottom edge rests on the last row when the flag swings
    // down: the logo alone is raised by a fraction of a pixel, above the rasteriser's
    // sub-pixel step, so that such rows go where Direct3D puts them. Inside the tunnel the
    // only edges through pixel centres are shared by two triangles that agree there, and
    // the raise would shift its texture sampling instead (see ResizeGlScene).
    const double raise = 1.0 / 64.0;
    glEnable(GL_ALPHA_TEST);
    glTranslated(0.0, -raise, 0.0);
    DrawStrip(scene.logoStrip, logoVertexCount);
    glLoadIdentity();
  }
}

void TearDownGlScene() {
  if (glScene.texture != 0) glDeleteTextures(1, &glScene.texture);
  glScene.texture = 0;
}
