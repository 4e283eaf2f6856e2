// Scene geometry: the centre square, the five tunnel rings and the logo strip, built once per bring-up.
//
// The tunnel is flat and screen-space. Around the client-area centre lie five ring
// strips whose edge radii are r0, 2r0, 4r0, 8r0, 16r0 and 32r0, with r0 = diagonal/63,
// so the outermost edge lies just past the window's corners. A square of half-size r0
// at the centre (two four-vertex strips sharing a vertex) is the far end of the tunnel.
// Every size follows the diagonal, so the picture looks the same at any window size.
// All sums are formed in double precision and rounded to float only when stored, and
// the angle is accumulated step by step, so that every build gives the same vertices.
#include "animation/animation.h"

#include <math.h>

namespace {

constexpr float vertexDepth = 100.0f;       // sz of the ring vertices
constexpr float vertexRhw = 100.0f;         // rhw of the quad and ring vertices
constexpr uint32_t vertexColor = 0x00FFFFFFu;  // white, alpha 0: the texture shows unchanged
constexpr double angleStep = 0.19634954084375;  // a shade under pi/16; 32 steps close the ring to 2e-10
constexpr double logoColumnStep = 0.123;    // texture u between logo columns
constexpr double logoFirstU = 0.01;
constexpr float logoTopV = 0.665f;
constexpr float logoBottomV = 0.915f;

void SetPosition(TLVertex& vertex, double x, double y) {
  vertex.sx = static_cast<float>(x);
  vertex.sy = static_cast<float>(y);
}

}  // namespace

void BuildSceneGeometry(SceneGeometry& scene, int32_t width, int32_t height) {
  // The squares are summed as 32-bit integers; client areas stay far below the overflow size.
  const int32_t sumOfSquares = width * width + height * height;
  const double diagonal = sqrt(static_cast<double>(sumOfSquares));
  const double cx = static_cast<double>(width / 2);
  const double cy = static_cast<double>(height / 2);
  const double r0 = diagonal * (1.0 / 63.0);
  const double d = static_cast<double>(static_cast<float>(r0));

  TLVertex* quad = scene.quadBlock;
  SetPosition(quad[0], cx + d, cy + d);
  SetPosition(quad[1], cx, cy);
  SetPosition(quad[2], cx + d, cy - d);
  SetPosition(quad[3], cx - d, cy - d);
  SetPosition(quad[4], cx, cy);
  SetPosition(quad[5], cx - d, cy + d);
  SetPosition(quad[6], cx + d, cy + d);
  for (TLVertex& vertex : scene.quadBlock) {
    vertex.rhw = vertexRhw;
    vertex.color = vertexColor;
    vertex.specular = 0;
  }

  double inner = r0;
  for (int k = 0; k < ringCount; ++k) {
    const double outer = 2.0 * inner;
    TLVertex* ring = scene.ringStrips[k];
    double theta = 0.0;
    for (int j = 0; j <= 32; ++j) {
      const double s = sin(theta);
      const double c = cos(theta);
      SetPosition(ring[2 * j], cx + inner * s, cy + inner * c);
      SetPosition(ring[2 * j + 1], cx + outer * s, cy + outer * c);
      theta += angleStep;
    }
    for (int v = 0; v < ringVertexCount; ++v) {
      ring[v].sz = vertexDepth;
      ring[v].rhw = vertexRhw;
      ring[v].color = vertexColor;
      ring[v].specular = 0;
    }
    inner = outer;
  }

  double u = logoFirstU;
  for (int i = 0; i < 5; ++i) {
    TLVertex& top = scene.logoStrip[2 * i];
    TLVertex& bottom = scene.logoStrip[2 * i + 1];
    top.tu = bottom.tu = static_cast<float>(u);
    top.tv = logoTopV;
    bottom.tv = logoBottomV;
    top.color = bottom.color = vertexColor;
    top.specular = bottom.specular = 0;
    u += logoColumnStep;
  }

  scene.sceneDiagonal = diagonal;
  scene.logoWidth = static_cast<float>(diagonal * (1.0 / 29.0) * 4.0);
}
