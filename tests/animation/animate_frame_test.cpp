// Tests of the frame animation: the texture scroll through the tunnel, the logo's 1024-frame cycle, one clock for scenes of every size.
#include <gtest/gtest.h>
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "animation/animation.h"

namespace {

// The picture under test.
SceneGeometry scene;

// Values of the 640 x 480 scene (diagonal 800) used by the worked examples.
const float kL = 110.344826f;         // logo width, 4/29 of the diagonal
const float kV = 3.125f;              // logo speed, pixels per frame
const float kXMax = 639.0f;
const float kTopBand = 66.666664f;    // 800 / 12
const float kBottomBand = 417.5f;     // 480 - 5 * 800 / 64

// Client size of the scene under test; every AnimateFrame call passes it.
int32_t sceneWidth = 0;
int32_t sceneHeight = 0;

void BuildScene(int32_t width, int32_t height) {
  memset(&scene, 0, sizeof(scene));
  memset(&animation, 0, sizeof(animation));
  sceneWidth = width;
  sceneHeight = height;
  BuildSceneGeometry(scene, width, height);
}

class AnimateFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUpScene(640, 480); }

  static void SetUpScene(int32_t width, int32_t height) { BuildScene(width, height); }
};

// The row-drift value t of the last frame, read back from the table entry T[0] = t/32768 + 0.01.
long RowDrift() { return lround((scene.quadBlock[0].tv - 0.01) * 32768.0); }

TEST_F(AnimateFrameTest, WorkedExampleSeed0x12344) {
  animation.animationSeed = 0x12345;
  animation.frameCounter = 7;
  AnimateFrame(scene, animation, sceneWidth, sceneHeight);
  ASSERT_EQ(animation.animationSeed, 0x12344u);

  const TLVertex* quad = scene.quadBlock;
  EXPECT_EQ(quad[1].tu, 91 / 256.0f) << "centre shows column 159 - a with a = 68";
  EXPECT_EQ(quad[4].tu, 91 / 256.0f);
  for (int corner : {0, 2, 3, 5, 6}) EXPECT_EQ(quad[corner].tu, 59 / 256.0f) << "corner " << corner;

  static const float expectedT[4] = {0.2855126953125f, 0.3380126953125f, 0.4005126953125f,
                                     0.3380126953125f};
  EXPECT_EQ(RowDrift(), 9028);
  EXPECT_FLOAT_EQ(quad[0].tv, expectedT[0]);
  EXPECT_FLOAT_EQ(quad[3].tv, expectedT[0]);
  EXPECT_FLOAT_EQ(quad[6].tv, expectedT[0]);
  EXPECT_FLOAT_EQ(quad[1].tv, expectedT[1]);
  EXPECT_FLOAT_EQ(quad[4].tv, expectedT[1]);
  EXPECT_FLOAT_EQ(quad[2].tv, expectedT[2]);
  EXPECT_FLOAT_EQ(quad[5].tv, expectedT[2]);

  // Inner and outer edge column of each ring, offsets b = 100, 4, 36, 68, 100.
  static const int expectedColumns[ringCount][2] = {{59, 27}, {155, 123}, {123, 91}, {91, 59}, {59, 27}};
  for (int k = 0; k < ringCount; ++k) {
    for (int j = 0; j <= 32; ++j) {
      const TLVertex& inner = scene.ringStrips[k][2 * j];
      const TLVertex& outer = scene.ringStrips[k][2 * j + 1];
      EXPECT_EQ(inner.tu, static_cast<float>(expectedColumns[k][0]) / 256.0f) << "ring " << k << " step " << j;
      EXPECT_EQ(outer.tu, static_cast<float>(expectedColumns[k][1]) / 256.0f) << "ring " << k << " step " << j;
      EXPECT_FLOAT_EQ(inner.tv, expectedT[j & 3]) << "ring " << k << " step " << j;
      EXPECT_EQ(outer.tv, inner.tv) << "ring " << k << " step " << j;
    }
  }
}

// Row drift at the points where bit 15 changes (continuous) and half-way through each half (jump).
TEST_F(AnimateFrameTest, RowDriftTable) {
  static const struct {
    uint32_t seed;  // value after the decrement
    long t;
  } cases[] = {
      {0x12344, 9028}, {0x10000, 0}, {0xFFFF, 0},     {0x8000, 16383}, {0x7FFF, 16383},
      {0xC000, 16383}, {0xBFFF, 0},  {0x4000, 0},     {0x3FFF, 16383}, {0x0000, 0},
      {0xFFFFFFFF, 0}, {0x8001, 16382}, {0x7FFE, 16382},
  };
  for (const auto& c : cases) {
    animation.animationSeed = c.seed + 1;
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    EXPECT_EQ(RowDrift(), c.t) << std::hex << "S = 0x" << c.seed;
  }
}

// Over a full period of the seed's low 16 bits t moves by one per frame; it holds still
// where bit 15 changes and jumps between 0 and 16383 where the low 15 bits pass from
// 0x4000 to 0x3FFF.
TEST_F(AnimateFrameTest, RowDriftIsContinuousExceptAtTheJumps) {
  animation.animationSeed = 0x2468ACE1;
  AnimateFrame(scene, animation, sceneWidth, sceneHeight);
  long previous = RowDrift();
  int jumps = 0, turns = 0;
  for (int frame = 0; frame < 0x10000 + 3; ++frame) {
    const uint32_t before = animation.animationSeed;
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    const long t = RowDrift();
    if ((before & 0x7FFF) == 0x4000) {
      EXPECT_EQ(labs(t - previous), 16383) << std::hex << "S = 0x" << animation.animationSeed;
      ++jumps;
    } else if (((before ^ animation.animationSeed) & 0x8000) != 0) {
      EXPECT_EQ(t, previous) << std::hex << "S = 0x" << animation.animationSeed;
      ++turns;
    } else {
      EXPECT_EQ(labs(t - previous), 1) << std::hex << "S = 0x" << animation.animationSeed;
    }
    previous = t;
  }
  EXPECT_EQ(jumps, 2);
  EXPECT_EQ(turns, 2);
}

// Every band shows a 32-texel window, each band's inner edge shows the column of the
// outer edge of the band inside it, and every window moves one texel outward per frame.
TEST_F(AnimateFrameTest, BandWindowsMeetAndStreamOutward) {
  const float period = 128 / 256.0f;
  animation.animationSeed = 0x5A5A0301;
  std::vector<float> previous;
  for (int frame = 0; frame < 300; ++frame) {
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    std::vector<float> edges;  // inner and outer u of the square, then of each ring
    edges.push_back(scene.quadBlock[1].tu);
    edges.push_back(scene.quadBlock[0].tu);
    for (int corner : {2, 3, 5, 6}) ASSERT_EQ(scene.quadBlock[corner].tu, scene.quadBlock[0].tu);
    for (int k = 0; k < ringCount; ++k) {
      for (int j = 1; j <= 32; ++j) {
        ASSERT_EQ(scene.ringStrips[k][2 * j].tu, scene.ringStrips[k][0].tu);
        ASSERT_EQ(scene.ringStrips[k][2 * j + 1].tu, scene.ringStrips[k][1].tu);
      }
      edges.push_back(scene.ringStrips[k][0].tu);
      edges.push_back(scene.ringStrips[k][1].tu);
    }
    for (size_t band = 0; band < edges.size(); band += 2) {
      EXPECT_EQ(edges[band] - edges[band + 1], 32 / 256.0f) << "band " << band / 2 << " frame " << frame;
      EXPECT_GE(edges[band + 1], 0.0f);
      EXPECT_LE(edges[band], 159 / 256.0f);
      if (band >= 2) {
        const float gap = edges[band] - edges[band - 1];
        EXPECT_TRUE(gap == 0.0f || fabsf(gap) == period)
            << "band " << band / 2 << " does not meet the band inside it, frame " << frame;
      }
    }
    if (!previous.empty()) {
      for (size_t i = 0; i < edges.size(); ++i) {
        const float step = edges[i] - previous[i];
        EXPECT_TRUE(step == 1 / 256.0f || step == -127 / 256.0f) << "edge " << i << " frame " << frame;
      }
    }
    previous = edges;
  }
}

// The texture coordinates around each ring are mirror images about the vertical axis.
TEST_F(AnimateFrameTest, RingTextureIsSymmetricAboutTheVerticalAxis) {
  animation.animationSeed = 0x0BADF00D;
  for (int frame = 0; frame < 40; ++frame) {
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    for (int k = 0; k < ringCount; ++k) {
      for (int j = 0; j <= 32; ++j) {
        EXPECT_EQ(scene.ringStrips[k][2 * j].tv, scene.ringStrips[k][2 * (32 - j)].tv);
        EXPECT_EQ(scene.ringStrips[k][2 * j].tu, scene.ringStrips[k][2 * (32 - j)].tu);
      }
    }
  }
}

TEST_F(AnimateFrameTest, FirstFrameLogoAt640x480) {
  static const struct {
    float sx, topSy, bottomSy;
  } columns[5] = {
      {0.0f, 12.577f, 120.757f}, {0.0f, 9.269f, 124.065f},  {0.0f, 6.622f, 126.712f},
      {0.0f, 4.872f, 128.462f},  {3.125f, 4.175f, 129.158f},
  };
  static const double halfHeights[5] = {54.090, 57.398, 60.045, 61.795, 62.491};
  animation.animationSeed = 1000;
  AnimateFrame(scene, animation, sceneWidth, sceneHeight);
  EXPECT_EQ(animation.frameCounter, 1u);
  EXPECT_NEAR(scene.logoLeft, -107.2198, 1e-4);
  EXPECT_FLOAT_EQ(scene.logoLeft, -kL + kV);
  EXPECT_FLOAT_EQ(scene.logoCentreY, kTopBand);
  for (int i = 0; i < 5; ++i) {
    const TLVertex& top = scene.logoStrip[2 * i];
    const TLVertex& bottom = scene.logoStrip[2 * i + 1];
    EXPECT_NEAR(top.sx, columns[i].sx, 1e-4) << "column " << i;
    EXPECT_EQ(bottom.sx, top.sx) << "column " << i;
    EXPECT_NEAR(top.sy, columns[i].topSy, 0.001) << "column " << i;
    EXPECT_NEAR(bottom.sy, columns[i].bottomSy, 0.001) << "column " << i;
    EXPECT_NEAR((bottom.sy - top.sy) / 2, halfHeights[i], 0.001) << "column " << i;
  }
}

// One frame of the logo's move in a given phase; P and Q before and after, at 640 x 480.
TEST_F(AnimateFrameTest, PhaseRulesAndBoundaries) {
  static const struct {
    uint32_t frame;  // N, the frame's number after counting
    float p, q;      // logoLeft and logoCentreY before
    float expectedP, expectedQ;
  } cases[] = {
      // phase 0 (N 0 to 127): in from the left, a left edge at xMax restarts at -L
      {2, -kL, kTopBand, -kL + kV, kTopBand},
      {127, kXMax, kTopBand, -kL + kV, kTopBand},
      {127, 10.0f, kTopBand, 13.125f, kTopBand},
      {127, 14.0f, kTopBand, 14.0f, kTopBand},
      {1024, kXMax, kTopBand, -kL + kV, kTopBand},
      {1024 * 5 + 3, kXMax, kTopBand, -kL + kV, kTopBand},
      // phase 1 (128 to 255): out to the left, then to the bottom band without moving
      {128, 14.0f, kTopBand, 10.875f, kTopBand},
      {128, -kL, kTopBand, -kL, kBottomBand},
      {255, -kL - 1.0f, kTopBand, -kL - 1.0f, kBottomBand},
      // phase 2 (256 to 383): in from the left, from wherever phase 1 stopped
      {256, -kL - 1.0f, kBottomBand, -kL - 1.0f + kV, kBottomBand},
      {383, kXMax, kBottomBand, -kL + kV, kBottomBand},
      // phase 3 (384 to 511): out to the left, then back to the top at exactly -L
      {384, 0.0f, kBottomBand, -kV, kBottomBand},
      {511, -kL - 2.0f, kBottomBand, -kL, kTopBand},
      // phase 4 (512 to 639): exactly -L jumps to xMax and moves in from the right
      {512, -kL, kTopBand, kXMax - kV, kTopBand},
      {639, 500.0f, kTopBand, 496.875f, kTopBand},
      {639, 495.0f, kTopBand, 495.0f, kTopBand},
      {639, -kL - 1.0f, kTopBand, -kL - 1.0f, kTopBand},
      // phase 5 (640 to 767): out to the right, then to the bottom band without moving
      {640, 495.0f, kTopBand, 498.125f, kTopBand},
      {767, kXMax, kTopBand, kXMax, kBottomBand},
      {767, kXMax + 2.0f, kTopBand, kXMax + 2.0f, kBottomBand},
      // phase 6 (768 to 895): same as phase 4
      {768, -kL, kBottomBand, kXMax - kV, kBottomBand},
      {895, 640.5f, kBottomBand, 637.375f, kBottomBand},
      // phase 7 (896 to 1023): out to the right, then back to the top at exactly xMax
      {896, 600.0f, kBottomBand, 603.125f, kBottomBand},
      {1023, kXMax + 2.0f, kBottomBand, kXMax, kTopBand},
      // the count wraps after 2^32 frames: N = 0xFFFFFFFF is phase 7
      {0xFFFFFFFFu, kXMax + 2.0f, kBottomBand, kXMax, kTopBand},
  };
  for (const auto& c : cases) {
    animation.frameCounter = c.frame - 1;
    scene.logoLeft = c.p;
    scene.logoCentreY = c.q;
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    EXPECT_EQ(animation.frameCounter, c.frame);
    EXPECT_FLOAT_EQ(scene.logoLeft, c.expectedP) << "N = " << c.frame << ", P = " << c.p;
    EXPECT_FLOAT_EQ(scene.logoCentreY, c.expectedQ) << "N = " << c.frame << ", P = " << c.p;
  }
}

// After 2^32 frames the counter is 0 again and the next frame starts the logo afresh.
TEST_F(AnimateFrameTest, CounterWrapRunsTheFirstFrameSetUpAgain) {
  animation.frameCounter = 0xFFFFFFFFu;
  scene.logoLeft = 300.0f;
  scene.logoCentreY = kBottomBand;
  AnimateFrame(scene, animation, sceneWidth, sceneHeight);
  EXPECT_EQ(animation.frameCounter, 0u);
  EXPECT_FLOAT_EQ(scene.logoLeft, 300.0f) << "phase 0 leaves a logo past leftRest where it is";
  AnimateFrame(scene, animation, sceneWidth, sceneHeight);
  EXPECT_EQ(animation.frameCounter, 1u);
  EXPECT_FLOAT_EQ(scene.logoLeft, -kL + kV);
  EXPECT_FLOAT_EQ(scene.logoCentreY, kTopBand);
}

// Frames in which the logo's left edge moves, per phase, over one whole cycle.
std::vector<int> MovingFramesPerPhase(int32_t width, int32_t height) {
  BuildScene(width, height);
  std::vector<int> moving(8, 0);
  AnimateFrame(scene, animation, sceneWidth, sceneHeight);
  float previous = scene.logoLeft;
  moving[0] = 1;
  for (int frame = 2; frame < 2048; ++frame) {
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    if (scene.logoLeft != previous) ++moving[(animation.frameCounter >> 7) & 7];
    previous = scene.logoLeft;
  }
  return moving;
}

// The moves take the same number of frames at any size: 40 in and out on the left, 46 on the right.
TEST_F(AnimateFrameTest, MovesTakeTheSameNumberOfFramesAtEverySize) {
  static const int32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}, {320, 200}};
  // Two cycles are counted; the first frame's move belongs to phase 0 of the first cycle.
  static const int expected[8] = {80, 80, 80, 80, 92, 92, 92, 92};
  for (const auto& size : sizes) {
    const std::vector<int> moving = MovingFramesPerPhase(size[0], size[1]);
    for (int phase = 0; phase < 8; ++phase) {
      EXPECT_EQ(moving[phase], expected[phase]) << size[0] << "x" << size[1] << " phase " << phase;
    }
  }
}

// Over whole cycles at several sizes the logo stays inside the window; columns past
// an edge are pinned to it and the rest lie one column width apart.
TEST_F(AnimateFrameTest, LogoStaysInsideTheWindow) {
  static const int32_t sizes[][2] = {{640, 480}, {1024, 768}, {200, 150}, {1920, 1080}};
  for (const auto& size : sizes) {
    SetUpScene(size[0], size[1]);
    const float xMax = static_cast<float>(size[0] - 1);
    const float yMax = static_cast<float>(size[1] - 1);
    const double column = scene.sceneDiagonal / 29.0;
    bool sawLeftPin = false, sawRightPin = false, sawWhole = false;
    for (int frame = 0; frame < 1100; ++frame) {
      AnimateFrame(scene, animation, sceneWidth, sceneHeight);
      int inside = 0;
      for (int i = 0; i < 5; ++i) {
        const TLVertex& top = scene.logoStrip[2 * i];
        const TLVertex& bottom = scene.logoStrip[2 * i + 1];
        const double x = scene.logoLeft + i * column;
        ASSERT_GE(top.sx, 0.0f);
        ASSERT_LE(top.sx, xMax);
        ASSERT_EQ(bottom.sx, top.sx);
        ASSERT_GE(top.sy, 0.0f);
        ASSERT_LE(bottom.sy, yMax);
        ASSERT_LT(top.sy, bottom.sy);
        if (x < 0) {
          EXPECT_EQ(top.sx, 0.0f) << "frame " << frame << " column " << i;
          sawLeftPin = true;
        } else if (x > xMax) {
          EXPECT_EQ(top.sx, xMax) << "frame " << frame << " column " << i;
          sawRightPin = true;
        } else {
          EXPECT_NEAR(top.sx, x, 1e-3 * size[0]) << "frame " << frame << " column " << i;
          ++inside;
        }
      }
      if (inside == 5) sawWhole = true;
    }
    EXPECT_TRUE(sawLeftPin && sawRightPin && sawWhole) << size[0] << "x" << size[1];
  }
}

// Each column's height swings between 0.75 and 1.25 of D/8 around the centre line.
TEST_F(AnimateFrameTest, LogoColumnsWaveAroundTheCentreLine) {
  double smallest = 1e9, largest = 0;
  for (int frame = 0; frame < 120; ++frame) {
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    for (int i = 0; i < 5; ++i) {
      const TLVertex& top = scene.logoStrip[2 * i];
      const TLVertex& bottom = scene.logoStrip[2 * i + 1];
      EXPECT_NEAR((top.sy + bottom.sy) / 2, scene.logoCentreY, 1e-3);
      const double height = bottom.sy - top.sy;
      smallest = fmin(smallest, height);
      largest = fmax(largest, height);
    }
  }
  EXPECT_NEAR(smallest, 0.75 * 100.0, 0.5);
  EXPECT_NEAR(largest, 1.25 * 100.0, 0.5);
}

// One clock moved on once a frame and handed to the scenes of two sizes gives each the frame
// it would show alone: the same wall and the logo at the same place for its size. The
// clocks are the caller's; the process's clock is not touched.
TEST_F(AnimateFrameTest, OneClockGivesScenesOfEverySizeTheSameFrame) {
  SceneGeometry large = {}, small = {}, largeAlone = {}, smallAlone = {};
  BuildSceneGeometry(large, 640, 480);
  BuildSceneGeometry(small, 320, 200);
  largeAlone = large;
  smallAlone = small;
  AnimationState shared = {0x0BADCAFE, 0}, largeClock = shared, smallClock = shared;
  animation = AnimationState{77, 7};
  // Every field, the padding after the last one left out.
  const size_t sceneBytes = offsetof(SceneGeometry, logoCentreY) + sizeof(float);
  for (uint32_t frame = 1; frame <= 300; ++frame) {
    AdvanceAnimation(shared);
    AnimateScene(large, shared, 640, 480);
    AnimateScene(small, shared, 320, 200);
    AnimateFrame(largeAlone, largeClock, 640, 480);
    AnimateFrame(smallAlone, smallClock, 320, 200);
    ASSERT_EQ(shared.frameCounter, frame);
    ASSERT_EQ(memcmp(&large, &largeAlone, sceneBytes), 0) << "frame " << frame;
    ASSERT_EQ(memcmp(&small, &smallAlone, sceneBytes), 0) << "frame " << frame;
    for (int k = 0; k < ringCount; ++k) {
      for (int v = 0; v < ringVertexCount; ++v) {
        ASSERT_EQ(large.ringStrips[k][v].tu, small.ringStrips[k][v].tu) << "frame " << frame;
        ASSERT_EQ(large.ringStrips[k][v].tv, small.ringStrips[k][v].tv) << "frame " << frame;
      }
    }
    ASSERT_NEAR(large.logoLeft / large.sceneDiagonal, small.logoLeft / small.sceneDiagonal, 1e-5) << "frame " << frame;
  }
  EXPECT_EQ(shared.animationSeed, 0x0BADCAFEu - 300u);
  EXPECT_EQ(animation.frameCounter, 7u);
  EXPECT_EQ(animation.animationSeed, 77u);
}

// With a zero diagonal every logo column sits on one vertical line: the logo has no area.
TEST_F(AnimateFrameTest, ZeroSizeSceneAnimatesWithoutSize) {
  SetUpScene(0, 0);
  for (int frame = 0; frame < 1030; ++frame) {
    AnimateFrame(scene, animation, sceneWidth, sceneHeight);
    for (int i = 0; i < logoVertexCount; ++i) {
      ASSERT_TRUE(isfinite(scene.logoStrip[i].sx) && isfinite(scene.logoStrip[i].sy));
      ASSERT_EQ(scene.logoStrip[i].sx, scene.logoStrip[0].sx);
    }
  }
  EXPECT_EQ(animation.frameCounter, 1030u);
}

}  // namespace
