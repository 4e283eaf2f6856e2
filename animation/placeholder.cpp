// Temporary stand-ins for animation operations until they are written.
#include "animation/animation.h"
SceneGeometry scene;
AnimationState animation;
void BuildSceneGeometry() {}
void AnimateFrame() {}
void DrawFrame(IDirect3DDevice2*) {}
