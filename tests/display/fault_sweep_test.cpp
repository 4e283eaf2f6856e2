// Fault sweep of the bring-up on the fake DirectX: every failable call refused in turn, one run each.
//
// A clean bring-up of each scenario lists its failable calls. Each call is then refused
// alone in a run of its own, and the run must leave exactly the failure's logged line
// (or none), the status the failure calls for, and, once torn down, no fake reference
// and no misuse. A second sweep refuses every call of one method at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <stdio.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.h"
#include "display/display.h"
#include "display/texture.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"

using ::testing::ElementsAreArray;
using display_test::LogFileBytes;
using display_test::LogFileExists;
using display_test::LogFileText;

namespace {

// The result every refused call returns in the sweep, and its text.
constexpr HRESULT refusal = DDERR_GENERIC;
const std::string refusalText = ResultText(refusal);

struct Scenario {
  const char* name;
  DWORD platformId;  // what GetVersionExA reports
  DWORD build;
  bool windowed;     // the exclusive level is refused throughout
  int bitsPerPixel;  // display depth; 8 brings in the palette
};

const Scenario scenarios[] = {
    {"full screen, 32 bits", VER_PLATFORM_WIN32_NT, 7601, false, 32},
    {"full screen, 8 bits", VER_PLATFORM_WIN32_NT, 7601, false, 8},
    {"windowed, 8 bits", VER_PLATFORM_WIN32_NT, 7601, true, 8},
    {"Windows 95 build 1353, full screen", VER_PLATFORM_WIN32_WINDOWS, 1353, false, 32},
};

// What refusing one call must leave. occurrence 0 matches every occurrence; a message
// ending in "%s" carries the refusal's text.
struct Outcome {
  const char* pattern;
  int occurrence;
  const char* message;  // "" when nothing is logged
  LONG status;
};

// The probe's calls on the Windows 95 family come first and all lead to the gate.
const Outcome probeOutcomes[] = {
    {"DirectDrawCreate(null,null)", 1, "This application requires DirectX version 5 or above.", 1},
    {"DD::QueryInterface(IID_IDirectDraw2)", 1, "This application requires DirectX version 5 or above.", 1},
    {"DD::SetCooperativeLevel(null,0x8)", 1, "This application requires DirectX version 5 or above.", 1},
    {"DD::CreateSurface({flags=0x1,caps=0x200})", 1, "This application requires DirectX version 5 or above.", 1},
    {"Surface::QueryInterface(S1,IID_IDirectDrawSurface3)", 1,
     "This application requires DirectX version 5 or above.", 1},
};

const Outcome bringUpOutcomes[] = {
    {"DirectDrawCreate(null,null)", 0, "Failed to create DirectDraw.", 1},
    {"DD::QueryInterface(IID_IDirect3D2)", 0, "Failed to QI for IID_IDirect3D2.\n%s", 1},
    {"DD::QueryInterface(IID_IDirectDraw2)", 0, "Failed to QI for IID_IDirectDraw2.\n%s", 1},
    {"DD2::SetCooperativeLevel(wnd,0x13)", 0, "", 2},
    {"DD2::SetCooperativeLevel(wnd,0x8)", 0, "SetCooperativeLevel failed", 1},
    {"DD2::CreateSurface({flags=0x21,caps=0x6218,back=1})", 1, "", 2},
    {"Surface::GetAttachedSurface", 0, "An error occurred while creating the device.\n", 1},
    {"DD2::CreateSurface({flags=0x1,caps=0x6200})", 0, "CreateSurface failed", 1},
    {"DD2::CreateSurface({flags=0x7,caps=0x6040,", 0, "CreateSurface 2 failed", 1},
    {"DD2::CreatePalette", 0, "", 2},
    {"Surface::SetPalette", 0, "", 2},
    {"DD2::CreateClipper", 0, "An error occurred while creating the device.\n", 1},
    {"Clipper::SetHWnd", 0, "", 2},
    {"Surface::SetClipper", 0, "", 2},
    {"D3D2::CreateDevice(IID_IDirect3DHALDevice", 0, "", 2},
    {"D3D2::CreateViewport", 0, "Create viewport error \n%s.", 1},
    // Not examined itself; the device then refuses a viewport it was never given.
    {"Device::AddViewport", 0, "Set current viewport\nOne or more of the parameters passed to the function are incorrect..", 1},
    {"Viewport::SetViewport2", 0, "Set view port\n%s.", 1},
    {"Device::SetCurrentViewport", 0, "Set current viewport\n%s.", 1},
};

std::string Filled(const char* message) {
  std::string text = message;
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, refusalText);
  return text;
}

bool Matches(const Outcome& outcome, const fake::InjectionPoint& point) {
  return point.pattern.compare(0, strlen(outcome.pattern), outcome.pattern) == 0 &&
         (outcome.occurrence == 0 || outcome.occurrence == point.occurrence);
}

// Whether the error log's bytes are message format with some result text in its "%s".
bool IsLineOf(const char* format, const std::string& bytes) {
  const std::string whole = format;
  const size_t at = whole.find("%s");
  if (at == std::string::npos) return bytes == LogFileBytes(whole);
  const std::string head = LogFileBytes(whole.substr(0, at));
  const std::string tail = LogFileBytes(whole.substr(at + 2));
  const std::string before = head.substr(0, head.size() - 2);  // without the closing CR LF
  if (bytes.size() <= before.size() + tail.size()) return false;
  if (bytes.compare(0, before.size(), before) != 0) return false;
  if (bytes.compare(bytes.size() - tail.size(), tail.size(), tail) != 0) return false;
  const std::string text = bytes.substr(before.size(), bytes.size() - before.size() - tail.size());
  return text.find_first_of("\r\n") == std::string::npos;
}

class FaultSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    display_test::StartFakeDisplay();
    window = display_test::OpenWindow(0, 0, 640, 480);
    ASSERT_NE(nullptr, window);
  }
  void TearDown() override {
    TearDownDisplay(DeviceState, window);
    DestroyWindow(window);
    display_test::EndFakeDisplay();
  }

  // A fresh fake display set up as scenario has it, with the same window.
  void Start(const Scenario& scenario) {
    fake::Reset();
    fake::NameWindow(window, "wnd");
    ResetDeviceState();
    DeleteFileA("vykerror.txt");
    fake::SetVersion(scenario.platformId, scenario.platformId == VER_PLATFORM_WIN32_NT ? 6 : 4,
                     scenario.platformId == VER_PLATFORM_WIN32_NT ? 1 : 0, scenario.build);
    fake::config.bitsPerPixel = scenario.bitsPerPixel;
    if (scenario.windowed) fake::FailCall("SetCooperativeLevel(wnd,0x13)", 0, DDERR_NOEXCLUSIVEMODE);
  }

  // Tears the run down: afterwards nothing may be held, by the record or by any fake.
  void EndRun(const std::vector<std::string>& expectedProblems = {}) {
    EXPECT_EQ(1, TearDownDisplay(DeviceState, window));
    display_test::ExpectRecordHoldsNothing();
    EXPECT_EQ(nullptr, DeviceState.texture.textureSurface);
    EXPECT_EQ(nullptr, DeviceState.texture.sourceSurface);
    EXPECT_EQ(nullptr, DeviceState.texture.texturePalette);
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(fake::Problems(), ElementsAreArray(expectedProblems));
    EXPECT_THAT(fake::LoadedLibraries(), ElementsAreArray(std::vector<std::string>{}));
  }

  // The failable calls of a clean bring-up of scenario, and the index of the last one
  // before the scene-state set-up.
  std::vector<fake::InjectionPoint> CleanRun(const Scenario& scenario, size_t& lastOfDevice) {
    Start(scenario);
    EXPECT_EQ(1, BringUpDisplay(DeviceState, window, Settings, animation));
    EXPECT_FALSE(LogFileExists()) << LogFileText();
    std::vector<fake::InjectionPoint> points = fake::InjectionPoints();
    lastOfDevice = points.size();
    for (size_t i = 0; i < points.size(); ++i)
      if (points[i].pattern == "Device::SetCurrentViewport(Dev1,V1)") lastOfDevice = i;
    EXPECT_LT(lastOfDevice, points.size());
    EndRun();
    return points;
  }

  // Refuses each failable call of a clean bring-up of every scenario in a run of its
  // own; with handBack the refused creations hand back their objects all the same.
  // Returns the number of runs.
  size_t SweepEachCall(bool handBack) {
  size_t injectionPoints = 0;
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    size_t lastOfDevice = 0;
    const std::vector<fake::InjectionPoint> points = CleanRun(scenario, lastOfDevice);
    if (!handBack) printf("fault sweep, %s: %u injection points\n", scenario.name, static_cast<unsigned>(points.size()));
    const bool probing = scenario.platformId != VER_PLATFORM_WIN32_NT;
    for (size_t i = 0; i < points.size(); ++i) {
      const fake::InjectionPoint& point = points[i];
      SCOPED_TRACE("refused: " + point.pattern + " #" + std::to_string(point.occurrence));
      const Outcome* outcome = nullptr;
      if (probing)
        for (const Outcome& candidate : probeOutcomes)
          if (!outcome && Matches(candidate, point)) outcome = &candidate;
      for (const Outcome& candidate : bringUpOutcomes)
        if (!outcome && Matches(candidate, point)) outcome = &candidate;
      // Whatever goes wrong inside the scene-state set-up is neither a failure nor logged;
      // nor is a refused DirectDrawCreate that still hands back its object.
      const Outcome notAFailure = {"", 0, "", 2};
      if (!outcome && i > lastOfDevice) outcome = &notAFailure;
      if (handBack && outcome && strcmp(outcome->message, "Failed to create DirectDraw.") == 0) outcome = &notAFailure;
      if (!outcome) {
        ADD_FAILURE() << "no expected outcome for this call";
        continue;
      }

      Start(scenario);
      fake::config.directDrawCreateKeepsObjectOnFailure = handBack;
      fake::config.refusedCreationsHandBackObjects = handBack;
      fake::FailCall(point.pattern, point.occurrence, refusal);
      EXPECT_EQ(outcome->status == 2 ? 1 : 0, BringUpDisplay(DeviceState, window, Settings, animation));
      EXPECT_EQ(outcome->status, DeviceState.deviceStatus);
      const std::string message = Filled(outcome->message);
      if (message.empty()) {
        EXPECT_FALSE(LogFileExists()) << LogFileText();
      } else {
        EXPECT_EQ(LogFileBytes(message), LogFileText());
      }
      // A refused bring-up presents nothing.
      if (outcome->status == 1) {
        fake::ClearLog();
        EXPECT_EQ(0, display_test::PresentTick(DeviceState, window));
        EXPECT_THAT(fake::Log(), ElementsAreArray(std::vector<std::string>{}));
      }
      // The scene-state set-up examines no result but the material's, so its EndScene
      // follows a refused BeginScene; Direct3D only answers that with an error.
      std::vector<std::string> expectedProblems;
      if (point.pattern.rfind("Device::BeginScene", 0) == 0) expectedProblems.push_back("EndScene outside a scene on Dev1");
      EndRun(expectedProblems);
      ++injectionPoints;
    }
  }
  return injectionPoints;
  }

  HWND window = nullptr;
};

TEST_F(FaultSweep, EachRefusedCallLeavesItsLineItsStatusAndNothingHeld) {
  const size_t injectionPoints = SweepEachCall(false);
  printf("fault sweep: %u injection points in all over %u scenarios\n", static_cast<unsigned>(injectionPoints),
         static_cast<unsigned>(sizeof(scenarios) / sizeof(scenarios[0])));
  RecordProperty("injectionPoints", static_cast<int>(injectionPoints));
}

// COM hands back nothing from a refused call, but a driver that does must not leave a
// reference behind either.
TEST_F(FaultSweep, RefusedCreationsThatHandBackTheirObjectLeaveNothingHeld) { SweepEachCall(true); }

// Every call of one method refused at once: a crude mix of failures that must still
// end in at most one known line and nothing held.
TEST_F(FaultSweep, EveryCallOfOneMethodRefusedLeavesNothingHeld) {
  // Every line of the failure table; "%s" stands for any one result text.
  const char* const failureTable[] = {
      "This application requires DirectX version 5 or above.",
      "Failed to create DirectDraw.",
      "Failed to QI for IID_IDirect3D2.\n%s",
      "Failed to QI for IID_IDirectDraw2.\n%s",
      "SetCooperativeLevel failed",
      "CreateSurface failed \n%s",
      "An error occurred while creating the device.\n",
      "CreateSurface failed",
      "CreateSurface 2 failed",
      "Create Render device error \n%s.",
      "Create viewport error \n%s.",
      "Set view port\n%s.",
      "Set current viewport\n%s.",
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    size_t lastOfDevice = 0;
    std::set<std::string> methods;
    for (const fake::InjectionPoint& point : CleanRun(scenario, lastOfDevice))
      methods.insert(point.pattern.substr(0, point.pattern.find('(')));
    for (const std::string& method : methods) {
      SCOPED_TRACE("every " + method + " refused");
      Start(scenario);
      fake::FailCall(method + "(", 0, refusal);
      const int result = BringUpDisplay(DeviceState, window, Settings, animation);
      EXPECT_EQ(result == 1 ? 2 : 1, DeviceState.deviceStatus);
      if (LogFileExists()) {
        std::string text = LogFileText();
        bool isKnown = false;
        for (const char* format : failureTable) isKnown = isKnown || IsLineOf(format, text);
        EXPECT_TRUE(isKnown) << text;
        EXPECT_EQ(0, result);
      }
      std::vector<std::string> expectedProblems;
      if (method == "Device::BeginScene") expectedProblems.push_back("EndScene outside a scene on Dev1");
      EndRun(expectedProblems);
    }
  }
}

}  // namespace
