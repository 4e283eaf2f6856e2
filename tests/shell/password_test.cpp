// The password path on the Windows 95 family, with the test's own PASSWORD.CPL and the registry value of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/shell.h"
#include "tests/shell/shell_test_support.h"

namespace {

using shell_test::PlaceCursor;
using shell_test::restX;
using shell_test::restY;
using shell_test::RunSaver;
using shell_test::saverRunningCalls;
using shell_test::TakeCloses;

typedef BOOL (*VerifyScript)(HWND window);
typedef void (*ScriptVerifyFn)(VerifyScript answer);
typedef LONG (*VerifyCallsFn)();

HMODULE LoadedCpl() { return GetModuleHandleA("PASSWORD.CPL"); }

// Scripts the loaded test PASSWORD.CPL; false when it is not loaded.
bool Script(VerifyScript answer) {
  HMODULE cpl = LoadedCpl();
  if (!cpl) return false;
  auto scriptVerify = reinterpret_cast<ScriptVerifyFn>(reinterpret_cast<void*>(GetProcAddress(cpl, "ScriptVerify")));
  if (!scriptVerify) return false;
  scriptVerify(answer);
  return true;
}

LONG VerifyCalls() {
  HMODULE cpl = LoadedCpl();
  if (!cpl) return -1;
  return reinterpret_cast<VerifyCallsFn>(reinterpret_cast<void*>(GetProcAddress(cpl, "VerifyCalls")))();
}

// Library calls of the password component, made through the platform seam; they
// pass on to the real ones. The display's runtime libraries and the input-method
// export go through the same seam and are left out.
std::vector<std::string> libraryCalls;
bool failCplLoad = false;
bool hideVerifyExport = false;
bool OthersLibrary(const std::string& name) {
  return name == "DDRAW.DLL" || name == "DINPUT.DLL" || name == "DirectDrawCreate" || name == "DirectInputCreateA" ||
         name == "ImmAssociateContext";
}
HMODULE WINAPI WatchLoadLibrary(LPCSTR name) {
  if (OthersLibrary(name)) return ::LoadLibraryA(name);
  libraryCalls.push_back(std::string("load ") + name);
  if (failCplLoad) return nullptr;
  return ::LoadLibraryA(name);
}
FARPROC WINAPI WatchGetProcAddress(HMODULE module, LPCSTR name) {
  if (OthersLibrary(name)) return ::GetProcAddress(module, name);
  libraryCalls.push_back(std::string("export ") + name);
  if (hideVerifyExport) return nullptr;
  return ::GetProcAddress(module, name);
}
BOOL WINAPI WatchFreeLibrary(HMODULE module) {
  if (module == LoadedCpl()) libraryCalls.push_back("free PASSWORD.CPL");
  return ::FreeLibrary(module);
}

// Key press and everything it sets off, the posted close included.
void Press(HWND window) {
  SendMessageA(window, WM_KEYDOWN, 'A', 0);
  shell_test::Pump();
}

class PasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell_test::ResetAll();
    shell.win95Platform = 1;
    libraryCalls.clear();
    failCplLoad = false;
    hideVerifyExport = false;
    platform.LoadLibraryA = WatchLoadLibrary;
    platform.GetProcAddress = WatchGetProcAddress;
    platform.FreeLibrary = WatchFreeLibrary;
    PlaceCursor(restX, restY);
  }
  void TearDown() override {
    UnloadPasswordVerifier();
    shell_test::ResetAll();
    EXPECT_EQ(LoadedCpl(), nullptr);
  }
  shell_test::PasswordSetting passwordSetting;
};

// ---- loading the verifier ----

constexpr DWORD absent = neverVerified;

struct LoadCase {
  const char* name;
  LONG win95;
  DWORD value;  // ScreenSaveUsePassword; absent: no value
  bool loadFails;
  bool exportMissing;
  bool loaded;
  std::vector<std::string> calls;  // library calls of the load
};

const LoadCase loadCases[] = {
    {"password set", 1, 1, false, false, true, {"load PASSWORD.CPL", "export VerifyScreenSavePwd"}},
    {"any nonzero value", 1, 7, false, false, true, {"load PASSWORD.CPL", "export VerifyScreenSavePwd"}},
    {"value 0", 1, 0, false, false, false, {}},
    {"no value", 1, absent, false, false, false, {}},
    {"outside the Windows 95 family", 0, 1, false, false, false, {}},
    {"no PASSWORD.CPL", 1, 1, true, false, false, {"load PASSWORD.CPL"}},
    {"no export", 1, 1, false, true, false,
     {"load PASSWORD.CPL", "export VerifyScreenSavePwd", "free PASSWORD.CPL"}},
};

TEST_F(PasswordTest, LoadAndUnloadTable) {
  for (const LoadCase& c : loadCases) {
    SCOPED_TRACE(c.name);
    shell.win95Platform = c.win95;
    if (c.value == absent) {
      passwordSetting.Remove();
    } else {
      passwordSetting.Set(c.value);
    }
    failCplLoad = c.loadFails;
    hideVerifyExport = c.exportMissing;
    libraryCalls.clear();
    saverRunningCalls.clear();

    LoadPasswordVerifier();
    EXPECT_EQ(libraryCalls, c.calls);
    if (c.loaded) {
      EXPECT_NE(LoadedCpl(), nullptr);
      EXPECT_EQ(shell.passwordModule, LoadedCpl());
      EXPECT_EQ(reinterpret_cast<void*>(shell.verifyPasswordFn),
                reinterpret_cast<void*>(::GetProcAddress(LoadedCpl(), "VerifyScreenSavePwd")));
      EXPECT_EQ(saverRunningCalls, std::vector<UINT>{1});
    } else {
      EXPECT_EQ(LoadedCpl(), nullptr);
      EXPECT_EQ(shell.passwordModule, nullptr);
      EXPECT_EQ(shell.verifyPasswordFn, nullptr);
      EXPECT_TRUE(saverRunningCalls.empty());
    }

    UnloadPasswordVerifier();
    EXPECT_EQ(LoadedCpl(), nullptr);
    EXPECT_EQ(shell.passwordModule, nullptr);
    EXPECT_EQ(shell.verifyPasswordFn, nullptr);
    EXPECT_EQ(saverRunningCalls, c.loaded ? (std::vector<UINT>{1, 0}) : std::vector<UINT>{});
  }
}

TEST_F(PasswordTest, LoadingAgainReplacesTheVerifier) {
  passwordSetting.Set(1);
  LoadPasswordVerifier();
  LoadPasswordVerifier();
  EXPECT_EQ(saverRunningCalls, (std::vector<UINT>{1, 0, 1}));
  EXPECT_NE(LoadedCpl(), nullptr);
  UnloadPasswordVerifier();
  UnloadPasswordVerifier();
  EXPECT_EQ(saverRunningCalls, (std::vector<UINT>{1, 0, 1, 0}));
  EXPECT_EQ(LoadedCpl(), nullptr);
}

TEST(SaverRunning, SwitchedOnlyOnTheWindows95Family) {
  shell_test::ResetAll();
  shell.win95Platform = 0;
  SetSaverRunning(1);
  SetSaverRunning(0);
  EXPECT_TRUE(saverRunningCalls.empty());
  shell.win95Platform = 1;
  SetSaverRunning(1);
  SetSaverRunning(0);
  EXPECT_EQ(saverRunningCalls, (std::vector<UINT>{1, 0}));
  shell_test::ResetAll();
}

TEST(ElapsedTicks, HarmlessAcrossTheWrap) {
  struct Case {
    DWORD earlier, later, elapsed;
  };
  const Case cases[] = {
      {100, 300, 200}, {0xFFFFFF00u, 0x10, 0x110}, {0xFFFFFFFFu, 0, 1}, {5, 5, 0}, {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) EXPECT_EQ(ElapsedTicks(c.earlier, c.later), c.elapsed) << c.earlier << " to " << c.later;
}

// ---- the whole saver with a password ----

// Answers and observations of the scripted verifications.
std::vector<BOOL> answers;
size_t answered = 0;
std::vector<std::function<void(HWND)>> duringVerify;  // run inside the verification of the same index
BOOL NextAnswer(HWND window) {
  size_t index = answered++;
  if (index < duringVerify.size() && duringVerify[index]) duringVerify[index](window);
  return index < answers.size() ? answers[index] : FALSE;
}

class PasswordRunTest : public PasswordTest {
 protected:
  void SetUp() override {
    PasswordTest::SetUp();
    passwordSetting.Set(1);
    answers.clear();
    duringVerify.clear();
    answered = 0;
  }
};

TEST_F(PasswordRunTest, RunningStateOnExactlyWhileTheVerifierIsLoaded) {
  std::vector<UINT> duringRun;
  HMODULE duringRunModule = nullptr;
  int result = RunSaver(nullptr, [&](HWND) {
    duringRun = saverRunningCalls;
    duringRunModule = LoadedCpl();
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(duringRun, std::vector<UINT>{1});
  EXPECT_NE(duringRunModule, nullptr);
  EXPECT_EQ(saverRunningCalls, (std::vector<UINT>{1, 0}));
  EXPECT_EQ(LoadedCpl(), nullptr);
}

TEST_F(PasswordRunTest, WrongPasswordKeepsTheSaverThenTheRightOneEndsIt) {
  answers = {FALSE, TRUE};
  duringVerify = {[](HWND) {
    // The user moves the mouse while the dialog shows its cursor.
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    PlaceCursor(restX + 10, restY);
  }};
  bool aliveAfterWrong = false;
  bool aliveAfterQuietClose = false;
  bool aliveAfterRight = true;
  HCURSOR cursorAfterWrong = LoadCursorA(nullptr, IDC_ARROW);
  POINT referenceAfterWrong = {};
  LONG callsAfterQuietClose = -1;
  int result = RunSaver(nullptr, [&](HWND window) {
    ASSERT_TRUE(Script(NextAnswer));
    SendMessageA(window, WM_TIMER, 1, 0);
    Press(window);
    aliveAfterWrong = IsWindow(window);
    cursorAfterWrong = GetCursor();
    referenceAfterWrong = shell.savedCursorPos;
    EXPECT_EQ(shell.closeAllowed, 0);
    EXPECT_EQ(shell.verifying, 0);
    EXPECT_EQ(VerifyCalls(), 1);

    // Travel counts from where the cursor was when the close was refused.
    PlaceCursor(restX + 14, restY);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(TakeCloses(window), 0);

    // Within 200 ms of the dialog's end a close is refused without asking.
    Press(window);
    aliveAfterQuietClose = IsWindow(window);
    callsAfterQuietClose = VerifyCalls();

    Sleep(250);
    Press(window);
    aliveAfterRight = IsWindow(window);
  });
  EXPECT_TRUE(aliveAfterWrong);
  EXPECT_EQ(cursorAfterWrong, nullptr);
  EXPECT_EQ(referenceAfterWrong.x, restX + 10);
  EXPECT_EQ(referenceAfterWrong.y, restY);
  EXPECT_TRUE(aliveAfterQuietClose);
  EXPECT_EQ(callsAfterQuietClose, 1);
  EXPECT_FALSE(aliveAfterRight);
  EXPECT_EQ(answered, 2u);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(shell.closeAllowed, 1);
  EXPECT_EQ(saverRunningCalls, (std::vector<UINT>{1, 0}));
}

TEST_F(PasswordRunTest, NestedCloseWhileVerifyingClosesNothing) {
  answers = {TRUE};
  int nestedCloses = -1;
  BOOL nestedConfirm = -1;
  LRESULT nestedCloseResult = -1;
  LONG verifyingInside = 0;
  bool aliveInside = false;
  duringVerify = {[&](HWND window) {
    verifyingInside = shell.verifying;
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(window, WM_ACTIVATEAPP, 0, 0);
    PlaceCursor(restX + 50, restY + 50);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    nestedCloses = TakeCloses(window);
    nestedCloseResult = SendMessageA(window, WM_CLOSE, 0, 0);
    nestedConfirm = ConfirmClose(window);
    aliveInside = IsWindow(window);
  }};
  bool aliveAfter = true;
  RunSaver(nullptr, [&](HWND window) {
    ASSERT_TRUE(Script(NextAnswer));
    SendMessageA(window, WM_TIMER, 1, 0);
    Press(window);
    aliveAfter = IsWindow(window);
  });
  EXPECT_EQ(verifyingInside, 1);
  EXPECT_EQ(nestedCloses, 0);
  EXPECT_EQ(nestedCloseResult, 0);
  EXPECT_EQ(nestedConfirm, 0);
  EXPECT_TRUE(aliveInside);
  EXPECT_EQ(answered, 1u);
  EXPECT_FALSE(aliveAfter);
}

TEST_F(PasswordRunTest, TwoPendingTicksDroppedAsTheDialogOpens) {
  answers = {FALSE};
  int ticksLeft = -1;
  duringVerify = {[&](HWND window) {
    ticksLeft = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) ++ticksLeft;
  }};
  RunSaver(nullptr, [&](HWND window) {
    ASSERT_TRUE(Script(NextAnswer));
    SendMessageA(window, WM_TIMER, 1, 0);
    for (int i = 0; i < 3; ++i) PostMessageA(window, WM_TIMER, 1, 0);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  });
  EXPECT_EQ(ticksLeft, 1);
}

TEST_F(PasswordRunTest, QuietTimeAfterTheLastDialog) {
  struct Case {
    const char* name;
    DWORD endedAgo;  // ms before now that the last dialog ended; absent: never
    bool asks;
  };
  const Case cases[] = {
      {"never verified", absent, true},
      {"just now", 0, false},
      {"150 ms ago", 150, false},
      {"250 ms ago", 250, true},
      {"a day ago", 86400000, true},
  };
  RunSaver(nullptr, [&](HWND window) {
    ASSERT_TRUE(Script(NextAnswer));
    SendMessageA(window, WM_TIMER, 1, 0);
    for (const Case& c : cases) {
      answered = 0;
      answers = {FALSE};
      shell.lastVerifyTick = c.endedAgo == absent ? absent : GetTickCount() - c.endedAgo;
      EXPECT_EQ(ConfirmClose(window), 0) << c.name;
      EXPECT_EQ(answered, c.asks ? 1u : 0u) << c.name;
    }
  });
}

TEST_F(PasswordRunTest, VerifyRequestAnswers) {
  RunSaver(nullptr, [&](HWND window) {
    ASSERT_TRUE(Script(NextAnswer));
    answers = {TRUE, FALSE};
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 1);
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
    VerifyPasswordFn verifier = shell.verifyPasswordFn;
    shell.verifyPasswordFn = nullptr;
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 1);
    shell.win95Platform = 0;
    EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
    shell.win95Platform = 1;
    shell.verifyPasswordFn = verifier;
    EXPECT_EQ(answered, 2u);
  });
}

TEST_F(PasswordRunTest, SecondStartLeavesTheVerifierAlone) {
  RunSaver(nullptr, [&](HWND window) {
    libraryCalls.clear();
    HMODULE module = shell.passwordModule;
    EXPECT_EQ(RunSaverWindow(nullptr), 0);
    EXPECT_EQ(shell.passwordModule, module);
    EXPECT_EQ(saverRunningCalls, std::vector<UINT>{1});
    EXPECT_TRUE(libraryCalls.empty());
    EXPECT_TRUE(IsWindow(window));
    TakeCloses(window);
  });
}

struct NoPasswordCase {
  const char* name;
  LONG win95;
  DWORD value;
};

const NoPasswordCase noPasswordCases[] = {
    {"value 0", 1, 0},
    {"no value", 1, absent},
    {"outside the Windows 95 family", 0, 1},
};

TEST_F(PasswordTest, WithoutAPasswordTheFirstAllowedCloseEnds) {
  for (const NoPasswordCase& c : noPasswordCases) {
    SCOPED_TRACE(c.name);
    shell_test::ResetAll();
    platform.LoadLibraryA = WatchLoadLibrary;
    platform.GetProcAddress = WatchGetProcAddress;
    platform.FreeLibrary = WatchFreeLibrary;
    libraryCalls.clear();
    shell.win95Platform = c.win95;
    if (c.value == absent) {
      passwordSetting.Remove();
    } else {
      passwordSetting.Set(c.value);
    }
    bool aliveBeforeTick = false;
    bool aliveAfter = true;
    int result = RunSaver(nullptr, [&](HWND window) {
      Press(window);
      aliveBeforeTick = IsWindow(window);
      SendMessageA(window, WM_TIMER, 1, 0);
      Press(window);
      aliveAfter = IsWindow(window);
    });
    EXPECT_TRUE(aliveBeforeTick);
    EXPECT_FALSE(aliveAfter);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(saverRunningCalls.empty());
    EXPECT_TRUE(libraryCalls.empty());
  }
}

}  // namespace
