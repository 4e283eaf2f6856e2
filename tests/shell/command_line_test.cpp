// Command lines: the program-name scan, the mode dispatch, handle parsing and the modes it starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "tests/settings/profile_file.h"
#include "tests/shell/shell_test_support.h"

namespace {

// The mode functions as DispatchStartMode called them.
struct ModeCall {
  std::string mode;  // "saver", "config", "preview", "password"
  HWND window;       // parent or owner for "saver" and "config"
  std::string text;  // argument text for "preview" and "password"
  bool operator==(const ModeCall& other) const {
    return mode == other.mode && window == other.window && text == other.text;
  }
};
std::vector<ModeCall> modeCalls;
constexpr int saverResult = 41;
constexpr int configResult = 42;
constexpr int previewResult = 43;
constexpr int passwordResult = 44;

int RecordSaver(HWND parent) {
  modeCalls.push_back({"saver", parent, ""});
  return saverResult;
}
int RecordConfig(HWND owner) {
  modeCalls.push_back({"config", owner, ""});
  return configResult;
}
int RecordPreview(const char* text) {
  modeCalls.push_back({"preview", nullptr, text});
  return previewResult;
}
int RecordPassword(const char* text) {
  modeCalls.push_back({"password", nullptr, text});
  return passwordResult;
}

DWORD reportedPlatformId = VER_PLATFORM_WIN32_NT;
BOOL versionCallSucceeds = TRUE;
DWORD versionInfoSizeSeen = 0;
BOOL WINAPI FakeGetVersion(LPOSVERSIONINFOA info) {
  versionInfoSizeSeen = info->dwOSVersionInfoSize;
  if (!versionCallSucceeds) return FALSE;
  info->dwMajorVersion = 4;
  info->dwPlatformId = reportedPlatformId;
  return TRUE;
}

void UseRecordingModes() {
  modeCalls.clear();
  shellSeams.runSaverWindow = RecordSaver;
  shellSeams.showConfigDialog = RecordConfig;
  shellSeams.startPreview = RecordPreview;
  shellSeams.startPasswordChange = RecordPassword;
  platform.GetVersionExA = FakeGetVersion;
  reportedPlatformId = VER_PLATFORM_WIN32_NT;
  versionCallSucceeds = TRUE;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell_test::ResetAll();
    UseRecordingModes();
  }
  void TearDown() override { shell_test::ResetAll(); }
};

// ---- program-name scan ----

struct ScanCase {
  const char* commandLine;
  const char* arguments;  // what the dispatch is given
};

const ScanCase scanCases[] = {
    {"VykSaver.scr", ""},
    {"VykSaver.scr /s", "/s"},
    {"VykSaver.scr    \t /c:1234", "/c:1234"},
    {"VykSaver.scr \t \t", ""},
    {"\"C:\\Program Files\\Vyk Saver.scr\" /p 1234", "/p 1234"},
    {"\"C:\\Program Files\\Vyk Saver.scr\"/s", "/s"},
    {"\"C:\\Vyk.scr\"", ""},
    {"\"C:\\Program Files\\never closed /s", ""},
    {"\"\" /a", "/a"},
    {"VykSaver.scr\x01\x1f/s", "/s"},
    {"Vyk\xe9\xa0Saver.scr /s", "/s"},
    {"C:\\\xc3\xa9t\xc3\xa9\\VykSaver.scr -S", "-S"},
    {"", ""},
    {"  /s", "/s"},
};

TEST_F(CommandLineTest, ScanSkipsProgramNameAndBlanks) {
  for (const ScanCase& c : scanCases) {
    EXPECT_STREQ(SkipProgramName(c.commandLine), c.arguments) << "command line [" << c.commandLine << "]";
  }
}

TEST_F(CommandLineTest, ScanReturnsPointerIntoTheLine) {
  const char line[] = "\"a b.scr\" /s";
  EXPECT_EQ(SkipProgramName(line), line + 10);
}

// ---- dispatch table ----

struct DispatchCase {
  const char* arguments;
  DWORD platformId;
  const char* mode;       // "" when no mode function may run
  bool foregroundOwner;   // config: owner is the foreground window (else null)
  const char* modeText;   // preview/password: text handed on
  int result;
};

constexpr DWORD nt = VER_PLATFORM_WIN32_NT;
constexpr DWORD win95 = VER_PLATFORM_WIN32_WINDOWS;

const DispatchCase dispatchCases[] = {
    {"", nt, "config", false, "", configResult},
    {"/s", nt, "saver", false, "", saverResult},
    {"-S", nt, "saver", false, "", saverResult},
    {"s", nt, "saver", false, "", saverResult},
    {"- / s", nt, "saver", false, "", saverResult},
    {"/sabc 12", nt, "saver", false, "", saverResult},
    {"//--  /S", nt, "saver", false, "", saverResult},
    {"/c", nt, "config", true, "", configResult},
    {"-c", nt, "config", true, "", configResult},
    {"C", nt, "config", true, "", configResult},
    {"/c:1234", nt, "config", true, "", configResult},
    {"   ", nt, "config", false, "", configResult},
    {"/", nt, "config", false, "", configResult},
    {"/p 1234", nt, "preview", false, "1234", previewResult},
    {"/P    77 x", nt, "preview", false, "77 x", previewResult},
    {"/p:1234", nt, "preview", false, ":1234", previewResult},
    {"/p", nt, "preview", false, "", previewResult},
    {"/p\t12", nt, "preview", false, "\t12", previewResult},
    {"/l 1234", nt, "preview", false, "1234", previewResult},
    {"L5", nt, "preview", false, "5", previewResult},
    {"/a", nt, "", false, "", -1},
    {"/a 1234", nt, "", false, "", -1},
    {"/a", win95, "password", false, "", passwordResult},
    {"-A  99", win95, "password", false, "99", passwordResult},
    {"/x", nt, "", false, "", -1},
    {"/1", nt, "", false, "", -1},
    {"/\ts", nt, "", false, "", -1},
    {"\ts", nt, "", false, "", -1},
    {":s", nt, "", false, "", -1},
    {"/\xe9", nt, "", false, "", -1},
    {"/\x80s", nt, "", false, "", -1},
    {"/ss", win95, "saver", false, "", saverResult},
    {"/c", win95, "config", true, "", configResult},
};

TEST_F(CommandLineTest, DispatchTable) {
  HWND foreground = GetForegroundWindow();
  for (const DispatchCase& c : dispatchCases) {
    UseRecordingModes();
    reportedPlatformId = c.platformId;
    int result = DispatchStartMode(GetModuleHandleA(nullptr), c.arguments);
    SCOPED_TRACE(std::string("arguments [") + c.arguments + "]");
    EXPECT_EQ(result, c.result);
    std::vector<ModeCall> expected;
    std::string mode = c.mode;
    if (mode == "config") expected.push_back({mode, c.foregroundOwner ? foreground : nullptr, ""});
    if (mode == "saver") expected.push_back({mode, nullptr, ""});
    if (mode == "preview" || mode == "password") expected.push_back({mode, nullptr, c.modeText});
    EXPECT_EQ(modeCalls, expected);
    EXPECT_EQ(shell.win95Platform, c.platformId == win95 ? 1 : 0);
    EXPECT_EQ(shell.instance, GetModuleHandleA(nullptr));
  }
}

TEST_F(CommandLineTest, PlatformFamilyFromVersion) {
  struct Case {
    BOOL succeeds;
    DWORD platformId;
    LONG win95Platform;
  };
  const Case cases[] = {
      {TRUE, VER_PLATFORM_WIN32_WINDOWS, 1},
      {TRUE, VER_PLATFORM_WIN32_NT, 0},
      {TRUE, VER_PLATFORM_WIN32s, 0},
      {FALSE, VER_PLATFORM_WIN32_WINDOWS, 0},
  };
  for (const Case& c : cases) {
    versionCallSucceeds = c.succeeds;
    reportedPlatformId = c.platformId;
    versionInfoSizeSeen = 0;
    DispatchStartMode(GetModuleHandleA(nullptr), "/s");
    EXPECT_EQ(shell.win95Platform, c.win95Platform) << "platform " << c.platformId << " call ok " << c.succeeds;
    EXPECT_EQ(versionInfoSizeSeen, sizeof(OSVERSIONINFOA));
  }
}

TEST(WineVersion, ReportsTheNtFamily) {
  ResetPlatform();
  EXPECT_EQ(DispatchStartMode(GetModuleHandleA(nullptr), "/x"), -1);
  EXPECT_EQ(shell.win95Platform, 0);
}

// ---- handle parsing ----

HWND Handle(LONG_PTR value) { return reinterpret_cast<HWND>(value); }

struct ParseCase {
  const char* text;
  LONG value;  // the 32-bit result; a window handle is its sign extension
};

const ParseCase parseCases[] = {
    {"", 0},
    {"0", 0},
    {"1234", 1234},
    {"1234 5678", 1234},
    {"00042", 42},
    {"12abc", 12},
    {" 12", 0},
    {":1234", 0},
    {"-5", 0},
    {"+5", 0},
    {"0x10", 0},
    {"2147483647", 2147483647},
    {"2147483648", static_cast<LONG>(0x80000000u)},
    {"4294967295", -1},
    {"4294967296", 0},
    {"4294967297", 1},
    {"8589935846", 1254},                                      // 2 * 2^32 + 1254
    {"99999999999999999999", static_cast<LONG>(1661992959u)},  // (10^20 - 1) mod 2^32
};

TEST(ParseWindowHandle, WrapsAroundIn32BitsAndSignExtends) {
  for (const ParseCase& c : parseCases) {
    EXPECT_EQ(ParseWindowHandle(c.text), Handle(static_cast<LONG_PTR>(c.value))) << "text [" << c.text << "]";
  }
}

#if defined(_WIN64)
TEST(ParseWindowHandle, HighBitFillsTheUpperHalfOn64Bit) {
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ParseWindowHandle("4294967295")), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ParseWindowHandle("2147483648")), 0xFFFFFFFF80000000ull);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ParseWindowHandle("2147483647")), 0x7FFFFFFFull);
}
#endif

// ---- preview start ----

class StartModeTest : public CommandLineTest {
 protected:
  void SetUp() override {
    CommandLineTest::SetUp();
    parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent);
    CommandLineTest::TearDown();
  }
  std::string Decimal(ULONGLONG value) {
    char text[32];
    snprintf(text, sizeof(text), "%llu", value);
    return text;
  }
  DWORD ParentValue() { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(parent)); }
  HWND parent = nullptr;
};

TEST_F(StartModeTest, PreviewNeedsAnExistingWindow) {
  struct Case {
    std::string text;
    bool starts;
  };
  // A window that is gone by now.
  HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  std::string goneText = Decimal(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(gone)));
  DestroyWindow(gone);
  const Case cases[] = {
      {Decimal(ParentValue()), true},
      {Decimal(ParentValue()) + " trailing", true},
      {Decimal(ParentValue() + 0x100000000ull), true},  // wraps to the same value
      {Decimal(ParentValue() + 0x300000000ull), true},
      {"0", false},
      {"", false},
      {":" + Decimal(ParentValue()), false},
      {goneText, false},
  };
  for (const Case& c : cases) {
    modeCalls.clear();
    int result = StartPreview(c.text.c_str());
    std::vector<ModeCall> expected;
    if (c.starts) expected.push_back({"saver", parent, ""});
    EXPECT_EQ(result, c.starts ? saverResult : -1) << "text [" << c.text << "]";
    EXPECT_EQ(modeCalls, expected) << "text [" << c.text << "]";
  }
}

TEST_F(StartModeTest, PreviewThroughTheDispatch) {
  std::string line = "/l " + Decimal(ParentValue());
  shellSeams.startPreview = StartPreview;
  EXPECT_EQ(DispatchStartMode(GetModuleHandleA(nullptr), line.c_str()), saverResult);
  EXPECT_EQ(modeCalls, (std::vector<ModeCall>{{"saver", parent, ""}}));
  modeCalls.clear();
  EXPECT_EQ(DispatchStartMode(GetModuleHandleA(nullptr), ("/p:" + Decimal(ParentValue())).c_str()), -1);
  EXPECT_TRUE(modeCalls.empty());
}

// ---- libraries through the platform seam: MPR.DLL for the password change ----

struct LibraryCall {
  std::string what;  // "load NAME", "export NAME", "free", "change PROVIDER"
  HWND owner;
  bool operator==(const LibraryCall& other) const { return what == other.what && owner == other.owner; }
};
std::vector<LibraryCall> libraryCalls;
bool libraryLoads = true;
bool exportFound = true;
HMODULE const fakeModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x5A5A0000));
DWORD changeReserved1 = 99;
DWORD changeReserved2 = 99;

DWORD WINAPI FakeChangePassword(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2) {
  libraryCalls.push_back({std::string("change ") + provider, owner});
  changeReserved1 = reserved1;
  changeReserved2 = reserved2;
  return 1;
}
HMODULE WINAPI FakeLoadLibrary(LPCSTR name) {
  libraryCalls.push_back({std::string("load ") + name, nullptr});
  return libraryLoads ? fakeModule : nullptr;
}
FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name) {
  libraryCalls.push_back({std::string("export ") + name, nullptr});
  if (module != fakeModule || !exportFound) return nullptr;
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeChangePassword));
}
BOOL WINAPI FakeFreeLibrary(HMODULE module) {
  libraryCalls.push_back({module == fakeModule ? "free" : "free other", nullptr});
  return TRUE;
}

class FakeLibraryTest : public StartModeTest {
 protected:
  void SetUp() override {
    StartModeTest::SetUp();
    libraryCalls.clear();
    libraryLoads = true;
    exportFound = true;
    platform.LoadLibraryA = FakeLoadLibrary;
    platform.GetProcAddress = FakeGetProcAddress;
    platform.FreeLibrary = FakeFreeLibrary;
  }
};

TEST_F(FakeLibraryTest, OwnerIsTheGivenWindowOrTheForegroundWindow) {
  HWND foreground = GetForegroundWindow();
  struct Case {
    std::string text;
    HWND owner;
  };
  const Case cases[] = {
      {Decimal(ParentValue()), parent},
      {Decimal(ParentValue() + 0x100000000ull), parent},
      {"", foreground},
      {"0", foreground},
      {"12x", foreground},
  };
  for (const Case& c : cases) {
    libraryCalls.clear();
    EXPECT_EQ(StartPasswordChange(c.text.c_str()), 0);
    const std::vector<LibraryCall> expected = {
        {"load MPR.DLL", nullptr}, {"export PwdChangePasswordA", nullptr}, {"change SCRSAVE", c.owner}, {"free", nullptr}};
    EXPECT_EQ(libraryCalls, expected) << "text [" << c.text << "]";
    EXPECT_EQ(changeReserved1, 0u);
    EXPECT_EQ(changeReserved2, 0u);
  }
}

TEST_F(FakeLibraryTest, MissingLibraryOrExportEndsQuietly) {
  exportFound = false;
  EXPECT_EQ(StartPasswordChange(""), 0);
  EXPECT_EQ(libraryCalls,
            (std::vector<LibraryCall>{{"load MPR.DLL", nullptr}, {"export PwdChangePasswordA", nullptr}, {"free", nullptr}}));
  libraryCalls.clear();
  libraryLoads = false;
  EXPECT_EQ(StartPasswordChange(""), 0);
  EXPECT_EQ(libraryCalls, (std::vector<LibraryCall>{{"load MPR.DLL", nullptr}}));
}

TEST_F(FakeLibraryTest, ModeAOnlyOnTheWindows95Family) {
  shellSeams.startPasswordChange = StartPasswordChange;
  reportedPlatformId = VER_PLATFORM_WIN32_NT;
  EXPECT_EQ(DispatchStartMode(GetModuleHandleA(nullptr), "/a"), -1);
  EXPECT_TRUE(libraryCalls.empty());
  reportedPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  EXPECT_EQ(DispatchStartMode(GetModuleHandleA(nullptr), ("/a " + Decimal(ParentValue())).c_str()), 0);
  ASSERT_EQ(libraryCalls.size(), 4u);
  EXPECT_EQ(libraryCalls[2], (LibraryCall{"change SCRSAVE", parent}));
}

// The real MPR.DLL of the platform is found by name and offers the export.
TEST(RealPasswordChangeLibrary, LoadsByName) {
  ResetPlatform();
  HMODULE mpr = platform.LoadLibraryA("MPR.DLL");
  ASSERT_NE(mpr, nullptr);
  EXPECT_NE(platform.GetProcAddress(mpr, "PwdChangePasswordA"), nullptr);
  platform.FreeLibrary(mpr);
}

// ---- DirectDraw looked up at run time ----

// Nothing in this program brings the display up, so DirectDrawCreate has not been looked up yet.
struct DirectDrawCase {
  const char* name;
  bool loads;
  bool exports;
  std::vector<LibraryCall> calls;
};

TEST_F(FakeLibraryTest, DirectDrawMissingLeavesNoObject) {
  const DirectDrawCase cases[] = {
      {"no DDRAW.DLL", false, true, {{"load DDRAW.DLL", nullptr}}},
      {"no export", true, false, {{"load DDRAW.DLL", nullptr}, {"export DirectDrawCreate", nullptr}, {"free", nullptr}}},
  };
  for (const DirectDrawCase& c : cases) {
    libraryCalls.clear();
    libraryLoads = c.loads;
    exportFound = c.exports;
    LPDIRECTDRAW object = reinterpret_cast<LPDIRECTDRAW>(static_cast<ULONG_PTR>(0xBADBAD));
    EXPECT_EQ(RuntimeDirectDrawCreate(nullptr, &object, nullptr), DDERR_GENERIC) << c.name;
    EXPECT_EQ(object, nullptr) << c.name;
    EXPECT_EQ(libraryCalls, c.calls) << c.name;
  }
}

// ---- configuration dialog, real ----

// Ends the open configuration dialog with the given button once it shows, and
// notes its owner.
int closingButton = IDCANCEL;
HWND dialogOwner = nullptr;
HWND dialogSeen = nullptr;
void CALLBACK EndConfigDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowA(MAKEINTATOM(32770), nullptr);
  if (!dialog || !GetDlgItem(dialog, IDC_SPEED_SCROLL)) return;
  KillTimer(nullptr, id);
  dialogSeen = dialog;
  dialogOwner = GetWindow(dialog, GW_OWNER);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(closingButton, BN_CLICKED), 0);
}

class ConfigModeTest : public StartModeTest {
 protected:
  int RunDialog(const char* arguments, int button) {
    closingButton = button;
    dialogOwner = nullptr;
    dialogSeen = nullptr;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, EndConfigDialog);
    int result = DispatchStartMode(GetModuleHandleA(nullptr), arguments);
    KillTimer(nullptr, timer);
    return result;
  }
  profile_file::Saved savedProfile;
};

TEST_F(ConfigModeTest, DialogResultIsTheExitCode) {
  ResetShellSeams();
  ShowWindow(parent, SW_SHOW);
  SetForegroundWindow(parent);
  struct Case {
    const char* arguments;
    int button;
    int result;
    bool owned;  // owned by the foreground window; else no owner
  };
  const Case cases[] = {
      {"/c", IDCANCEL, 0, true},
      {"/c:1234", IDOK, 1, true},
      {"", IDOK, 1, false},
      {"  ", IDCANCEL, 0, false},
  };
  for (const Case& c : cases) {
    SetForegroundWindow(parent);
    HWND foreground = GetForegroundWindow();
    EXPECT_EQ(foreground, parent);
    EXPECT_EQ(RunDialog(c.arguments, c.button), c.result) << "arguments [" << c.arguments << "]";
    EXPECT_NE(dialogSeen, nullptr);
    EXPECT_EQ(dialogOwner, c.owned ? foreground : nullptr) << "arguments [" << c.arguments << "]";
  }
  EXPECT_NE(GetForegroundWindow(), nullptr);
}

// ---- fault guard ----

constexpr DWORD testFaultCode = 0xE0564B01;

BOOL WINAPI ReportSaverRunning(UINT action, UINT param, PVOID, UINT) {
  fprintf(stderr, "saver running %u %u\n", action, param);
  fflush(stderr);
  return TRUE;
}
constexpr int switchedCode = 99;
BOOL WINAPI EndOnSaverRunning(UINT, UINT, PVOID, UINT) { ExitProcess(switchedCode); }

int FaultingMode(HWND) {
  RaiseException(testFaultCode, 0, 0, nullptr);
  return 7;
}

void CrashInsideTheSaverMode(DWORD platformId, BOOL(WINAPI* switchSaverRunning)(UINT, UINT, PVOID, UINT)) {
  // The platform's filter then handles the fault instead of starting a debugger.
  SetErrorMode(SEM_NOGPFAULTERRORBOX);
  UseRecordingModes();
  reportedPlatformId = platformId;
  shellSeams.runSaverWindow = FaultingMode;
  shellSeams.SystemParametersInfoA = switchSaverRunning;
  DispatchStartMode(GetModuleHandleA(nullptr), "/s");
  fprintf(stderr, "mode returned\n");
  fflush(stderr);
  ExitProcess(3);
}

bool EndedByTheFault(int code) { return static_cast<DWORD>(code) == testFaultCode; }

// The platform's filter starts the registered debugger and, under Wine, does not
// heed SEM_NOGPFAULTERRORBOX. With a debugger that cannot start, the filter
// chooses the handler, as it does on a system without one.
class NoDebugger {
 public:
  NoDebugger() {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", 0, nullptr, 0,
                    KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof(saved_);
    existed_ = RegQueryValueExA(key_, "Debugger", nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size) ==
               ERROR_SUCCESS;
    const char missing[] = "vyk-missing-debugger.exe %ld %ld";
    RegSetValueExA(key_, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof(missing));
  }
  ~NoDebugger() {
    if (existed_) {
      RegSetValueExA(key_, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_),
                     static_cast<DWORD>(strlen(saved_) + 1));
    } else {
      RegDeleteValueA(key_, "Debugger");
    }
    RegCloseKey(key_);
  }
  NoDebugger(const NoDebugger&) = delete;
  NoDebugger& operator=(const NoDebugger&) = delete;

 private:
  HKEY key_ = nullptr;
  bool existed_ = false;
  char saved_[512] = {};
};

TEST(FaultGuardDeathTest, UnhandledFaultSwitchesSaverRunningOffThenEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  NoDebugger noDebugger;
  EXPECT_EXIT(CrashInsideTheSaverMode(VER_PLATFORM_WIN32_WINDOWS, ReportSaverRunning), EndedByTheFault, "saver running 97 0\n$");
}

TEST(FaultGuardDeathTest, OutsideTheWindows95FamilyNothingIsSwitched) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  NoDebugger noDebugger;
  // The switch, if called, would end the process with its own code.
  EXPECT_EXIT(CrashInsideTheSaverMode(VER_PLATFORM_WIN32_NT, EndOnSaverRunning), EndedByTheFault, "");
}

LONG WINAPI OuterFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
LPTOP_LEVEL_EXCEPTION_FILTER filterDuringMode;
int NoteFilter(const char*) {
  filterDuringMode = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(filterDuringMode);
  return 5;
}

TEST(FaultGuard, InPlaceOnlyWhileTheModeRuns) {
  LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(OuterFilter);
  filterDuringMode = nullptr;
  EXPECT_EQ(RunGuarded(NoteFilter, ""), 5);
  EXPECT_NE(filterDuringMode, nullptr);
  EXPECT_NE(filterDuringMode, OuterFilter);
  EXPECT_EQ(SetUnhandledExceptionFilter(before), OuterFilter);
}

}  // namespace
