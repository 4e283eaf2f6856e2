// Frame animation: streams the wall texture outward through the tunnel and moves the waving logo.
//
// Scroll. Each band (the centre square and the five rings) shows a 32-texel window of
// the wall's columns, larger u at its inner edge, and each ring's window starts 32
// texels before the one inside it, so the wall runs on unbroken from the centre out.
// The seed falls by one a frame, which moves every window one texel towards larger u:
// the pattern streams outward. The windows wrap after 128 texels, the wall's period.
// Around a ring v zig-zags over the four-entry table, mirroring the wall sixteen times;
// the table drifts by 1/32768 a frame, back and forth through the wall's rows.
//
// Logo. A cycle of 1024 frames in eight phases of 128: in from the left along the top,
// out to the left, in from the left along the bottom, out to the left, then the same
// from the right. Speed and distances follow the diagonal, so every move takes the same
// number of frames at any size. The five columns swing in height like a flag.
#include "animation/animation.h"

#include <math.h>

AnimationState animation;

namespace {

// Texture u of a band edge for a window offset: the inner edge shows column 159 - offset.
float InnerU(uint32_t offset) { return static_cast<float>((159.0 - offset) / 256.0); }
float OuterU(uint32_t offset) { return static_cast<float>((127.0 - offset) / 256.0); }

void ScrollWall(SceneGeometry& scene, uint32_t seed) {
  const uint32_t a = seed & 127u;
  const uint32_t t = (seed & 0x8000u) ? (~seed & 0x3FFFu) : (seed & 0x3FFFu);
  const double f = t / 32768.0;
  const float rowTable[4] = {
      static_cast<float>(f + 0.01),
      static_cast<float>(f + 0.0625),
      static_cast<float>(f + 0.125),
      static_cast<float>(f + 0.0625),
  };

  TLVertex* quad = scene.quadBlock;
  static const int cornerVertices[5] = {0, 2, 3, 5, 6};
  for (int index : cornerVertices) quad[index].tu = OuterU(a);
  quad[1].tu = quad[4].tu = InnerU(a);
  quad[0].tv = quad[3].tv = quad[6].tv = rowTable[0];
  quad[1].tv = quad[4].tv = rowTable[1];
  quad[2].tv = quad[5].tv = rowTable[2];

  for (uint32_t k = 0; k < ringCount; ++k) {
    const uint32_t b = (a + 32u * (k + 1u)) & 127u;
    const float innerU = InnerU(b);
    const float outerU = OuterU(b);
    TLVertex* ring = scene.ringStrips[k];
    for (int j = 0; j <= 32; ++j) {
      ring[2 * j].tu = innerU;
      ring[2 * j + 1].tu = outerU;
      ring[2 * j].tv = ring[2 * j + 1].tv = rowTable[j & 3];
    }
  }
}

// Moves the logo's left edge P and centre line Q by the rule of the frame's phase.
void MoveLogo(SceneGeometry& scene, uint32_t frame, int32_t clientWidth, int32_t clientHeight) {
  const double diagonal = scene.sceneDiagonal;
  const float logoWidth = scene.logoWidth;
  const float speed = static_cast<float>(diagonal / 256.0);
  const float xMax = static_cast<float>(clientWidth - 1);
  const float rightRest = static_cast<float>((clientWidth - 1) - 1.3 * logoWidth);
  const double leftRest = logoWidth * 0.125;
  const float topBand = static_cast<float>(diagonal / 12.0);
  const float bottomBand =
      static_cast<float>(clientHeight - (diagonal / 64.0 + diagonal / 16.0));
  const float offLeft = -logoWidth;

  float& p = scene.logoLeft;
  float& q = scene.logoCentreY;
  switch ((frame >> 7) & 7u) {
    case 0:
    case 2:
      if (p == xMax) p = offLeft;
      if (p < leftRest) p = static_cast<float>(static_cast<double>(p) + speed);
      break;
    case 1:
      if (p > offLeft) p = static_cast<float>(static_cast<double>(p) - speed);
      else q = bottomBand;
      break;
    case 3:
      if (p > offLeft) {
        p = static_cast<float>(static_cast<double>(p) - speed);
      } else {
        q = topBand;
        p = offLeft;
      }
      break;
    case 4:
    case 6:
      if (p == offLeft) p = xMax;
      if (p > rightRest) p = static_cast<float>(static_cast<double>(p) - speed);
      break;
    case 5:
      if (p < xMax) p = static_cast<float>(static_cast<double>(p) + speed);
      else q = bottomBand;
      break;
    default:
      if (p < xMax) {
        p = static_cast<float>(static_cast<double>(p) + speed);
      } else {
        p = xMax;
        q = topBand;
      }
      break;
  }
}

// Lays out the five logo columns from P and Q; columns past an edge are pinned to it.
void LayOutLogo(SceneGeometry& scene, uint32_t frame, int32_t clientWidth, int32_t clientHeight) {
  const double diagonal = scene.sceneDiagonal;
  const double xMax = static_cast<float>(clientWidth - 1);
  const double yMax = static_cast<float>(clientHeight - 1);
  const double halfHeight = diagonal / 16.0;
  const double columnStep = static_cast<float>(diagonal / 29.0);
  const double centreY = scene.logoCentreY;
  // The wave's phase uses the frame number as a signed 32-bit value, as it counted
  // before the counter became unsigned, so the swing carries on unchanged past 2^31.
  double theta = static_cast<int32_t>(frame) * static_cast<double>(0.33333334f);
  double x = scene.logoLeft;
  for (int i = 0; i < 5; ++i) {
    TLVertex& top = scene.logoStrip[2 * i];
    TLVertex& bottom = scene.logoStrip[2 * i + 1];
    const double sx = x < 0.0 ? 0.0 : (x > xMax ? xMax : x);
    top.sx = bottom.sx = static_cast<float>(sx);
    const double h = halfHeight * (1.0 + 0.25 * sin(theta));
    const double topY = centreY - h;
    const double bottomY = centreY + h;
    top.sy = static_cast<float>(topY < 0.0 ? 0.0 : topY);
    bottom.sy = static_cast<float>(bottomY > yMax ? yMax : bottomY);
    x += columnStep;
    theta += 0.3;
  }
}

}  // namespace

void StartLogoCycle(SceneGeometry& scene) {
  scene.logoLeft = -scene.logoWidth;
  scene.logoCentreY = static_cast<float>(scene.sceneDiagonal / 12.0);
}

void AdvanceAnimation(AnimationState& clock) {
  clock.animationSeed -= 1u;
  // Unsigned, so the wrap after 2^32 frames is defined; bits 7 to 9 give the same
  // phase as the arithmetic shift of the signed count would.
  clock.frameCounter += 1u;
}

void MoveClockForPicture(AnimationState& clock, int& movedThisTick) {
  if (movedThisTick) return;
  AdvanceAnimation(clock);
  movedThisTick = 1;
}

void AnimateScene(SceneGeometry& scene, const AnimationState& clock, int32_t clientWidth, int32_t clientHeight) {
  ScrollWall(scene, clock.animationSeed);

  const uint32_t frame = clock.frameCounter;
  // The first frame after the counter starts (or wraps round to it) starts the logo's cycle anew.
  if (frame == 1u) StartLogoCycle(scene);
  MoveLogo(scene, frame, clientWidth, clientHeight);
  LayOutLogo(scene, frame, clientWidth, clientHeight);
}

void AnimateFrame(SceneGeometry& scene, AnimationState& clock, int32_t clientWidth, int32_t clientHeight) {
  AdvanceAnimation(clock);
  AnimateScene(scene, clock, clientWidth, clientHeight);
}
