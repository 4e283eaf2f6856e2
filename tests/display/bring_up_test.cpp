// Bring-up and teardown against the fake DirectX: call sequences, fallbacks, palette, device choice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.h"
#include "display/display.h"
#include "display/texture.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"
#include "settings/settings.h"

using ::testing::ElementsAreArray;
using display_test::Append;
using display_test::ExpectRecordHoldsNothing;
using display_test::LogFileBytes;
using display_test::LogFileExists;
using display_test::LogFileText;

namespace {

const char* const directDrawOpened[] = {
    "GetVersionExA(148)",
    "DirectDrawCreate(null,null)",
    "DD::QueryInterface(IID_IDirect3D2)",
    "DD::QueryInterface(IID_IDirectDraw2)",
};

const char* const fullScreenSurfaces[] = {
    "DD2::SetCooperativeLevel(wnd,0x13)",
    "DD2::CreateSurface({flags=0x21,caps=0x6218,back=1})",
    "Surface::GetAttachedSurface(S1,0x4)",
    "GetDeviceCaps(BITSPIXEL)",
};

const char* const windowedSurfaces[] = {
    "DD2::SetCooperativeLevel(wnd,0x13)",
    "DD2::SetCooperativeLevel(wnd,0x8)",
    "DD2::CreateSurface({flags=0x1,caps=0x6200})",
    "DD2::CreateSurface({flags=0x7,caps=0x6040,w=640,h=480})",
    "GetDeviceCaps(BITSPIXEL)",
};

const char* const clipperDeviceAndViewport[] = {
    "DD2::CreateClipper(0x0)",
    "Clipper::SetHWnd(C1,0x0,wnd)",
    "Surface::SetClipper(S1,C1)",
    "Clipper::Release(C1)",
    "D3D2::CreateDevice(IID_IDirect3DHALDevice,S2)",
    "D3D2::CreateViewport(null)",
    "Device::AddViewport(Dev1,V1)",
    "Viewport::SetViewport2(V1,{44,0,0,640,480,0,0,640,480,0,1})",
    "Device::SetCurrentViewport(Dev1,V1)",
};

// Teardown of a full bring-up on an 8-bit display, so that every field is held.
const char* const teardownOfEverything[] = {
    "Device::Release(Dev1)",
    "Viewport::Release(V1)",
    "Surface::Release(S2)",
    "Surface::Release(S1)",
    "Palette::Release(P1)",
    "DD2::SetCooperativeLevel(wnd,0x8)",
    "Material::Release(M1)",
    "Surface::Release(S4)",
    "Surface::Release(S3)",
    "D3D2::Release()",
    "DD2::Release()",
    "DD::Release()",
};

class BringUp : public ::testing::Test {
 protected:
  void SetUp() override {
    display_test::StartFakeDisplay();
    window = display_test::OpenWindow(0, 0, 640, 480);
    ASSERT_NE(nullptr, window);
  }
  // Whatever a test left held goes now; every fake reference must then be back.
  void TearDown() override { display_test::CloseFakeDisplay(window); }
  // Tears down what the last run made, then starts afresh with the same window.
  void Restart() {
    TearDownDisplay(DeviceState, window);
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
    fake::Reset();
    fake::NameWindow(window, "wnd");
    ResetDeviceState();
    DeleteFileA("vykerror.txt");
  }
  // Brings the display up and expects exactly one logged message, or none for "".
  void BringUpExpecting(int result, LONG status, const std::string& message) {
    EXPECT_EQ(result, BringUpDisplay(DeviceState, window, Settings, animation));
    EXPECT_EQ(status, DeviceState.deviceStatus);
    if (message.empty()) {
      EXPECT_FALSE(LogFileExists()) << LogFileText();
    } else {
      EXPECT_EQ(LogFileBytes(message), LogFileText());
    }
  }
  // The log holds the bring-up's steps, with the given surfaces, and then the scene state,
  // whose own steps the scene state tests check: it opens with the render states and ends
  // with the scene that applies them.
  template <size_t N>
  void ExpectBringUpThenSceneState(const char* const (&surfaces)[N]) {
    std::vector<std::string> bringUp;
    Append(bringUp, directDrawOpened);
    Append(bringUp, surfaces);
    Append(bringUp, clipperDeviceAndViewport);
    const std::vector<std::string>& log = fake::Log();
    ASSERT_GT(log.size(), bringUp.size());
    EXPECT_THAT(std::vector<std::string>(log.begin(), log.begin() + bringUp.size()), ElementsAreArray(bringUp));
    EXPECT_EQ("Device::SetRenderState(Dev1,7,0)", log[bringUp.size()]);
    EXPECT_EQ("Device::EndScene(Dev1)", log.back());
  }
  HWND window = nullptr;
};

// A record holds these from its opening to its bring-up. DeviceState takes them as the
// saver opens its display, whatever an earlier display left in it; before, it is all zero
// and takes no room in the file.
TEST(DeviceStateRecord, StartsEmptyWithFullScreenAndLinearModulatedTexture) {
  const DeviceStateRecord made = NewDeviceState();
  ResetDeviceState();
  const DeviceStateRecord reset = DeviceState;
  DeviceState.deviceStatus = 2;
  DeviceState.fullScreen = 0;
  DeviceState.textureFilter = D3DFILTER_NEAREST;
  DeviceState.clientWidth = 640;
  const DeviceStateRecord* const records[] = {&made, &reset, OpenWindowDisplay(nullptr, 1)};
  for (const DeviceStateRecord* record : records) {
    EXPECT_EQ(0, record->deviceStatus);
    EXPECT_EQ(1, record->fullScreen);
    EXPECT_EQ(static_cast<DWORD>(D3DFILTER_LINEAR), record->textureFilter);
    EXPECT_EQ(static_cast<DWORD>(D3DTBLEND_MODULATE), record->textureBlend);
    ExpectRecordHoldsNothing(*record);
    EXPECT_EQ(0, record->clientWidth);
    EXPECT_EQ(0, record->clientHeight);
    EXPECT_EQ(0, record->renderWidth);
    EXPECT_EQ(0, record->renderHeight);
  }
}

TEST_F(BringUp, FullScreenMakesTheFlippingChainDeviceAndViewportInOrder) {
  BringUpExpecting(1, 2, "");
  ExpectBringUpThenSceneState(fullScreenSurfaces);

  EXPECT_EQ(1, DeviceState.fullScreen);
  EXPECT_EQ(static_cast<DWORD>(D3DFILTER_LINEAR), DeviceState.textureFilter);
  EXPECT_EQ(640, DeviceState.clientWidth);
  EXPECT_EQ(480, DeviceState.clientHeight);
  EXPECT_EQ(0, DeviceState.renderWidth);
  EXPECT_EQ(0, DeviceState.renderHeight);
  EXPECT_EQ("S1", fake::NameOf(DeviceState.frontSurface));
  EXPECT_EQ("S2", fake::NameOf(DeviceState.renderSurface));
  EXPECT_EQ(nullptr, DeviceState.palette);
  EXPECT_EQ("Dev1", fake::NameOf(DeviceState.device));
  EXPECT_EQ("V1", fake::NameOf(DeviceState.viewport));
  EXPECT_EQ("M1", fake::NameOf(DeviceState.material));
  EXPECT_EQ(3u, DeviceState.texture.textureHandle);
  EXPECT_EQ(window, fake::DirectDraw()->cooperativeWindow);
  EXPECT_EQ(0x13u, fake::DirectDraw()->cooperativeFlags);
  // The clipper lives on through the front surface alone.
  EXPECT_EQ("C1", fake::Surface("S1")->clipper);
  EXPECT_EQ(1, fake::Clipper("C1")->refs);
  EXPECT_EQ(window, fake::Clipper("C1")->window);
  EXPECT_EQ("HAL", fake::Device("Dev1")->type);
  EXPECT_EQ("S2", fake::Device("Dev1")->renderTarget);
  EXPECT_EQ("V1", fake::Device("Dev1")->currentViewport);
}

TEST_F(BringUp, RefusedExclusiveLevelFallsBackToWindowedSurfacesWithoutALogLine) {
  fake::FailCall("SetCooperativeLevel(wnd,0x13)", 0, DDERR_EXCLUSIVEMODEALREADYSET);
  BringUpExpecting(1, 2, "");
  ExpectBringUpThenSceneState(windowedSurfaces);

  EXPECT_EQ(0, DeviceState.fullScreen);
  EXPECT_EQ(640, DeviceState.renderWidth);
  EXPECT_EQ(480, DeviceState.renderHeight);
  EXPECT_EQ(640, DeviceState.clientWidth);
  EXPECT_EQ(480, DeviceState.clientHeight);
  EXPECT_EQ(8u, fake::DirectDraw()->cooperativeFlags);
  EXPECT_EQ("S2", fake::Device("Dev1")->renderTarget);
  EXPECT_EQ(640u, fake::Surface("S2")->desc.dwWidth);
  EXPECT_EQ(480u, fake::Surface("S2")->desc.dwHeight);
}

// Windows refuses the exclusive level for a child window; Wine would grant it and stretch
// the preview over the screen, so the child is offered the normal level only.
TEST_F(BringUp, ChildWindowIsOfferedTheNormalLevelOnly) {
  HWND parent = display_test::OpenWindow(50, 40, 400, 300);
  HWND child = display_test::OpenWindow(0, 0, 200, 150, parent);
  fake::NameWindow(parent, "parent");
  EXPECT_EQ(1, BringUpDisplay(DeviceState, child, Settings, animation));
  EXPECT_EQ(0, DeviceState.fullScreen);
  EXPECT_EQ(200, DeviceState.renderWidth);
  EXPECT_EQ(150, DeviceState.renderHeight);
  const std::vector<std::string>& log = fake::Log();
  ASSERT_GT(log.size(), 6u);
  EXPECT_EQ("DD2::SetCooperativeLevel(child,0x8)", log[4]);
  EXPECT_EQ("DD2::CreateSurface({flags=0x1,caps=0x6200})", log[5]);
  EXPECT_EQ("DD2::CreateSurface({flags=0x7,caps=0x6040,w=200,h=150})", log[6]);
  TearDownDisplay(DeviceState, child);
  DestroyWindow(parent);
}

TEST_F(BringUp, BothCooperativeLevelsRefusedLogsOneLineAndMakesNoSurface) {
  fake::FailCall("SetCooperativeLevel", 0, DDERR_HWNDALREADYSET);
  BringUpExpecting(0, 1, "SetCooperativeLevel failed");
  EXPECT_EQ(0, DeviceState.fullScreen);
  EXPECT_EQ(nullptr, DeviceState.frontSurface);
  EXPECT_EQ(nullptr, DeviceState.renderSurface);
  EXPECT_EQ("DD2::SetCooperativeLevel(wnd,0x8)", fake::Log().back());
}

TEST_F(BringUp, FullScreenSurfaceAttemptsAskForSmallerModesInTurn) {
  const char* const attempt = "DD2::CreateSurface({flags=0x21,caps=0x6218,back=1})";
  const char* const mode16 = "DD2::SetDisplayMode(640,480,16,0,0x0)";
  const char* const mode8 = "DD2::SetDisplayMode(640,480,8,0,0x0)";
  const struct {
    int refused;                       // attempts refused, from the first on
    std::vector<std::string> calls;    // the surface step's calls
    int result;
    std::string message;
    LONG clientWidth;
  } cases[] = {
      {0, {attempt}, 1, "", 800},
      {1, {attempt, mode16, attempt}, 1, "", 640},
      {2, {attempt, mode16, attempt, mode8, attempt}, 1, "", 640},
      {3, {attempt, mode16, attempt, mode8, attempt}, 0, "CreateSurface failed \n" + std::string(ResultText(DDERR_INVALIDMODE)), 640},
  };
  const HRESULT refusals[] = {DDERR_OUTOFVIDEOMEMORY, DDERR_NOFLIPHW, DDERR_INVALIDMODE};
  for (const auto& test : cases) {
    SCOPED_TRACE(std::to_string(test.refused) + " attempts refused");
    Restart();
    // An 800 x 600 full-screen window that each mode switch resizes to the new mode.
    SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOZORDER);
    fake::config.onSetDisplayMode = [this](DWORD width, DWORD height, DWORD) {
      SetWindowPos(window, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height), SWP_NOZORDER);
    };
    for (int i = 0; i < test.refused; ++i) fake::FailCall(attempt, i + 1, refusals[i]);

    BringUpExpecting(test.result, test.result ? 2 : 1, test.message);
    const std::vector<std::string>& log = fake::Log();
    ASSERT_GE(log.size(), 5 + test.calls.size());
    EXPECT_THAT(std::vector<std::string>(log.begin() + 5, log.begin() + 5 + static_cast<long>(test.calls.size())),
                ElementsAreArray(test.calls));
    EXPECT_EQ(test.clientWidth, DeviceState.clientWidth);
    EXPECT_EQ(test.clientWidth * 3 / 4, DeviceState.clientHeight);
    EXPECT_EQ(test.result ? "S1" : "null", fake::NameOf(DeviceState.frontSurface));
    if (test.result) {
      EXPECT_EQ("Surface::GetAttachedSurface(S1,0x4)", log[5 + test.calls.size()]);
      const fake::ViewportInfo* viewport = fake::Viewport("V1");
      ASSERT_NE(nullptr, viewport);
      EXPECT_EQ(static_cast<DWORD>(test.clientWidth), viewport->data.dwWidth);
      EXPECT_EQ(static_cast<float>(test.clientWidth), viewport->data.dvClipWidth);
    }
  }
}

// The twenty stock colours at both ends, the 5 x 6 x 7 cube between them, and black
// in the entries no rule fills.
void ExpectDisplayPalette(const fake::PaletteInfo& palette) {
  EXPECT_EQ(static_cast<DWORD>(DDPCAPS_8BIT), palette.caps);
  PALETTEENTRY stock[20];
  ASSERT_EQ(20u, GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, stock));
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE("stock colour " + std::to_string(i));
    EXPECT_EQ(stock[i].peRed, palette.entries[i].peRed);
    EXPECT_EQ(stock[i].peGreen, palette.entries[i].peGreen);
    EXPECT_EQ(stock[i].peBlue, palette.entries[i].peBlue);
    EXPECT_EQ(stock[10 + i].peRed, palette.entries[246 + i].peRed);
    EXPECT_EQ(stock[10 + i].peGreen, palette.entries[246 + i].peGreen);
    EXPECT_EQ(stock[10 + i].peBlue, palette.entries[246 + i].peBlue);
  }
  const BYTE redLevels[6] = {0, 51, 102, 153, 204, 255};
  const BYTE greenLevels[7] = {0, 42, 85, 127, 170, 212, 255};
  const BYTE blueLevels[5] = {0, 63, 127, 191, 255};
  int index = 10;
  for (BYTE blue : blueLevels) {
    for (BYTE red : redLevels) {
      for (BYTE green : greenLevels) {
        const PALETTEENTRY& entry = palette.entries[index];
        EXPECT_TRUE(entry.peRed == red && entry.peGreen == green && entry.peBlue == blue && entry.peFlags == 0)
            << "entry " << index;
        ++index;
      }
    }
  }
  EXPECT_EQ(220, index);
  for (int i = 220; i < 246; ++i) {
    const PALETTEENTRY& entry = palette.entries[i];
    EXPECT_TRUE(entry.peRed == 0 && entry.peGreen == 0 && entry.peBlue == 0 && entry.peFlags == 0) << "entry " << i;
  }
  const struct {
    int index;
    BYTE red, green, blue;
  } named[] = {{10, 0, 0, 0}, {16, 0, 255, 0}, {17, 51, 0, 0}, {52, 0, 0, 63}, {219, 255, 255, 255}};
  for (const auto& colour : named) {
    EXPECT_EQ(colour.red, palette.entries[colour.index].peRed) << colour.index;
    EXPECT_EQ(colour.green, palette.entries[colour.index].peGreen) << colour.index;
    EXPECT_EQ(colour.blue, palette.entries[colour.index].peBlue) << colour.index;
  }
}

TEST_F(BringUp, EightBitDisplayGetsThePaletteOnBothSurfaces) {
  fake::config.bitsPerPixel = 8;
  BringUpExpecting(1, 2, "");
  const std::vector<std::string>& log = fake::Log();
  ASSERT_GT(log.size(), 11u);
  EXPECT_THAT(std::vector<std::string>(log.begin() + 7, log.begin() + 12),
              ElementsAreArray({"GetDeviceCaps(BITSPIXEL)", "DD2::CreatePalette(0x4,entries)",
                                "Surface::SetPalette(S1,P1)", "Surface::SetPalette(S2,P1)",
                                "DD2::CreateClipper(0x0)"}));
  EXPECT_EQ("P1", fake::NameOf(DeviceState.palette));
  EXPECT_EQ("P1", fake::Surface("S1")->palette);
  EXPECT_EQ("P1", fake::Surface("S2")->palette);
  const fake::PaletteInfo* palette = fake::Palette("P1");
  ASSERT_NE(nullptr, palette);
  ExpectDisplayPalette(*palette);
}

TEST_F(BringUp, LastFullScreenAttemptSwitchingToEightBitsGetsThePalette) {
  fake::FailCall("DD2::CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
  fake::FailCall("DD2::CreateSurface", 2, DDERR_OUTOFVIDEOMEMORY);
  fake::config.onSetDisplayMode = [](DWORD, DWORD, DWORD bits) { fake::config.bitsPerPixel = static_cast<int>(bits); };
  BringUpExpecting(1, 2, "");
  EXPECT_EQ(8u, fake::DirectDraw()->modeBits);
  ASSERT_NE(nullptr, fake::Palette("P1"));
  ExpectDisplayPalette(*fake::Palette("P1"));
}

TEST_F(BringUp, OtherDepthsGetNoPalette) {
  for (int bits : {4, 15, 16, 24, 32}) {
    SCOPED_TRACE(std::to_string(bits) + " bits per pixel");
    Restart();
    fake::config.bitsPerPixel = bits;
    BringUpExpecting(1, 2, "");
    EXPECT_EQ(nullptr, DeviceState.palette);
    EXPECT_EQ(nullptr, fake::Palette("P1"));
  }
}

TEST_F(BringUp, RefusedPaletteIsNoFailure) {
  fake::config.bitsPerPixel = 8;
  fake::FailCall("CreatePalette", 1, DDERR_OUTOFMEMORY);
  BringUpExpecting(1, 2, "");
  EXPECT_EQ(nullptr, DeviceState.palette);
  const std::vector<std::string>& log = fake::Log();
  ASSERT_GT(log.size(), 9u);
  EXPECT_EQ("DD2::CreatePalette(0x4,entries)", log[8]);
  EXPECT_EQ("DD2::CreateClipper(0x0)", log[9]);
}

TEST_F(BringUp, DeviceChoiceFollowsTheHardwareAndLinearSettings) {
  const char* const hal = "D3D2::CreateDevice(IID_IDirect3DHALDevice,S2)";
  const char* const ramp = "D3D2::CreateDevice(IID_IDirect3DRampDevice,S2)";
  const struct {
    LONG hardware, linear;
    bool halRefused;
    std::vector<std::string> calls;
    const char* type;
    DWORD filter;
  } cases[] = {
      {1, 1, false, {hal}, "HAL", D3DFILTER_LINEAR},
      {1, 0, false, {hal}, "HAL", D3DFILTER_NEAREST},
      {1, 1, true, {hal, ramp}, "Ramp", D3DFILTER_NEAREST},
      {1, 0, true, {hal, ramp}, "Ramp", D3DFILTER_NEAREST},
      {0, 1, false, {ramp}, "Ramp", D3DFILTER_NEAREST},
      {0, 0, false, {ramp}, "Ramp", D3DFILTER_NEAREST},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE("hardware " + std::to_string(test.hardware) + ", linear " + std::to_string(test.linear) +
                 (test.halRefused ? ", HAL refused" : ""));
    Restart();
    Settings.hardware = test.hardware;
    Settings.linear = test.linear;
    if (test.halRefused) fake::FailCall("IID_IDirect3DHALDevice", 1, DDERR_NODIRECTDRAWHW);
    BringUpExpecting(1, 2, "");
    const std::vector<std::string>& log = fake::Log();
    ASSERT_GT(log.size(), 13 + test.calls.size());
    EXPECT_THAT(std::vector<std::string>(log.begin() + 12, log.begin() + 12 + static_cast<long>(test.calls.size())),
                ElementsAreArray(test.calls));
    EXPECT_EQ("D3D2::CreateViewport(null)", log[12 + test.calls.size()]);
    EXPECT_EQ(test.type, fake::Device(DeviceState.device)->type);
    EXPECT_EQ(test.filter, DeviceState.textureFilter);
    EXPECT_EQ(test.filter, fake::Device(DeviceState.device)->renderStates.at(D3DRENDERSTATE_TEXTUREMAG));
  }
}

// The system version the platform seam reports picks the software device (RGB from Windows 10
// on) and the full-screen modes tried (the current one only from Windows 8 on, its own refusal logged).
TEST_F(BringUp, SoftwareDeviceAndModeAttemptsFollowTheWindowsVersion) {
  const struct {
    DWORD platformId, major, minor, build;
    const char* software;  // the device made with the hardware setting off
    int modeRequests;      // SetDisplayMode calls when every surface attempt is refused
  } cases[] = {{VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, "Ramp", 2},
               {VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Ramp", 2},
               {VER_PLATFORM_WIN32_NT, 6, 2, 9200, "Ramp", 0},
               {VER_PLATFORM_WIN32_NT, 10, 0, 22631, "IID_IDirect3DRGBDevice", 0}};
  for (const auto& test : cases) {
    SCOPED_TRACE(std::to_string(test.major) + "." + std::to_string(test.minor));
    for (bool refuseSurfaces : {false, true}) {
      Restart();
      fake::SetVersion(test.platformId, test.major, test.minor, test.build);
      Settings.hardware = 0;
      if (refuseSurfaces) {
        fake::FailCall("DD2::CreateSurface", 1, DDERR_OUTOFVIDEOMEMORY);
        fake::FailCall("DD2::CreateSurface", 0, DDERR_INVALIDMODE);
      }
      const HRESULT last = test.modeRequests ? DDERR_INVALIDMODE : DDERR_OUTOFVIDEOMEMORY;
      BringUpExpecting(!refuseSurfaces, refuseSurfaces ? 1 : 2,
                       refuseSurfaces ? "CreateSurface failed \n" + std::string(ResultText(last)) : "");
      const auto requests = std::count_if(fake::Log().begin(), fake::Log().end(), [](const std::string& line) {
        return line.find("SetDisplayMode") != std::string::npos;
      });
      EXPECT_EQ(refuseSurfaces ? test.modeRequests : 0, requests);
      if (!refuseSurfaces) {
        EXPECT_EQ(test.software, fake::Device(DeviceState.device)->type);
      }
    }
  }
}

TEST_F(BringUp, RefusedRampDeviceLogsItsResultOnly) {
  fake::FailCall("IID_IDirect3DHALDevice", 1, DDERR_NODIRECTDRAWHW);
  fake::FailCall("IID_IDirect3DRampDevice", 1, DDERR_OUTOFMEMORY);
  BringUpExpecting(0, 1, "Create Render device error \n" + std::string(ResultText(DDERR_OUTOFMEMORY)) + ".");
  EXPECT_EQ(nullptr, DeviceState.device);
  EXPECT_EQ(static_cast<DWORD>(D3DFILTER_NEAREST), DeviceState.textureFilter);
}

TEST_F(BringUp, RuntimeGateRefusalMakesNoDirectDrawObject) {
  fake::SetVersion(VER_PLATFORM_WIN32_NT, 3, 51, 1057);
  BringUpExpecting(0, 1, "This application requires DirectX version 5 or above.");
  EXPECT_THAT(fake::Log(), ElementsAreArray({"GetVersionExA(148)"}));
  fake::ClearLog();
  EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));
  ExpectRecordHoldsNothing();
}

TEST_F(BringUp, DirectDrawCreateResultIsNotExaminedOnlyTheObject) {
  fake::config.directDrawCreateKeepsObjectOnFailure = true;
  fake::FailCall("DirectDrawCreate", 1, DDERR_GENERIC);
  BringUpExpecting(1, 2, "");
  Restart();
  fake::FailCall("DirectDrawCreate", 1, DDERR_NODIRECTDRAWHW);
  BringUpExpecting(0, 1, "Failed to create DirectDraw.");
  EXPECT_EQ(nullptr, DeviceState.directDraw);
}

TEST_F(BringUp, TeardownReleasesEveryObjectInItsFixedOrder) {
  fake::config.bitsPerPixel = 8;
  BringUpExpecting(1, 2, "");
  fake::ClearLog();
  EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
  EXPECT_THAT(fake::Log(), ElementsAreArray(teardownOfEverything));
  ExpectRecordHoldsNothing();
  EXPECT_EQ(nullptr, DeviceState.texture.textureSurface);
  EXPECT_EQ(nullptr, DeviceState.texture.sourceSurface);
  EXPECT_EQ(0u, DeviceState.texture.textureHandle);
  // Status, mode and sizes outlive the objects.
  EXPECT_EQ(2, DeviceState.deviceStatus);
  EXPECT_EQ(1, DeviceState.fullScreen);
  EXPECT_EQ(640, DeviceState.clientWidth);
  EXPECT_EQ(480, DeviceState.clientHeight);
  EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));

  fake::ClearLog();
  EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{})) << "a second teardown finds nothing";
}

TEST_F(BringUp, TeardownBeforeAnyBringUpMakesNoCall) {
  EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
  EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));
  EXPECT_EQ(0, DeviceState.deviceStatus);
}

}  // namespace
