// The saver window for real under Wine: class, variants, which inputs close it, cursor travel, system commands, preview forwarding.
#include <gtest/gtest.h>

#include <windows.h>

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
using shell_test::TakeCloses;


class SaverWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell_test::ResetAll();
    PlaceCursor(restX, restY);
  }
  void TearDown() override { shell_test::ResetAll(); }
};

// The first tick ends the wait that drops every close.
void Tick(HWND window) { SendMessageA(window, WM_TIMER, 1, 0); }

// The saver window as asked for of CreateWindowExA. The display's exclusive mode
// restyles the window afterwards, so the request is taken at creation.
struct CreationRequest {
  HWND window;
  DWORD style, exStyle;
  std::string title;
  int x, y, width, height;
  HWND parent;
};
std::vector<CreationRequest> creations;
LRESULT CALLBACK NoteCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (std::string(className) == "WindowsScreenSaverClass") {
      creations.push_back({window, static_cast<DWORD>(create->style), create->dwExStyle,
                           create->lpszName ? create->lpszName : "", create->x, create->y, create->cx, create->cy,
                           create->hwndParent});
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
class CreationWatch {
 public:
  CreationWatch() {
    creations.clear();
    hook_ = SetWindowsHookExA(WH_CBT, NoteCreation, nullptr, GetCurrentThreadId());
  }
  ~CreationWatch() { UnhookWindowsHookEx(hook_); }
  CreationWatch(const CreationWatch&) = delete;
  CreationWatch& operator=(const CreationWatch&) = delete;

 private:
  HHOOK hook_;
};

TEST_F(SaverWindowTest, FullScreenWindowAndClass) {
  CreationWatch watch;
  int result = RunSaver(nullptr, [](HWND window) {
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(creations.size(), 1u);
    const CreationRequest& asked = creations[0];
    EXPECT_EQ(asked.window, window);
    EXPECT_EQ(asked.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(asked.exStyle, static_cast<DWORD>(WS_EX_TOPMOST));
    EXPECT_EQ(asked.title, "Screen Saver");
    EXPECT_EQ(asked.x, 0);
    EXPECT_EQ(asked.y, 0);
    EXPECT_EQ(asked.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(asked.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(asked.parent, nullptr);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    char text[64] = {};
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Screen Saver");
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    EXPECT_STREQ(className, "WindowsScreenSaverClass");
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(bounds.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), window);
    EXPECT_EQ(GetForegroundWindow(), window);

    WNDCLASSA windowClass = {};
    ASSERT_TRUE(GetClassInfoA(shell.instance, "WindowsScreenSaverClass", &windowClass));
    EXPECT_EQ(windowClass.style, static_cast<UINT>(0x2B));
    EXPECT_EQ(windowClass.lpfnWndProc, SaverWindowProc);
    EXPECT_EQ(windowClass.cbClsExtra, 0);
    EXPECT_EQ(windowClass.cbWndExtra, 0);
    EXPECT_EQ(windowClass.hIcon, nullptr);
    EXPECT_EQ(windowClass.hCursor, nullptr);
    EXPECT_EQ(windowClass.hbrBackground, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(windowClass.lpszMenuName, nullptr);

    EXPECT_EQ(shell.previewMode, 0);
    EXPECT_EQ(shell.saverWindow, window);
    // Hidden from the start.
    EXPECT_EQ(GetCursor(), nullptr);
    // The reference point for travel is where the cursor was at creation.
    EXPECT_EQ(shell.savedCursorPos.x, restX);
    EXPECT_EQ(shell.savedCursorPos.y, restY);
  });
  // The window ended by DestroyWindow: WM_QUIT's wParam, 0.
  EXPECT_EQ(result, 0);
}

// Input-method context of the window as seen from inside WM_DESTROY, after the shell's own handling.
typedef HANDLE(WINAPI* GetContextFn)(HWND);
typedef BOOL(WINAPI* ReleaseContextFn)(HWND, HANDLE);
GetContextFn getContext;
ReleaseContextFn releaseContext;
WNDPROC saverProcedure;
bool contextBackAtDestroy = false;
bool AttachedContext(HWND window) {
  HANDLE context = getContext(window);
  if (context) releaseContext(window, context);
  return context != nullptr;
}
LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(saverProcedure, window, message, wParam, lParam);
  if (message == WM_DESTROY) contextBackAtDestroy = AttachedContext(window);
  return result;
}

TEST_F(SaverWindowTest, InputMethodDetachedWhileTheSaverRuns) {
  HMODULE imm = GetModuleHandleA("IMM32.DLL");
  if (!imm) GTEST_SKIP() << "no input-method library in this process";
  getContext = reinterpret_cast<GetContextFn>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmGetContext")));
  releaseContext = reinterpret_cast<ReleaseContextFn>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmReleaseContext")));
  ASSERT_NE(getContext, nullptr);
  ASSERT_NE(releaseContext, nullptr);
  contextBackAtDestroy = false;
  RunSaver(nullptr, [&](HWND window) {
    EXPECT_EQ(shell.imeModule, imm);
    EXPECT_NE(shell.associateContextFn, nullptr);
    EXPECT_NE(shell.savedImeContext, nullptr);
    EXPECT_FALSE(AttachedContext(window));
    saverProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDestroy)));
  });
  EXPECT_TRUE(contextBackAtDestroy);
}

struct InputCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  int closes;  // WM_CLOSE messages posted
};

const InputCase inputCases[] = {
    {"key down", WM_KEYDOWN, 'A', 0x001E0001, 1},
    {"system key down", WM_SYSKEYDOWN, VK_MENU, 0x20380001, 1},
    {"left button down", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(restX, restY), 1},
    {"right button down", WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(restX, restY), 1},
    {"middle button down", WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(restX, restY), 1},
    {"lost activation", WM_ACTIVATEAPP, 0, 0, 1},
    {"key up", WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001), 0},
    {"system key up", WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0380001), 0},
    {"character", WM_CHAR, 'a', 0x001E0001, 0},
    {"left button up", WM_LBUTTONUP, 0, MAKELPARAM(restX, restY), 0},
    {"right button up", WM_RBUTTONUP, 0, MAKELPARAM(restX, restY), 0},
    {"middle button up", WM_MBUTTONUP, 0, MAKELPARAM(restX, restY), 0},
    {"double click", WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(restX, restY), 0},
    {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(restX, restY), 0},
    {"gained activation", WM_ACTIVATEAPP, 1, 0, 0},
    {"mouse move without travel", WM_MOUSEMOVE, 0, MAKELPARAM(restX + 50, restY), 0},
    {"show", WM_SHOWWINDOW, 1, 0, 0},
};

TEST_F(SaverWindowTest, WhichInputsClose) {
  RunSaver(nullptr, [](HWND window) {
    Tick(window);
    TakeCloses(window);
    for (const InputCase& c : inputCases) {
      SendMessageA(window, c.message, c.wParam, c.lParam);
      EXPECT_EQ(TakeCloses(window), c.closes) << c.name;
    }
    EXPECT_TRUE(IsWindow(window));
  });
}

TEST_F(SaverWindowTest, PostedCloseEndsTheSaverAfterTheFirstTick) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {
      {"key", WM_KEYDOWN, 'A'},
      {"button", WM_LBUTTONDOWN, MK_LBUTTON},
      {"lost activation", WM_ACTIVATEAPP, 0},
  };
  for (const Case& c : cases) {
    shell_test::ResetAll();
    bool destroyed = false;
    int result = RunSaver(nullptr, [&](HWND window) {
      Tick(window);
      SendMessageA(window, c.message, c.wParam, 0);
      shell_test::Pump();
      destroyed = !IsWindow(window);
    });
    EXPECT_TRUE(destroyed) << c.name;
    EXPECT_EQ(result, 0) << c.name;
    // Outside the Windows 95 family no password is asked and nothing marks the close as allowed.
    EXPECT_EQ(shell.closeAllowed, 0) << c.name;
  }
}

TEST_F(SaverWindowTest, CloseRefusedBeforeTheFirstTick) {
  int result = RunSaver(nullptr, [](HWND window) {
    EXPECT_EQ(saverProcState.awaitingFirstTick, 1);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    shell_test::Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    // The dropped closes are not replayed by the tick.
    SendMessageA(window, WM_TIMER, 77, 0);
    shell_test::Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(saverProcState.awaitingFirstTick, 0);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    shell_test::Pump();
    EXPECT_FALSE(IsWindow(window));
  });
  EXPECT_EQ(result, 0);
}

// Each step puts the cursor at an offset from the rest point and sends WM_MOUSEMOVE.
struct TravelStep {
  int dx, dy;
  int closes;
  bool unreadable = false;  // the cursor's position cannot be read during the step
};
struct TravelCase {
  const char* name;
  std::vector<TravelStep> steps;
};

const TravelCase travelCases[] = {
    {"4 across keeps", {{4, 0, 0}}},
    {"3 across and 1 down keeps", {{3, 1, 0}}},
    {"5 across closes", {{5, 0, 1}}},
    {"3 across and 2 up closes", {{3, -2, 1}}},
    {"4 left and 1 up closes", {{-4, -1, 1}}},
    {"small moves add up against the same point", {{2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 1}}},
    {"back and forth within 4", {{2, 2, 0}, {-2, -2, 0}, {0, 4, 0}, {-4, 0, 0}}},
    {"a closing travel moves the reference point", {{5, 0, 1}, {9, 0, 0}, {1, 0, 0}, {0, 0, 1}}},
    {"far jump", {{200, 150, 1}}},
    {"an unreadable move keeps the reference point", {{50, 0, 0, true}, {4, 0, 0}, {5, 0, 1}}},
};

// A refused read may leave anything in its point; a far one makes trusting it visible.
BOOL WINAPI UnreadableCursor(LPPOINT point) {
  point->x = -20000;
  point->y = -20000;
  return FALSE;
}

TEST_F(SaverWindowTest, CursorTravelFromTheReferencePoint) {
  RunSaver(nullptr, [](HWND window) {
    Tick(window);
    for (const TravelCase& c : travelCases) {
      PlaceCursor(restX, restY);
      TakeCloses(window);
      shell.savedCursorPos = POINT{restX, restY};
      saverDesktop.travelPending = 0;
      int step = 0;
      for (const TravelStep& s : c.steps) {
        const POINT reference = shell.savedCursorPos;
        if (s.unreadable) platform.GetCursorPos = UnreadableCursor;
        // The platform's own mouse message for the move counts as much as the sent one.
        PlaceCursor(restX + s.dx, restY + s.dy);
        int closes = TakeCloses(window);
        SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        closes += TakeCloses(window);
        // A travel closes on the first tick once no display change has come with it.
        Sleep(travelConfirmTicks + 20);
        Tick(window);
        closes += TakeCloses(window);
        ResetPlatform();
        EXPECT_EQ(closes > 0 ? 1 : 0, s.closes) << c.name << ", step " << step;
        if (s.unreadable) {
          EXPECT_EQ(shell.savedCursorPos.x, reference.x) << c.name << ", step " << step;
          EXPECT_EQ(shell.savedCursorPos.y, reference.y) << c.name << ", step " << step;
        }
        ++step;
      }
    }
    EXPECT_TRUE(IsWindow(window));
  });
}

TEST_F(SaverWindowTest, SystemCommands) {
  struct Case {
    const char* name;
    WPARAM command;
    bool closes;  // reached the platform's default procedure, which closes on SC_CLOSE
  };
  const Case cases[] = {
      {"screen save", SC_SCREENSAVE, false},
      {"next window", SC_NEXTWINDOW, false},
      {"previous window", SC_PREVWINDOW, false},
      {"close", SC_CLOSE, true},
  };
  for (const Case& c : cases) {
    shell_test::ResetAll();
    bool alive = false;
    LRESULT answer = -1;
    RunSaver(nullptr, [&](HWND window) {
      Tick(window);
      answer = SendMessageA(window, WM_SYSCOMMAND, c.command, 0);
      shell_test::Pump();
      alive = IsWindow(window);
    });
    EXPECT_EQ(answer, 0) << c.name;
    EXPECT_EQ(alive, !c.closes) << c.name;
  }
}

TEST_F(SaverWindowTest, TitleNeverChanges) {
  RunSaver(nullptr, [](HWND window) {
    EXPECT_FALSE(SetWindowTextA(window, "Other"));
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")), 0);
    char text[64] = {};
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Screen Saver");
  });
}

TEST_F(SaverWindowTest, SecondFullScreenStartBringsTheFirstForward) {
  RunSaver(nullptr, [](HWND window) {
    HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    shell_test::Pump();
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_EQ(RunSaverWindow(nullptr), 0);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(shell.saverWindow, window);
    DestroyWindow(other);
    shell_test::Pump();
    TakeCloses(window);
  });
}

TEST_F(SaverWindowTest, PaintAndSetCursorKeepTheCursorHidden) {
  RunSaver(nullptr, [](HWND window) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(GetCursor(), nullptr);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(GetCursor(), nullptr);
  });
}

// ---- preview variant ----

// Parent window of the preview: notes what reaches it.
struct ParentMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<ParentMessage> parentMessages;
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HELP || message == WM_CONTEXTMENU) {
    parentMessages.push_back({message, wParam, lParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class PreviewTest : public SaverWindowTest {
 protected:
  void SetUp() override {
    SaverWindowTest::SetUp();
    WNDCLASSA parentClass = {};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.lpszClassName = "VykPreviewParent";
    RegisterClassA(&parentClass);
    parent = CreateWindowExA(0, "VykPreviewParent", "parent", WS_POPUP | WS_VISIBLE, 100, 80, 152, 112, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    parentMessages.clear();
  }
  void TearDown() override {
    DestroyWindow(parent);
    UnregisterClassA("VykPreviewParent", GetModuleHandleA(nullptr));
    SaverWindowTest::TearDown();
  }
  HWND parent = nullptr;
};

TEST_F(PreviewTest, ChildOfTheGivenWindow) {
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HCURSOR arrow = GetCursor();
  CreationWatch watch;
  int result = RunSaver(parent, [&](HWND window) {
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(creations.size(), 1u);
    const CreationRequest& asked = creations[0];
    EXPECT_EQ(asked.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
    EXPECT_EQ(asked.exStyle, 0u);
    EXPECT_EQ(asked.title, "Preview");
    EXPECT_EQ(asked.x, 0);
    EXPECT_EQ(asked.y, 0);
    EXPECT_EQ(asked.width, 152);
    EXPECT_EQ(asked.height, 112);
    EXPECT_EQ(asked.parent, parent);
    EXPECT_EQ(GetParent(window), parent);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    char text[64] = {};
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Preview");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 152);
    EXPECT_EQ(client.bottom, 112);
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.left, 100);
    EXPECT_EQ(bounds.top, 80);
    EXPECT_EQ(shell.previewMode, 1);
    // A preview leaves the cursor alone.
    EXPECT_EQ(GetCursor(), arrow);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(GetCursor(), arrow);
  });
  EXPECT_EQ(result, 0);
}

TEST_F(PreviewTest, IgnoresAllInput) {
  RunSaver(parent, [](HWND window) {
    Tick(window);
    for (const InputCase& c : inputCases) {
      SendMessageA(window, c.message, c.wParam, c.lParam);
      EXPECT_EQ(TakeCloses(window), 0) << c.name;
    }
    PlaceCursor(restX + 100, restY + 100);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(TakeCloses(window), 0) << "far travel";
    EXPECT_TRUE(IsWindow(window));
  });
}

// Whether this platform lets WM_HELP be posted at all: it carries a pointer, and a
// platform may refuse to queue such messages.
bool HelpCanBePosted(HWND target) {
  if (!PostMessageA(target, WM_HELP, reinterpret_cast<WPARAM>(target), 0x1234)) return false;
  shell_test::PumpExceptClose();
  bool arrived = !parentMessages.empty();
  parentMessages.clear();
  return arrived;
}

TEST_F(PreviewTest, HelpAndContextMenuGoToTheParent) {
  bool helpPosts = HelpCanBePosted(parent);
  RunSaver(parent, [&](HWND window) {
    EXPECT_EQ(SendMessageA(window, WM_HELP, 5, 0x1234), 1);
    EXPECT_EQ(SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(110, 90)), 1);
    shell_test::PumpExceptClose();
    std::vector<ParentMessage> expected;
    if (helpPosts) expected.push_back({WM_HELP, reinterpret_cast<WPARAM>(parent), 0x1234});
    expected.push_back({WM_CONTEXTMENU, reinterpret_cast<WPARAM>(parent), MAKELPARAM(110, 90)});
    ASSERT_EQ(parentMessages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(parentMessages[i].message, expected[i].message) << i;
      EXPECT_EQ(parentMessages[i].wParam, expected[i].wParam) << i;
      EXPECT_EQ(parentMessages[i].lParam, expected[i].lParam) << i;
    }
  });
}

TEST_F(SaverWindowTest, FullScreenKeepsHelpAndContextMenu) {
  RunSaver(nullptr, [](HWND window) {
    HELPINFO help = {static_cast<UINT>(sizeof(HELPINFO)), HELPINFO_WINDOW, 0, window, 0, {0, 0}};
    EXPECT_EQ(SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
    EXPECT_EQ(SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(10, 10)), 0);
    EXPECT_TRUE(IsWindow(window));
  });
}

TEST_F(PreviewTest, CloseByTheParentAfterTheFirstTick) {
  bool aliveBeforeTick = false;
  bool aliveAfterTick = true;
  int result = RunSaver(parent, [&](HWND window) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    aliveBeforeTick = IsWindow(window);
    Tick(window);
    SendMessageA(window, WM_CLOSE, 0, 0);
    aliveAfterTick = IsWindow(window);
  });
  EXPECT_TRUE(aliveBeforeTick);
  EXPECT_FALSE(aliveAfterTick);
  EXPECT_EQ(result, 0);
}

TEST_F(PreviewTest, EndsWithItsParent) {
  int result = RunSaver(parent, [&](HWND) {
    DestroyWindow(parent);
    parent = nullptr;
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
