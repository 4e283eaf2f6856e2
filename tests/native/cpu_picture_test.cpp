// The CPU picture against the OpenGL scene drawn by Mesa on EGL's surfaceless platform, frame for frame.
#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "animation/animation.h"
#include "linux/hack.h"

namespace {

GlEntry LookUp(const char* name) { return reinterpret_cast<GlEntry>(eglGetProcAddress(name)); }

// A desktop OpenGL context current with no surface; 0 when EGL or Mesa cannot give one.
int MakeSurfacelessContext() {
  static int made = 0;
  if (made) return 1;
  EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API)) return 0;
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs != 1) return 0;
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) return 0;
  made = 1;
  return 1;
}

struct PictureCase {
  int32_t width, height, linear;
  uint32_t frames;  // frames animated from the clock's start
  int32_t overlay;
  const char* fault;
};

// Mean of |a - b| over the 0x00RRGGBB pixels listed (all when mask is null), per channel.
double MeanDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const std::vector<uint8_t>* mask,
                      size_t* counted) {
  uint64_t sum = 0;
  size_t count = 0;
  for (size_t k = 0; k < a.size(); ++k) {
    if (mask != nullptr && !(*mask)[k]) continue;
    for (int shift = 0; shift < 24; shift += 8) sum += static_cast<uint64_t>(abs(int((a[k] >> shift) & 255u) - int((b[k] >> shift) & 255u)));
    ++count;
  }
  *counted = count;
  return count == 0 ? 0.0 : static_cast<double>(sum) / (3.0 * static_cast<double>(count));
}

}  // namespace

// Frames 100 and 620 have the logo on the top band (in from the left, from the right), 285,
// 380 and 890 on the bottom band; the seed puts the wall's row drift near the middle of its range.
TEST(CpuPicture, MatchesTheOpenGlScene) {
  static const PictureCase cases[] = {
      {640, 480, 0, 100, 0, "the tunnel's runs or a band's scroll wrong; logo minified at this size"},
      {640, 480, 1, 380, 1, "magnified pixels not filtered as OpenGL; the overlay's cells or box misplaced"},
      {1280, 720, 0, 890, 0, "logo rasterised or textured in the wrong place; from the right on the bottom band"},
      {1280, 720, 1, 620, 0, "logo's bilinear alpha test wrong; logo from the right on the top band"},
      {1920, 1080, 0, 380, 0, "fixed-point steps drifting along long rows"},
      {1920, 1080, 1, 100, 0, "magnified/minified choice differing from OpenGL's at full size"},
      {397, 251, 1, 285, 0, "a small odd size: centre off the middle pixel, logo minified and clamped at the bottom row"},
  };
  ASSERT_EQ(MakeSurfacelessContext(), 1);
  ResetFpsOverlay();
  FpsOverlay.shownTenths = 714;
  FpsOverlay.rendererName = "CPU";
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.fault);
    const int32_t w = c.width, h = c.height;
    SceneGeometry scene = {};
    BuildSceneGeometry(scene, w, h);
    AnimationState clock = {0x00122035u, 0};
    for (uint32_t k = 0; k < c.frames; ++k) AnimateFrame(scene, clock, w, h);

    GLuint framebuffer = 0, colour = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    ASSERT_EQ(SetUpGlScene(c.linear, LookUp), 1);
    ResizeGlScene(w, h);
    DrawGlScene(scene, 1);
    if (c.overlay) DrawFpsOverlay(w, h);
    std::vector<uint32_t> read(static_cast<size_t>(w) * h), gl(read.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, read.data());
    TearDownGlScene();
    glDeleteRenderbuffers(1, &colour);
    glDeleteFramebuffers(1, &framebuffer);
    for (int32_t row = 0; row < h; ++row) {  // OpenGL's rows run bottom first
      for (int32_t x = 0; x < w; ++x) gl[static_cast<size_t>(row) * w + x] = read[static_cast<size_t>(h - 1 - row) * w + x] & 0xFFFFFFu;
    }

    CpuPictureRecord picture = {};
    ASSERT_EQ(FitCpuPicture(picture, scene, w, h, c.linear), 1);
    std::vector<uint32_t> cpu(read.size()), tunnel(read.size());
    DrawCpuPicture(picture, scene, 0, tunnel.data(), w * 4);
    DrawCpuPicture(picture, scene, 1, cpu.data(), w * 4);
    if (c.overlay) DrawCpuFpsOverlay(cpu.data(), w * 4, w, h);
    ReleaseCpuPicture(picture);
    EXPECT_EQ(picture.spans, nullptr);

    // The logo's pixels: where the CPU picture's logo changed the tunnel.
    std::vector<uint8_t> logo(read.size());
    for (size_t k = 0; k < logo.size(); ++k) logo[k] = cpu[k] != tunnel[k];
    size_t pixels = 0, logoPixels = 0;
    const double whole = MeanDifference(gl, cpu, nullptr, &pixels);
    const double onLogo = MeanDifference(gl, cpu, &logo, &logoPixels);
    printf("%dx%d linear %d frame %u: mean difference %.3f, on the logo's %zu pixels %.3f\n", w, h, c.linear,
           c.frames, whole, logoPixels, onLogo);
    EXPECT_LT(whole, 1.0);
    EXPECT_GT(logoPixels, static_cast<size_t>(w) * h / 100);
    EXPECT_LT(onLogo, 2.0);
    if (c.overlay) {
      OverlayRect rects[fpsOverlayRectLimit];
      ASSERT_GT(LayOutFpsOverlay(w, h, rects), 10);
      const OverlayRect& box = rects[0];
      int differing = 0;
      for (int32_t row = box.top; row < box.top + box.height; ++row) {
        for (int32_t x = box.left; x < box.left + box.width; ++x) differing += gl[static_cast<size_t>(row) * w + x] != cpu[static_cast<size_t>(row) * w + x];
      }
      EXPECT_EQ(differing, 0);
    }
  }
}
