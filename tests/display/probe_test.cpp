// DirectX runtime probe and gate against the fake platform: every path, its debug texts, nothing left loaded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>

#include <string>
#include <utility>
#include <vector>

#include "display/display.h"
#include "display_test_support.h"
#include "fakes/fake_directx.h"

using ::testing::ElementsAreArray;
using display_test::LogFileBytes;
using display_test::LogFileExists;
using display_test::LogFileText;

namespace {

using Lines = std::vector<std::string>;

Lines operator+(Lines first, const Lines& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const Lines version = {"GetVersionExA(148)"};
const Lines ddrawCreated = {
    "LoadLibraryA(DDRAW.DLL)",
    "GetProcAddress(DDRAW.DLL,DirectDrawCreate)",
    "DirectDrawCreate(null,null)",
};
const Lines ddraw2Offered = {"DD::QueryInterface(IID_IDirectDraw2)", "DD2::Release()"};
const Lines dinputFound = {
    "LoadLibraryA(DINPUT.DLL)",
    "GetProcAddress(DINPUT.DLL,DirectInputCreateA)",
    "FreeLibrary(DINPUT.DLL)",
};
const Lines primaryCreated = {"DD::SetCooperativeLevel(null,0x8)", "DD::CreateSurface({flags=0x1,caps=0x200})"};
const Lines ddrawReleased = {"DD::Release()", "FreeLibrary(DDRAW.DLL)"};

enum Library { noLibrary, noExport, present };

struct ProbeCase {
  const char* name;
  DWORD platformId;
  DWORD major;
  DWORD build;
  Library ddraw;
  Library dinput;
  std::vector<std::pair<const char*, HRESULT>> refused;  // calls made to fail
  DWORD word;
  Lines log;
  Lines debugTexts;
};

const DWORD nt = VER_PLATFORM_WIN32_NT;
const DWORD win95 = VER_PLATFORM_WIN32_WINDOWS;

const std::vector<ProbeCase>& Cases() {
  static const std::vector<ProbeCase> cases = {
      {"Windows NT 3.51", nt, 3, 1057, present, present, {}, 0x000, version, {}},
      {"Windows NT 4 with DirectInput", nt, 4, 1381, present, present, {}, 0x300, version + dinputFound, {}},
      {"Windows NT 4 without DINPUT.DLL", nt, 4, 1381, present, noLibrary, {}, 0x200,
       version + Lines{"LoadLibraryA(DINPUT.DLL)", "OutputDebugStringA(Couldn't LoadLibrary DInput\\r\\n)"},
       {"Couldn't LoadLibrary DInput\r\n"}},
      {"Windows NT 4, DINPUT.DLL without its entry", nt, 4, 1381, present, noExport, {}, 0x200,
       version + dinputFound + Lines{"OutputDebugStringA(Couldn't GetProcAddress DInputCreate\\r\\n)"},
       {"Couldn't GetProcAddress DInputCreate\r\n"}},
      {"Windows 2000 (NT 5)", nt, 5, 2195, present, present, {}, 0x501, version, {}},
      {"Windows NT 6.1", nt, 6, 7601, noLibrary, noLibrary, {}, 0x501, version, {}},
      {"Windows 95 build 1354", win95, 4, 1354, noLibrary, noLibrary, {}, 0x501, version, {}},
      {"Windows 98, build 1998 with version in the high word", win95, 4, 0x040A07CE, present, present, {}, 0x501,
       version, {}},
      {"Windows 95 build 1353 with version in the high word, DirectX 5", win95, 4, 0x04000549, present, present, {},
       0x500,
       version + ddrawCreated + ddraw2Offered + dinputFound + primaryCreated +
           Lines{"Surface::QueryInterface(S1,IID_IDirectDrawSurface3)", "Surface3::Release(S1)",
                 "Surface::Release(S1)"} +
           ddrawReleased,
       {}},
      {"Windows 95 build 1353 without DDRAW.DLL", win95, 4, 1353, noLibrary, present, {}, 0x000,
       version + Lines{"LoadLibraryA(DDRAW.DLL)"}, {}},
      {"Windows 95, DDRAW.DLL without its entry", win95, 4, 1353, noExport, present, {}, 0x000,
       version + Lines{"LoadLibraryA(DDRAW.DLL)", "GetProcAddress(DDRAW.DLL,DirectDrawCreate)", "FreeLibrary(DDRAW.DLL)",
                       "OutputDebugStringA(Couldn't LoadLibrary DDraw\\r\\n)"},
       {"Couldn't LoadLibrary DDraw\r\n"}},
      {"Windows 95, DirectDrawCreate refused", win95, 4, 1353, present, present, {{"DirectDrawCreate", DDERR_NODIRECTDRAWHW}},
       0x000,
       version + ddrawCreated + Lines{"FreeLibrary(DDRAW.DLL)", "OutputDebugStringA(Couldn't create DDraw\\r\\n)"},
       {"Couldn't create DDraw\r\n"}},
      {"Windows 95, no IDirectDraw2", win95, 4, 1353, present, present,
       {{"QueryInterface(IID_IDirectDraw2)", E_NOINTERFACE}}, 0x100,
       version + ddrawCreated + Lines{"DD::QueryInterface(IID_IDirectDraw2)"} + ddrawReleased +
           Lines{"OutputDebugStringA(Couldn't QI DDraw2\\r\\n)"},
       {"Couldn't QI DDraw2\r\n"}},
      {"Windows 95 without DINPUT.DLL", win95, 4, 1353, present, noLibrary, {}, 0x200,
       version + ddrawCreated + ddraw2Offered +
           Lines{"LoadLibraryA(DINPUT.DLL)", "OutputDebugStringA(Couldn't LoadLibrary DInput\\r\\n)"} + ddrawReleased,
       {"Couldn't LoadLibrary DInput\r\n"}},
      {"Windows 95, DINPUT.DLL without its entry", win95, 4, 1353, present, noExport, {}, 0x200,
       version + ddrawCreated + ddraw2Offered + dinputFound + ddrawReleased +
           Lines{"OutputDebugStringA(Couldn't GetProcAddress DInputCreate\\r\\n)"},
       {"Couldn't GetProcAddress DInputCreate\r\n"}},
      {"Windows 95, normal cooperative level refused", win95, 4, 1353, present, present,
       {{"SetCooperativeLevel", DDERR_HWNDALREADYSET}}, 0x000,
       version + ddrawCreated + ddraw2Offered + dinputFound + Lines{"DD::SetCooperativeLevel(null,0x8)"} +
           ddrawReleased + Lines{"OutputDebugStringA(Couldn't Set coop level\\r\\n)"},
       {"Couldn't Set coop level\r\n"}},
      {"Windows 95, primary surface refused", win95, 4, 1353, present, present,
       {{"CreateSurface", DDERR_OUTOFVIDEOMEMORY}}, 0x000,
       version + ddrawCreated + ddraw2Offered + dinputFound + primaryCreated + ddrawReleased +
           Lines{"OutputDebugStringA(Couldn't CreateSurface\\r\\n)"},
       {"Couldn't CreateSurface\r\n"}},
      {"Windows 95, primary surface without IDirectDrawSurface3", win95, 4, 1353, present, present,
       {{"IID_IDirectDrawSurface3", E_NOINTERFACE}}, 0x300,
       version + ddrawCreated + ddraw2Offered + dinputFound + primaryCreated +
           Lines{"Surface::QueryInterface(S1,IID_IDirectDrawSurface3)", "Surface::Release(S1)"} + ddrawReleased,
       {}},
  };
  return cases;
}

class Probe : public ::testing::Test {
 protected:
  void SetUp() override { display_test::StartFakeDisplay(); }
  void TearDown() override { display_test::EndFakeDisplay(); }

  void Script(const ProbeCase& test) {
    fake::Reset();
    DeleteFileA("vykerror.txt");
    fake::SetVersion(test.platformId, test.major, 0, test.build);
    fake::config.libraries.clear();
    if (test.ddraw != noLibrary)
      fake::config.libraries["DDRAW.DLL"] = test.ddraw == present ? Lines{"DirectDrawCreate"} : Lines{};
    if (test.dinput != noLibrary)
      fake::config.libraries["DINPUT.DLL"] = test.dinput == present ? Lines{"DirectInputCreateA"} : Lines{};
    for (const auto& refusal : test.refused) fake::FailCall(refusal.first, 0, refusal.second);
  }

  void ExpectNothingLeft() {
    EXPECT_THAT(fake::LoadedLibraries(), ElementsAreArray(Lines{}));
    EXPECT_THAT(fake::Leaks(), ElementsAreArray(Lines{}));
    EXPECT_THAT(fake::Problems(), ElementsAreArray(Lines{}));
  }
};

TEST_F(Probe, EachPathGivesItsWordItsCallsAndItsDebugTexts) {
  for (const ProbeCase& test : Cases()) {
    SCOPED_TRACE(test.name);
    Script(test);
    EXPECT_EQ(test.word, ProbeDirectXVersion());
    EXPECT_THAT(fake::Log(), ElementsAreArray(test.log));
    EXPECT_THAT(fake::DebugTexts(), ElementsAreArray(test.debugTexts));
    ExpectNothingLeft();
    EXPECT_FALSE(LogFileExists()) << "the probe writes nothing to the error log";
  }
}

TEST_F(Probe, FailedVersionQueryGivesNoDirectX) {
  fake::config.versionResult = FALSE;
  EXPECT_EQ(0u, ProbeDirectXVersion());
  EXPECT_THAT(fake::Log(), ElementsAreArray(version));
  ExpectNothingLeft();
}

// A DirectDrawCreate that fails yet hands back an object: the object is released too.
TEST_F(Probe, RefusedDirectDrawThatHandsBackAnObjectIsReleased) {
  fake::SetVersion(win95, 4, 0, 1353);
  fake::config.directDrawCreateKeepsObjectOnFailure = true;
  fake::FailCall("DirectDrawCreate", 1, DDERR_GENERIC);
  EXPECT_EQ(0u, ProbeDirectXVersion());
  EXPECT_THAT(fake::Log(), ElementsAreArray(version + ddrawCreated +
                                            Lines{"DD::Release()", "FreeLibrary(DDRAW.DLL)",
                                                  "OutputDebugStringA(Couldn't create DDraw\\r\\n)"}));
  ExpectNothingLeft();
}

// The gate lets 0x500 and 0x501 through and refuses every lower word with one line.
TEST_F(Probe, GateRefusesEveryWordBelowDirectX5) {
  for (const ProbeCase& test : Cases()) {
    SCOPED_TRACE(test.name);
    Script(test);
    ResetDeviceState();
    const bool passes = test.word >= 0x500;
    EXPECT_EQ(passes ? 0 : 1, OpenDirectDraw(DeviceState));
    if (passes) {
      EXPECT_FALSE(LogFileExists()) << LogFileText();
      EXPECT_NE(nullptr, DeviceState.directDraw2);
      EXPECT_EQ(test.log.size() + 3, fake::Log().size()) << "the object is made after the probe";
    } else {
      EXPECT_EQ(LogFileBytes("This application requires DirectX version 5 or above."), LogFileText());
      EXPECT_EQ(nullptr, DeviceState.directDraw);
      EXPECT_THAT(fake::Log(), ElementsAreArray(test.log));
    }
    TearDownDisplay(DeviceState, nullptr);
    ExpectNothingLeft();
  }
}

}  // namespace
