// Temporary stand-ins for animation operations until they are written.
#include "animation/animation.h"
SceneGeometry scene;
AnimationState animation;
