// Tests of BuildSceneGeometry: sizes, centre square, ring radii and closure, logo strip coordinates.
#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

#include "animation/animation.h"

namespace {

// The picture under test.
SceneGeometry scene;

void BuildFor(int32_t width, int32_t height) {
  memset(&scene, 0, sizeof(scene));
  BuildSceneGeometry(scene, width, height);
}

const double kPi = 3.14159265358979323846;

double DistanceFrom(const TLVertex& v, double cx, double cy) {
  return hypot(v.sx - cx, v.sy - cy);
}

TEST(SceneGeometry, Diagonal640x480IsExactly800) {
  BuildFor(640, 480);
  EXPECT_EQ(scene.sceneDiagonal, 800.0);
  EXPECT_NEAR(scene.logoWidth, 110.34, 0.005);
  EXPECT_FLOAT_EQ(scene.logoWidth, 110.344826f);
}

// Edge radii of the rings at 640 x 480, measured on the vertex straight below the centre.
TEST(SceneGeometry, RingEdgeRadiiAt640x480) {
  static const double expectedEdges[6] = {12.70, 25.40, 50.79, 101.59, 203.17, 406.35};
  BuildFor(640, 480);
  for (int k = 0; k < ringCount; ++k) {
    const TLVertex* ring = scene.ringStrips[k];
    EXPECT_FLOAT_EQ(ring[0].sx, 320.0f) << "ring " << k;
    EXPECT_NEAR(ring[0].sy - 240.0, expectedEdges[k], 0.005) << "inner edge of ring " << k;
    EXPECT_NEAR(ring[1].sy - 240.0, expectedEdges[k + 1], 0.005) << "outer edge of ring " << k;
  }
}

// Every vertex of every ring lies on its edge circle, at its own angle step.
TEST(SceneGeometry, RingVerticesLieOnTheirCircles) {
  BuildFor(1024, 768);
  const double r0 = 1280.0 / 63.0;
  for (int k = 0; k < ringCount; ++k) {
    const double inner = r0 * (1 << k);
    for (int j = 0; j <= 32; ++j) {
      const TLVertex& in = scene.ringStrips[k][2 * j];
      const TLVertex& out = scene.ringStrips[k][2 * j + 1];
      EXPECT_NEAR(DistanceFrom(in, 512, 384), inner, 1e-3 * (1 << k)) << k << "/" << j;
      EXPECT_NEAR(DistanceFrom(out, 512, 384), 2 * inner, 2e-3 * (1 << k)) << k << "/" << j;
      const double angle = atan2(in.sx - 512.0, in.sy - 384.0);
      const double expected = j * (kPi / 16.0);
      EXPECT_NEAR(remainder(angle - expected, 2 * kPi), 0.0, 1e-5) << k << "/" << j;
    }
  }
}

TEST(SceneGeometry, EveryRingIsClosed) {
  static const int32_t sizes[][2] = {{640, 480}, {641, 481}, {1920, 1080}, {3840, 2160}, {1, 1}};
  for (const auto& size : sizes) {
    BuildFor(size[0], size[1]);
    for (int k = 0; k < ringCount; ++k) {
      const TLVertex* ring = scene.ringStrips[k];
      for (int edge = 0; edge < 2; ++edge) {
        EXPECT_NEAR(ring[64 + edge].sx, ring[edge].sx, 1e-3) << size[0] << " ring " << k;
        EXPECT_NEAR(ring[64 + edge].sy, ring[edge].sy, 1e-3) << size[0] << " ring " << k;
      }
    }
  }
}

// The tunnel is a mirror image about the vertical line through the centre.
TEST(SceneGeometry, RingsAreSymmetricAboutTheVerticalAxis) {
  BuildFor(800, 600);
  for (int k = 0; k < ringCount; ++k) {
    for (int j = 0; j <= 32; ++j) {
      for (int edge = 0; edge < 2; ++edge) {
        const TLVertex& v = scene.ringStrips[k][2 * j + edge];
        const TLVertex& mirror = scene.ringStrips[k][2 * (32 - j) + edge];
        EXPECT_NEAR(v.sx - 400.0, 400.0 - mirror.sx, 2e-3) << k << "/" << j;
        EXPECT_NEAR(v.sy, mirror.sy, 2e-3) << k << "/" << j;
      }
    }
  }
}

TEST(SceneGeometry, CentreSquareAt640x480) {
  const float d = 12.698413f;
  const struct {
    float sx, sy;
  } expected[7] = {
      {320 + d, 240 + d}, {320, 240}, {320 + d, 240 - d}, {320 - d, 240 - d},
      {320, 240},         {320 - d, 240 + d}, {320 + d, 240 + d},
  };
  BuildFor(640, 480);
  for (int i = 0; i < 7; ++i) {
    EXPECT_FLOAT_EQ(scene.quadBlock[i].sx, expected[i].sx) << "vertex " << i;
    EXPECT_FLOAT_EQ(scene.quadBlock[i].sy, expected[i].sy) << "vertex " << i;
  }
  EXPECT_EQ(quadB(scene), quadA(scene) + 3);
  EXPECT_EQ(memcmp(&scene.quadBlock[6], &scene.quadBlock[0], sizeof(TLVertex)), 0);
}

TEST(SceneGeometry, OddSizeCentreRoundsDown) {
  BuildFor(641, 481);
  EXPECT_EQ(scene.quadBlock[1].sx, 320.0f);
  EXPECT_EQ(scene.quadBlock[1].sy, 240.0f);
  EXPECT_EQ(scene.ringStrips[2][0].sx, 320.0f);
  EXPECT_EQ(scene.ringStrips[2][16].sy, 240.0f) << "the vertex at a quarter turn lies level with the centre";
  EXPECT_EQ(scene.sceneDiagonal, sqrt(641.0 * 641.0 + 481.0 * 481.0));
}

TEST(SceneGeometry, ZeroSizeSceneIsDegenerate) {
  BuildFor(0, 0);
  EXPECT_EQ(scene.sceneDiagonal, 0.0);
  EXPECT_EQ(scene.logoWidth, 0.0f);
  for (const TLVertex& v : scene.quadBlock) {
    EXPECT_EQ(v.sx, 0.0f);
    EXPECT_EQ(v.sy, 0.0f);
  }
  for (int k = 0; k < ringCount; ++k) {
    for (const TLVertex& v : scene.ringStrips[k]) {
      EXPECT_EQ(v.sx, 0.0f);
      EXPECT_EQ(v.sy, 0.0f);
    }
  }
}

// Fixed vertex fields of each strip: depth, rhw, colours.
TEST(SceneGeometry, FixedVertexFields) {
  BuildFor(640, 480);
  const struct {
    const char* name;
    const TLVertex* first;
    int count;
    float sz, rhw;
  } strips[] = {
      {"quad block", scene.quadBlock, 7, 0.0f, 100.0f},
      {"rings", scene.ringStrips[0], ringCount * ringVertexCount, 100.0f, 100.0f},
      {"logo", scene.logoStrip, logoVertexCount, 0.0f, 0.0f},
  };
  for (const auto& strip : strips) {
    for (int i = 0; i < strip.count; ++i) {
      const TLVertex& v = strip.first[i];
      EXPECT_EQ(v.sz, strip.sz) << strip.name << " " << i;
      EXPECT_EQ(v.rhw, strip.rhw) << strip.name << " " << i;
      EXPECT_EQ(v.color, 0x00FFFFFFu) << strip.name << " " << i;
      EXPECT_EQ(v.specular, 0u) << strip.name << " " << i;
    }
  }
}

TEST(SceneGeometry, LogoTextureCoordinates) {
  static const float expectedU[5] = {0.01f, 0.133f, 0.256f, 0.379f, 0.502f};
  BuildFor(640, 480);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(scene.logoStrip[2 * i].tu, expectedU[i], 1e-7) << "column " << i;
    EXPECT_EQ(scene.logoStrip[2 * i + 1].tu, scene.logoStrip[2 * i].tu) << "column " << i;
    EXPECT_EQ(scene.logoStrip[2 * i].tv, 0.665f) << "column " << i;
    EXPECT_EQ(scene.logoStrip[2 * i + 1].tv, 0.915f) << "column " << i;
  }
}

// A second build for the same size, after one for another size, gives the same bytes.
TEST(SceneGeometry, RebuildRestoresTheSameGeometry) {
  BuildFor(640, 480);
  static SceneGeometry first;
  first = scene;
  BuildSceneGeometry(scene, 1280, 1024);
  EXPECT_NE(scene.sceneDiagonal, first.sceneDiagonal);
  BuildSceneGeometry(scene, 640, 480);
  EXPECT_EQ(memcmp(scene.quadBlock, first.quadBlock, sizeof(scene.quadBlock)), 0);
  EXPECT_EQ(memcmp(scene.ringStrips, first.ringStrips, sizeof(scene.ringStrips)), 0);
  EXPECT_EQ(memcmp(scene.logoStrip, first.logoStrip, sizeof(scene.logoStrip)), 0);
  EXPECT_EQ(scene.sceneDiagonal, first.sceneDiagonal);
  EXPECT_EQ(scene.logoWidth, first.logoWidth);
}

}  // namespace
