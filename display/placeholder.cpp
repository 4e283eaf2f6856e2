// Temporary stand-ins for display operations until they are written.
#include "display/display.h"
#include "display/texture.h"
DeviceStateRecord DeviceState;
TextureHolder sceneTexture;
TextureHolder::TextureHolder() : sourceSurface(nullptr), textureSurface(nullptr), texturePalette(nullptr), textureHandle(0) {}
void TextureHolder::ReleaseTexture() {}
void SetUpSceneState(IDirect3DDevice2*) {}
int BringUpDisplay(HWND) { return 0; }
int TearDownDisplay(HWND) { return 1; }
int PresentFrame(HWND) { return 0; }
void ResetDeviceState() {}
