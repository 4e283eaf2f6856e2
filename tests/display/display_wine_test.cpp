// The display brought up, presented and torn down on Wine's own DirectDraw and Direct3D, with no fakes.
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <string.h>

#include <set>
#include <vector>

#include "display/display.h"
#include "display/texture.h"
#include "display_test_support.h"
#include "settings/settings.h"
#include "platform/platform.h"

using display_test::LogFileExists;
using display_test::LogFileText;

namespace {

// Every object the record and the scene texture hold gets one extra reference here; after
// the teardown each of those must be the last one left.
struct ExtraReferences {
  std::vector<IUnknown*> held;
  std::vector<const char*> names;

  void Take(IUnknown* object, const char* name) {
    if (!object) return;
    object->AddRef();
    held.push_back(object);
    names.push_back(name);
  }
  void ExpectEachIsTheLast() {
    for (size_t i = 0; i < held.size(); ++i) EXPECT_EQ(0u, held[i]->Release()) << names[i] << " is still held";
    held.clear();
    names.clear();
  }
};

// Objects that the saver creates independently of one another. The back buffer of a
// flipping chain is part of its front surface and has no count of its own to check.
void TakeIndependentObjects(ExtraReferences& extra) {
  extra.Take(DeviceState.device, "device");
  extra.Take(DeviceState.viewport, "viewport");
  extra.Take(DeviceState.material, "material");
  if (!DeviceState.fullScreen) extra.Take(DeviceState.renderSurface, "render surface");
  extra.Take(DeviceState.frontSurface, "front surface");
  extra.Take(DeviceState.texture.textureSurface, "texture surface");
  if (DeviceState.texture.sourceSurface != DeviceState.texture.textureSurface) extra.Take(DeviceState.texture.sourceSurface, "source surface");
}

void ExpectRecordEmpty() {
  display_test::ExpectRecordHoldsNothing();
  EXPECT_EQ(nullptr, DeviceState.texture.textureSurface);
  EXPECT_EQ(nullptr, DeviceState.texture.sourceSurface);
  EXPECT_EQ(0u, DeviceState.texture.textureHandle);
}

// Pumps the messages Wine's window code posts, so that drawing reaches the X server.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Counts the pixels of window's client area on the screen that are not black; colours,
// when given, receives each distinct colour among them.
int NonBlackPixels(HWND window, int width, int height, std::set<DWORD>* colours = nullptr) {
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  const std::vector<DWORD> pixels = display_test::CopyPixels(screen, origin.x, origin.y, width, height);
  int count = 0;
  for (DWORD pixel : pixels)
    if ((pixel & 0x00FFFFFFu) != 0) {
      ++count;
      if (colours) colours->insert(pixel & 0x00FFFFFFu);
    }
  ReleaseDC(nullptr, screen);
  return count;
}

// Windows of this class paint themselves black, so any colour in them came from the saver.
const char* BlackWindowClass() {
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "VykBlackWindow";
    atom = RegisterClassA(&windowClass);
  }
  return "VykBlackWindow";
}

// Counts the pixels of the primary surface inside the screen rectangle area that are not black.
int NonBlackPixelsOnPrimary(IDirectDrawSurface* primary, const RECT& area) {
  HDC surfaceDc = nullptr;
  if (primary->GetDC(&surfaceDc) != DD_OK) return -1;
  int count = 0;
  for (LONG y = area.top; y < area.bottom; y += 4)
    for (LONG x = area.left; x < area.right; x += 4)
      if ((GetPixel(surfaceDc, x, y) & 0x00FFFFFFu) != 0) ++count;
  primary->ReleaseDC(surfaceDc);
  return count;
}

class DisplayOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlatform();
    ResetDeviceState();
    Settings.redrawSpeed = 1;
    Settings.logos = 1;
    Settings.linear = 1;
    Settings.hardware = 1;
    DeleteFileA("vykerror.txt");
  }
  void TearDown() override {
    for (HWND window : windows) DestroyWindow(window);
    PumpMessages();
    ResetDeviceState();
    DeleteFileA("vykerror.txt");
  }
  HWND MakeWindow(HWND parent, DWORD exStyle, DWORD style, int x, int y, int width, int height) {
    HWND window = CreateWindowExA(exStyle, BlackWindowClass(), "Vyk display", style, x, y, width, height, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window) windows.insert(windows.begin(), window);
    return window;
  }
  // A visible topmost window over the whole screen, as the full-screen saver's.
  HWND FullScreenWindow() {
    HWND window = MakeWindow(nullptr, WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, 0, 0, screenWidth, screenHeight);
    PumpMessages();
    return window;
  }
  // Presents count frames, each of which must be drawn, and lets them reach the screen.
  static void PresentFrames(HWND window, int count) {
    for (int frame = 0; frame < count; ++frame) {
      EXPECT_EQ(1, display_test::PresentTick(DeviceState, window));
      PumpMessages();
    }
  }
  std::vector<HWND> windows;  // children first, so that DestroyWindow meets each once
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);   // the screen's size, for the full-screen tests
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
};

TEST_F(DisplayOnWine, FullScreenBringUpFlipsAndReleasesEverything) {
  HWND window = FullScreenWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(0, NonBlackPixels(window, screenWidth, screenHeight)) << "the window is black before the saver draws";

  EXPECT_EQ(1, BringUpDisplay(DeviceState, window, Settings, animation));
  EXPECT_EQ(2, DeviceState.deviceStatus);
  EXPECT_FALSE(LogFileExists()) << LogFileText();
  EXPECT_EQ(1, DeviceState.fullScreen);
  EXPECT_EQ(screenWidth, DeviceState.clientWidth);
  EXPECT_EQ(screenHeight, DeviceState.clientHeight);
  EXPECT_EQ(0, DeviceState.renderWidth);
  EXPECT_EQ(0, DeviceState.renderHeight);
  ASSERT_NE(nullptr, DeviceState.renderSurface);
  EXPECT_EQ(nullptr, DeviceState.palette);  // the virtual screen has more than 8 bits per pixel
  EXPECT_NE(nullptr, DeviceState.material);
  EXPECT_NE(0u, DeviceState.texture.textureHandle);
  EXPECT_EQ(static_cast<DWORD>(D3DFILTER_LINEAR), DeviceState.textureFilter);

  PresentFrames(window, 5);
  EXPECT_GT(NonBlackPixels(window, screenWidth, screenHeight), screenWidth * screenHeight / 4);

  ExtraReferences extra;
  TakeIndependentObjects(extra);
  EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
  ExpectRecordEmpty();
  EXPECT_EQ(2, DeviceState.deviceStatus);
  extra.ExpectEachIsTheLast();
  EXPECT_EQ(0, display_test::PresentTick(DeviceState, window));
}

// Wine's DirectDraw, like Windows', is reset by a display-mode request: every video-memory
// surface is lost, the texture with them. The next frame restores them and reloads the
// texture, under the same handle, and the picture is the textured tunnel again.
TEST_F(DisplayOnWine, FrameAfterAResetRestoresTheSurfacesAndIsTextured) {
  HWND window = FullScreenWindow();
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(1, BringUpDisplay(DeviceState, window, Settings, animation));
  ASSERT_EQ(1, display_test::PresentTick(DeviceState, window));
  const D3DTEXTUREHANDLE handle = DeviceState.texture.textureHandle;
  // Wine resets on any request, the mode in use included, granted or not.
  DeviceState.directDraw2->SetDisplayMode(static_cast<DWORD>(screenWidth), static_cast<DWORD>(screenHeight), 32, 0, 0);
  ASSERT_EQ(DDERR_SURFACELOST, DeviceState.texture.textureSurface->IsLost()) << "Wine kept the surfaces";

  PresentFrames(window, 5);
  EXPECT_EQ(DD_OK, DeviceState.texture.textureSurface->IsLost());
  EXPECT_EQ(handle, DeviceState.texture.textureHandle);
  EXPECT_FALSE(LogFileExists()) << LogFileText();
  // The flat white of an untextured tunnel would give a handful of colours; the wall artwork gives many.
  std::set<DWORD> colours;
  EXPECT_GT(NonBlackPixels(window, screenWidth, screenHeight, &colours), screenWidth * screenHeight / 4);
  EXPECT_GT(colours.size(), 32u);
  EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
}

TEST_F(DisplayOnWine, WindowedSaverInsideAParentOfThisProcessPresentsThePicture) {
  constexpr int width = 320, height = 240;
  HWND parent = MakeWindow(nullptr, 0, WS_POPUP | WS_VISIBLE, 100, 80, width + 40, height + 40);
  ASSERT_NE(nullptr, parent);
  HWND child = MakeWindow(parent, 0, WS_CHILD | WS_VISIBLE, 20, 20, width, height);
  ASSERT_NE(nullptr, child);
  PumpMessages();
  EXPECT_EQ(0, NonBlackPixels(child, width, height)) << "the child is black before the saver draws";

  // A child window cannot hold the exclusive level, so the saver falls back to a copy.
  EXPECT_EQ(1, BringUpDisplay(DeviceState, child, Settings, animation));
  EXPECT_EQ(2, DeviceState.deviceStatus);
  EXPECT_FALSE(LogFileExists()) << LogFileText();
  EXPECT_EQ(0, DeviceState.fullScreen);
  EXPECT_EQ(width, DeviceState.renderWidth);
  EXPECT_EQ(height, DeviceState.renderHeight);
  EXPECT_EQ(width, DeviceState.clientWidth);
  EXPECT_EQ(height, DeviceState.clientHeight);
  EXPECT_NE(0u, DeviceState.texture.textureHandle);

  // Wine on a virtual display shows no DirectDraw output inside child windows, so the
  // copy is read back where it lands: the child's screen area of the primary surface.
  POINT origin = {0, 0};
  ClientToScreen(child, &origin);
  RECT childArea = {origin.x, origin.y, origin.x + width, origin.y + height};
  EXPECT_EQ(0, NonBlackPixelsOnPrimary(DeviceState.frontSurface, childArea)) << "black before the first frame";
  PresentFrames(child, 5);
  EXPECT_GT(NonBlackPixelsOnPrimary(DeviceState.frontSurface, childArea), (width / 4) * (height / 4) / 4);
  RECT parentBorder = {origin.x - 20, origin.y - 20, origin.x + width + 20, origin.y};
  EXPECT_EQ(0, NonBlackPixelsOnPrimary(DeviceState.frontSurface, parentBorder)) << "the copy spilled over the child";

  ExtraReferences extra;
  TakeIndependentObjects(extra);
  EXPECT_EQ(1, TearDownDisplay(DeviceState, child));
  ExpectRecordEmpty();
  extra.ExpectEachIsTheLast();
}

}  // namespace
