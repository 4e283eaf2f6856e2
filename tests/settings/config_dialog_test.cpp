// The configuration and About dialogs, created from the real templates and driven by messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "tests/settings/profile_file.h"

namespace {

const char section[] = "[Screen Saver.Vyk]\r\n";

// Modeless configuration dialog over a controlled control.ini.
class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell.instance = GetModuleHandleA(nullptr);
    Settings = SettingsRecord{};
  }
  void TearDown() override {
    if (dialog) DestroyWindow(dialog);
    ResetPlatform();
  }
  // Opens the dialog over the given file content (null: no file).
  void Open(const char* file) {
    if (file) {
      profile_file::Write(file);
    } else {
      profile_file::Remove();
    }
    if (dialog) DestroyWindow(dialog);
    dialog = CreateDialogParamA(shell.instance, MAKEINTRESOURCEA(IDD_CONFIG), nullptr, ConfigDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    scrollBar = GetDlgItem(dialog, IDC_SPEED_SCROLL);
    ASSERT_NE(scrollBar, nullptr);
  }
  // Runs the dialog's start-up again over new file content, on the same window:
  // creating and destroying a captioned window under Wine without a window manager
  // costs about a second each time.
  void Reinit(const char* file) {
    if (file) {
      profile_file::Write(file);
    } else {
      profile_file::Remove();
    }
    SendMessageA(dialog, WM_INITDIALOG, 0, 0);
  }
  LRESULT Check(int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0); }

  profile_file::Saved saved;
  HWND dialog = nullptr;
  HWND scrollBar = nullptr;
};

struct InitialCase {
  const char* name;
  const char* file;
  LONG speed;  // thumb position and redrawSpeed after WM_INITDIALOG
  LRESULT logos, linear, hardware;
  LONG storedLogos;  // logos as loaded, before OK reads the box back
};

const InitialCase initialCases[] = {
    {"no file", nullptr, 1, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"no section", "[Other]\r\nRedrawSpeed=5\r\nLogos=0\r\n", 1, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"stored speed 6", "[Screen Saver.Vyk]\r\nRedrawSpeed=6\r\n", 6, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"stored speed 10", "[Screen Saver.Vyk]\r\nRedrawSpeed=10\r\n", 10, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"speed 0 shown as 1", "[Screen Saver.Vyk]\r\nRedrawSpeed=0\r\n", 1, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"speed 11 shown as 1", "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\n", 1, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"negative speed shown as 1", "[Screen Saver.Vyk]\r\nRedrawSpeed=-4\r\n", 1, BST_CHECKED, BST_CHECKED, BST_CHECKED, 1},
    {"zero switches", "[Screen Saver.Vyk]\r\nRedrawSpeed=3\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\n", 3, BST_UNCHECKED,
     BST_UNCHECKED, BST_UNCHECKED, 0},
    {"mixed switches", "[Screen Saver.Vyk]\r\nLogos=0\r\nLinear=1\r\nHardware=0\r\n", 1, BST_UNCHECKED, BST_CHECKED,
     BST_UNCHECKED, 0},
    {"out-of-range switches show checked", "[Screen Saver.Vyk]\r\nLogos=5\r\nLinear=-1\r\n", 1, BST_CHECKED,
     BST_CHECKED, BST_CHECKED, 5},
};

TEST_F(ConfigDialogTest, InitialState) {
  Open(nullptr);
  for (const InitialCase& c : initialCases) {
    SCOPED_TRACE(c.name);
    SetScrollRange(scrollBar, SB_CTL, 0, 100, FALSE);
    SetScrollPos(scrollBar, SB_CTL, 50, FALSE);
    CheckDlgButton(dialog, IDC_LOGOS, c.logos == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dialog, IDC_LINEAR, c.linear == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dialog, IDC_HARDWARE, c.hardware == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    Reinit(c.file);
    EXPECT_EQ(Settings.redrawSpeed, c.speed);
    EXPECT_EQ(GetScrollPos(scrollBar, SB_CTL), c.speed);
    int low = 0, high = 0;
    GetScrollRange(scrollBar, SB_CTL, &low, &high);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 10);
    EXPECT_EQ(Check(IDC_LOGOS), c.logos);
    EXPECT_EQ(Check(IDC_LINEAR), c.linear);
    EXPECT_EQ(Check(IDC_HARDWARE), c.hardware);
    EXPECT_EQ(Settings.logos, c.storedLogos);
  }
}

TEST_F(ConfigDialogTest, OpensVisibleWithCaption) {
  Open(nullptr);
  char caption[64] = {};
  GetWindowTextA(dialog, caption, sizeof(caption));
  EXPECT_STREQ(caption, "Vyk ScreenSaver Setup");
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_LOGOS);  // first tab stop in template order
}

TEST_F(ConfigDialogTest, InitDialogReturnsTrue) {
  Open(nullptr);
  EXPECT_EQ(ConfigDialogProc(dialog, WM_INITDIALOG, 0, 0), TRUE);
}

struct ScrollCase {
  const char* name;
  LONG speed;       // redrawSpeed before the message
  int position;     // thumb position before the message
  WORD code;
  WORD thumb;       // high word of wParam
  LONG newSpeed;
  int newPosition;
  INT_PTR result;
};

const ScrollCase scrollCases[] = {
    {"line left", 5, 5, SB_LINELEFT, 0, 4, 4, FALSE},
    {"line right", 5, 5, SB_LINERIGHT, 0, 6, 6, FALSE},
    {"page left is one step", 5, 5, SB_PAGELEFT, 0, 4, 4, FALSE},
    {"page right is one step", 5, 5, SB_PAGERIGHT, 0, 6, 6, FALSE},
    {"thumb released", 5, 5, SB_THUMBPOSITION, 8, 8, 8, FALSE},
    {"thumb dragged changes nothing", 5, 3, SB_THUMBTRACK, 8, 5, 3, TRUE},
    {"thumb dragged does not clamp", 0, 3, SB_THUMBTRACK, 8, 0, 3, TRUE},
    {"left end", 5, 5, SB_LEFT, 0, 1, 1, FALSE},
    {"right end", 5, 5, SB_RIGHT, 0, 10, 10, FALSE},
    {"end of scrolling", 5, 3, SB_ENDSCROLL, 0, 5, 3, TRUE},
    {"end of scrolling does not clamp", 12, 3, SB_ENDSCROLL, 0, 12, 3, TRUE},
    {"unknown code repositions", 5, 3, 9, 0, 5, 5, FALSE},
    {"unknown code clamps low", 0, 3, 0xFFFF, 0, 1, 1, FALSE},
    {"unknown code clamps high", 40, 3, 9, 0, 10, 10, FALSE},
    {"line left stays at 1", 1, 1, SB_LINELEFT, 0, 1, 1, FALSE},
    {"page left stays at 1", 1, 1, SB_PAGELEFT, 0, 1, 1, FALSE},
    {"line right stays at 10", 10, 10, SB_LINERIGHT, 0, 10, 10, FALSE},
    {"page right stays at 10", 10, 10, SB_PAGERIGHT, 0, 10, 10, FALSE},
    {"line right from 9", 9, 9, SB_LINERIGHT, 0, 10, 10, FALSE},
    {"line left from 2", 2, 2, SB_LINELEFT, 0, 1, 1, FALSE},
    {"thumb released at 0", 5, 5, SB_THUMBPOSITION, 0, 1, 1, FALSE},
    {"thumb released at 11", 5, 5, SB_THUMBPOSITION, 11, 10, 10, FALSE},
    {"thumb released at 65535", 5, 5, SB_THUMBPOSITION, 0xFFFF, 10, 10, FALSE},
    {"thumb released at 1", 5, 5, SB_THUMBPOSITION, 1, 1, 1, FALSE},
    {"thumb released at 10", 5, 5, SB_THUMBPOSITION, 10, 10, 10, FALSE},
};

TEST_F(ConfigDialogTest, ScrollCodes) {
  Open(nullptr);
  for (const ScrollCase& c : scrollCases) {
    SCOPED_TRACE(c.name);
    Settings.redrawSpeed = c.speed;
    SetScrollPos(scrollBar, SB_CTL, c.position, FALSE);
    INT_PTR result = ConfigDialogProc(dialog, WM_HSCROLL, MAKEWPARAM(c.code, c.thumb), reinterpret_cast<LPARAM>(scrollBar));
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Settings.redrawSpeed, c.newSpeed);
    EXPECT_EQ(GetScrollPos(scrollBar, SB_CTL), c.newPosition);
  }
}

// The thumb that moves is the one named in lParam.
TEST_F(ConfigDialogTest, ScrollRepositionsTheBarFromLParam) {
  Open(nullptr);
  HWND other = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, 0, 50, 10, dialog, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  SetScrollRange(other, SB_CTL, 0, 20, FALSE);
  SetScrollPos(other, SB_CTL, 0, FALSE);
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), reinterpret_cast<LPARAM>(other));
  EXPECT_EQ(Settings.redrawSpeed, 10);
  EXPECT_EQ(GetScrollPos(other, SB_CTL), 10);
  EXPECT_EQ(GetScrollPos(scrollBar, SB_CTL), 1);
}

struct KeyCase {
  const char* name;
  LONG speed;
  WPARAM key;
  LONG newSpeed;
};

// Keys on the focused scroll bar come to the dialog as scroll codes followed by SB_ENDSCROLL.
const KeyCase keyCases[] = {
    {"right arrow", 4, VK_RIGHT, 5},
    {"left arrow", 4, VK_LEFT, 3},
    {"page down", 4, VK_NEXT, 5},
    {"page up", 4, VK_PRIOR, 3},
    {"home", 4, VK_HOME, 1},
    {"end", 4, VK_END, 10},
    {"left arrow at 1", 1, VK_LEFT, 1},
    {"right arrow at 10", 10, VK_RIGHT, 10},
};

TEST_F(ConfigDialogTest, KeyboardOnTheScrollBar) {
  Open(nullptr);
  SetFocus(scrollBar);
  for (const KeyCase& c : keyCases) {
    SCOPED_TRACE(c.name);
    Settings.redrawSpeed = c.speed;
    SetScrollPos(scrollBar, SB_CTL, c.speed, FALSE);
    SendMessageA(scrollBar, WM_KEYDOWN, c.key, 0);
    EXPECT_EQ(Settings.redrawSpeed, c.newSpeed);
    EXPECT_EQ(GetScrollPos(scrollBar, SB_CTL), c.newSpeed);
  }
}

struct OkCase {
  const char* name;
  const char* file;
  void (*change)(HWND dialog);
  const char* written;  // the section's lines after OK; keys already stored keep their place
  SettingsRecord after;
};

const OkCase okCases[] = {
    {"no settings", nullptr, [](HWND) {},
     "RedrawSpeed=1\r\nLogos=1\r\nLinear=1\r\nHardware=1\r\nAllMonitors=1\r\n", {1, 1, 1, 1, 1}},
    {"logo unchecked", nullptr,
     [](HWND d) { SendDlgItemMessageA(d, IDC_LOGOS, BM_CLICK, 0, 0); },
     "RedrawSpeed=1\r\nLogos=0\r\nLinear=1\r\nHardware=1\r\nAllMonitors=1\r\n", {1, 0, 1, 1, 1}},
    {"slowest, all unchecked", nullptr,
     [](HWND d) {
       SendMessageA(d, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_SPEED_SCROLL)));
       SendDlgItemMessageA(d, IDC_LOGOS, BM_CLICK, 0, 0);
       SendDlgItemMessageA(d, IDC_LINEAR, BM_CLICK, 0, 0);
       SendDlgItemMessageA(d, IDC_HARDWARE, BM_CLICK, 0, 0);
     },
     "RedrawSpeed=10\r\nLogos=0\r\nLinear=0\r\nHardware=0\r\nAllMonitors=1\r\n", {10, 0, 0, 0, 1}},
    {"thumb released at 7, hardware off", nullptr,
     [](HWND d) {
       SendMessageA(d, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 9), reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_SPEED_SCROLL)));
       SendMessageA(d, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7), reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_SPEED_SCROLL)));
       SendMessageA(d, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_SPEED_SCROLL)));
       SendDlgItemMessageA(d, IDC_HARDWARE, BM_CLICK, 0, 0);
     },
     "RedrawSpeed=7\r\nLogos=1\r\nLinear=1\r\nHardware=0\r\nAllMonitors=1\r\n", {7, 1, 1, 0, 1}},
    {"stored 0 written back as 1", "[Screen Saver.Vyk]\r\nRedrawSpeed=0\r\n", [](HWND) {},
     "RedrawSpeed=1\r\nLogos=1\r\nLinear=1\r\nHardware=1\r\nAllMonitors=1\r\n", {1, 1, 1, 1, 1}},
    {"stored 11 written back as 1", "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\n", [](HWND) {},
     "RedrawSpeed=1\r\nLogos=1\r\nLinear=1\r\nHardware=1\r\nAllMonitors=1\r\n", {1, 1, 1, 1, 1}},
    {"out-of-range switch written as its check state", "[Screen Saver.Vyk]\r\nLogos=5\r\n", [](HWND) {},
     "Logos=1\r\nRedrawSpeed=1\r\nLinear=1\r\nHardware=1\r\nAllMonitors=1\r\n", {1, 1, 1, 1, 1}},
    {"unchanged values rewritten", "[Screen Saver.Vyk]\r\nRedrawSpeed=4\r\nLogos=0\r\nLinear=1\r\nHardware=0\r\n",
     [](HWND) {}, "RedrawSpeed=4\r\nLogos=0\r\nLinear=1\r\nHardware=0\r\nAllMonitors=1\r\n", {4, 0, 1, 0, 1}},
    {"every monitor unchecked", nullptr,
     [](HWND d) { SendDlgItemMessageA(d, IDC_ALL_MONITORS, BM_CLICK, 0, 0); },
     "RedrawSpeed=1\r\nLogos=1\r\nLinear=1\r\nHardware=1\r\nAllMonitors=0\r\n", {1, 1, 1, 1, 0}},
    {"stored every monitor 0 kept", "[Screen Saver.Vyk]\r\nAllMonitors=0\r\n", [](HWND) {},
     "AllMonitors=0\r\nRedrawSpeed=1\r\nLogos=1\r\nLinear=1\r\nHardware=1\r\n", {1, 1, 1, 1, 0}},
};

// OK writes all five keys as plain decimal text, the speed first, and ends the dialog;
// on the Windows 95 family and NT 4 they go to control.ini.
TEST_F(ConfigDialogTest, OkWritesAllFiveKeys) {
  for (const OkCase& c : okCases) {
    for (const profile_file::WindowsVersion* windows : {&profile_file::windows95, &profile_file::windowsNt4}) {
      SCOPED_TRACE(std::string(c.name) + " on " + windows->name);
      profile_file::PretendWindows(*windows);
      Open(c.file);
      c.change(dialog);
      EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), TRUE);
      std::string bytes;
      ASSERT_TRUE(profile_file::Read(&bytes));
      EXPECT_EQ(bytes, std::string(section) + c.written);
      EXPECT_EQ(Settings.redrawSpeed, c.after.redrawSpeed);
      EXPECT_EQ(Settings.logos, c.after.logos);
      EXPECT_EQ(Settings.linear, c.after.linear);
      EXPECT_EQ(Settings.hardware, c.after.hardware);
      EXPECT_EQ(Settings.allMonitors, c.after.allMonitors);
      EXPECT_FALSE(IsWindowVisible(dialog));
      EXPECT_EQ(profile_file::ReadUserValue("RedrawSpeed"), "");
    }
  }
}

// On Vista and later OK puts all five keys in the user's key as decimal text and
// leaves control.ini as it was, so a standard user keeps them.
TEST_F(ConfigDialogTest, OkOnVistaAndLaterWritesTheUserKey) {
  for (const OkCase& c : okCases) {
    for (const profile_file::WindowsVersion* windows : {&profile_file::windowsVista, &profile_file::windows10}) {
      SCOPED_TRACE(std::string(c.name) + " on " + windows->name);
      profile_file::PretendWindows(*windows);
      profile_file::RemoveUserKey();
      Open(c.file);
      c.change(dialog);
      EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), TRUE);
      EXPECT_EQ(profile_file::ReadUserValue("RedrawSpeed"), "1:" + std::to_string(c.after.redrawSpeed));
      EXPECT_EQ(profile_file::ReadUserValue("Logos"), "1:" + std::to_string(c.after.logos));
      EXPECT_EQ(profile_file::ReadUserValue("Linear"), "1:" + std::to_string(c.after.linear));
      EXPECT_EQ(profile_file::ReadUserValue("Hardware"), "1:" + std::to_string(c.after.hardware));
      EXPECT_EQ(profile_file::ReadUserValue("AllMonitors"), "1:" + std::to_string(c.after.allMonitors));
      std::string bytes;
      EXPECT_EQ(profile_file::Read(&bytes), c.file != nullptr);
      if (c.file) {
        EXPECT_EQ(bytes, c.file);
      }
      EXPECT_FALSE(IsWindowVisible(dialog));
    }
  }
}

// Other sections and keys of the shared file survive the write.
TEST_F(ConfigDialogTest, OkKeepsTheRestOfTheFile) {
  profile_file::PretendWindows(profile_file::windowsNt4);
  Open("[Before]\r\nKey=a\r\n[Screen Saver.Vyk]\r\nExtra=x\r\n");
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  char text[16] = {};
  GetPrivateProfileStringA("Before", "Key", "", text, sizeof(text), "control.ini");
  EXPECT_STREQ(text, "a");
  GetPrivateProfileStringA("Screen Saver.Vyk", "Extra", "", text, sizeof(text), "control.ini");
  EXPECT_STREQ(text, "x");
  GetPrivateProfileStringA("Screen Saver.Vyk", "Hardware", "", text, sizeof(text), "control.ini");
  EXPECT_STREQ(text, "1");
}

struct CancelCase {
  const char* name;
  const char* file;
};

const CancelCase cancelCases[] = {
    {"no file stays missing", nullptr},
    {"stored 11 stays", "[Screen Saver.Vyk]\r\nRedrawSpeed=11\r\nLogos=0\r\n"},
    {"stored 0 stays", "[Screen Saver.Vyk]\r\nRedrawSpeed=0\r\n"},
    {"full section stays", "[Screen Saver.Vyk]\r\nRedrawSpeed=4\r\nLogos=0\r\nLinear=1\r\nHardware=0\r\n"},
};

// Cancel writes nothing, even after the speed and the boxes were changed.
TEST_F(ConfigDialogTest, CancelLeavesTheFileUntouched) {
  for (const CancelCase& c : cancelCases) {
    SCOPED_TRACE(c.name);
    Open(c.file);
    const ULONGLONG stamp = profile_file::WriteStamp();
    Sleep(20);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), reinterpret_cast<LPARAM>(scrollBar));
    SendDlgItemMessageA(dialog, IDC_LOGOS, BM_CLICK, 0, 0);
    EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), TRUE);
    std::string bytes;
    if (c.file) {
      ASSERT_TRUE(profile_file::Read(&bytes));
      EXPECT_EQ(bytes, c.file);
      EXPECT_EQ(profile_file::WriteStamp(), stamp);
    } else {
      EXPECT_FALSE(profile_file::Read(&bytes));
    }
    EXPECT_FALSE(IsWindowVisible(dialog));
  }
}

TEST_F(ConfigDialogTest, OtherCommandsAreNotHandled) {
  Open(nullptr);
  static const WORD ids[] = {0, 3, IDC_LOGOS, IDC_SPEED_SCROLL, 0xFFFF};
  for (WORD id : ids) {
    EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0), FALSE) << id;
    EXPECT_TRUE(IsWindowVisible(dialog)) << id;
  }
  EXPECT_EQ(ConfigDialogProc(dialog, WM_VSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(scrollBar)), FALSE);
  EXPECT_EQ(ConfigDialogProc(dialog, WM_TIMER, 1, 0), FALSE);
  EXPECT_EQ(Settings.redrawSpeed, 1);
  std::string bytes;
  EXPECT_FALSE(profile_file::Read(&bytes));
}

// The high word of WM_COMMAND's wParam (the notification) does not matter.
TEST_F(ConfigDialogTest, OnlyTheLowWordNamesTheCommand) {
  Open(nullptr);
  EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x1234), 0), TRUE);
  EXPECT_FALSE(IsWindowVisible(dialog));
}

// ---- Modal runs, driven from a thread timer inside the dialog's own message loop.

// One scripted step, run on a timer tick once its window exists.
struct Driver {
  const char* caption;        // top-level dialog to act on
  void (*act)(HWND window);   // what the user does there
  HWND found;                 // the window when found
  HWND owner;                 // its owner then
  BOOL ownerEnabled;          // whether the owner still took input
  BOOL visible;               // whether it was shown
  int ticks;                  // ticks waited
};
Driver driver;

void CALLBACK DriveTick(HWND, UINT, UINT_PTR id, DWORD) {
  HWND window = FindWindowA("#32770", driver.caption);
  if (!window || !IsWindowVisible(window)) {
    // Never wait for ever: after two seconds close whatever dialog is open.
    if (++driver.ticks > 100) {
      KillTimer(nullptr, id);
      HWND any = GetActiveWindow();
      if (any) PostMessageA(any, WM_COMMAND, IDCANCEL, 0);
    }
    return;
  }
  KillTimer(nullptr, id);
  driver.found = window;
  driver.owner = GetWindow(window, GW_OWNER);
  driver.ownerEnabled = driver.owner ? IsWindowEnabled(driver.owner) : TRUE;
  driver.visible = IsWindowVisible(window);
  driver.act(window);
}

void StartDriver(const char* caption, void (*act)(HWND)) {
  driver = Driver{caption, act, nullptr, nullptr, TRUE, FALSE, 0};
  SetTimer(nullptr, 0, 20, DriveTick);
}

void PressKey(HWND window, WPARAM key) {
  HWND focus = GetFocus();
  PostMessageA(focus ? focus : window, WM_KEYDOWN, key, 0);
  PostMessageA(focus ? focus : window, WM_KEYUP, key, 0xC0000000);
}

struct ModalCase {
  const char* name;
  void (*act)(HWND dialog);
  INT_PTR result;
  bool writes;
};

const ModalCase modalCases[] = {
    {"Enter acts as OK", [](HWND d) { PressKey(d, VK_RETURN); }, 1, true},
    {"Escape acts as Cancel", [](HWND d) { PressKey(d, VK_ESCAPE); }, 0, false},
    {"OK button", [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }, 1, true},
    {"Cancel button", [](HWND d) { PostMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }, 0, false},
    {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0, false},
};

TEST_F(ConfigDialogTest, ModalResultAndWrites) {
  profile_file::PretendWindows(profile_file::windowsNt4);
  for (const ModalCase& c : modalCases) {
    SCOPED_TRACE(c.name);
    profile_file::Remove();
    StartDriver("Vyk ScreenSaver Setup", c.act);
    INT_PTR result = DialogBoxParamA(shell.instance, MAKEINTRESOURCEA(IDD_CONFIG), nullptr, ConfigDialogProc, 0);
    EXPECT_NE(driver.found, nullptr);
    EXPECT_EQ(result, c.result);
    std::string bytes;
    if (c.writes) {
      ASSERT_TRUE(profile_file::Read(&bytes));
      EXPECT_EQ(bytes, std::string(section) + "RedrawSpeed=1\r\nLogos=1\r\nLinear=1\r\nHardware=1\r\nAllMonitors=1\r\n");
    } else {
      EXPECT_FALSE(profile_file::Read(&bytes));
    }
  }
}

struct AboutCase {
  const char* name;
  void (*act)(HWND about);
};

const AboutCase aboutCases[] = {
    {"Okay button", [](HWND a) { PostMessageA(GetDlgItem(a, IDOK), BM_CLICK, 0, 0); }},
    {"Enter", [](HWND a) { PressKey(a, VK_RETURN); }},
    {"Escape", [](HWND a) { PressKey(a, VK_ESCAPE); }},
    {"command 2", [](HWND a) { PostMessageA(a, WM_COMMAND, IDCANCEL, 0); }},
    {"close box", [](HWND a) { PostMessageA(a, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

// About opens the About box modally over the dialog; each way of closing it goes
// back to the dialog, which stays open and writes nothing.
TEST_F(ConfigDialogTest, AboutOpensOverTheDialogAndReturns) {
  for (const AboutCase& c : aboutCases) {
    SCOPED_TRACE(c.name);
    Open(nullptr);
    StartDriver("About Box", c.act);
    EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED), 0), FALSE);
    EXPECT_NE(driver.found, nullptr);
    EXPECT_TRUE(driver.visible);
    EXPECT_EQ(driver.owner, dialog);
    EXPECT_FALSE(driver.ownerEnabled);
    EXPECT_FALSE(IsWindow(driver.found));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    std::string bytes;
    EXPECT_FALSE(profile_file::Read(&bytes));
  }
}

// The About button itself, clicked in the dialog, reaches the same path.
TEST_F(ConfigDialogTest, AboutButtonClick) {
  Open(nullptr);
  StartDriver("About Box", [](HWND a) { PostMessageA(GetDlgItem(a, IDOK), BM_CLICK, 0, 0); });
  SendDlgItemMessageA(dialog, IDC_ABOUT, BM_CLICK, 0, 0);
  EXPECT_NE(driver.found, nullptr);
  EXPECT_EQ(driver.owner, dialog);
  EXPECT_TRUE(IsWindowVisible(dialog));
}

// What the About box shows: the two icons and the name line.
TEST_F(ConfigDialogTest, AboutBoxContent) {
  Open(nullptr);
  static std::vector<std::string> texts;
  static int icons;
  texts.clear();
  icons = 0;
  StartDriver("About Box", [](HWND a) {
    for (HWND child = GetWindow(a, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (SendMessageA(child, STM_GETICON, 0, 0)) ++icons;
      char text[128] = {};
      GetWindowTextA(child, text, sizeof(text));
      texts.push_back(text);
    }
    PostMessageA(a, WM_COMMAND, IDOK, 0);
  });
  ConfigDialogProc(dialog, WM_COMMAND, IDC_ABOUT, 0);
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts[0], "Vyk Screen Saver");
  EXPECT_EQ(texts[3], "Okay");
  EXPECT_EQ(icons, 2);
}

struct AboutProcCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  INT_PTR result;
  bool ends;
};

const AboutProcCase aboutProcCases[] = {
    {"init", WM_INITDIALOG, 0, TRUE, false},
    {"OK", WM_COMMAND, IDOK, TRUE, true},
    {"Cancel", WM_COMMAND, IDCANCEL, TRUE, true},
    {"OK with a notification", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), TRUE, true},
    {"other command", WM_COMMAND, 3, FALSE, false},
    {"static's command", WM_COMMAND, 0xFFFF, FALSE, false},
    {"other message", WM_TIMER, IDOK, FALSE, false},
};

TEST(AboutDialogProc, HandlesOnlyInitAndItsTwoCommands) {
  shell.instance = GetModuleHandleA(nullptr);
  for (const AboutProcCase& c : aboutProcCases) {
    SCOPED_TRACE(c.name);
    HWND about = CreateDialogParamA(shell.instance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc, 0);
    ASSERT_NE(about, nullptr);
    ShowWindow(about, SW_SHOW);
    EXPECT_EQ(AboutDialogProc(about, c.message, c.wParam, 0), c.result);
    EXPECT_EQ(!IsWindowVisible(about), c.ends);
    DestroyWindow(about);
  }
}

}  // namespace
