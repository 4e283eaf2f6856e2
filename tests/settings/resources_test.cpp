// The resources of the built VykSaver.scr read back: dialog templates, strings, languages, version record.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

const WORD englishUk = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);

// The saver as built, its Unix path turned into the Wine drive that maps the root.
std::string SaverPath() {
  std::string path = std::string("Z:") + VYK_SAVER_PATH;
  for (char& ch : path) {
    if (ch == '/') ch = '\\';
  }
  return path;
}

class SaverResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (module) FreeLibrary(module);
    module = nullptr;
  }
  void SetUp() override { ASSERT_NE(module, nullptr) << SaverPath(); }
  static HMODULE module;
};
HMODULE SaverResources::module = nullptr;

// ---- A reader for the classic DLGTEMPLATE layout.

struct Reader {
  const BYTE* at;
  const BYTE* end;
  bool ok = true;

  WORD Word() {
    if (at + 2 > end) {
      ok = false;
      return 0;
    }
    WORD value = static_cast<WORD>(at[0] | (at[1] << 8));
    at += 2;
    return value;
  }
  DWORD Dword() {
    DWORD low = Word();
    DWORD high = Word();
    return low | (high << 16);
  }
  short Short() { return static_cast<short>(Word()); }
  std::string String() {
    std::string text;
    for (WORD ch = Word(); ok && ch != 0; ch = Word()) text += static_cast<char>(ch < 0x80 ? ch : '?');
    return text;
  }
  // A name-or-ordinal field: "#n" for an ordinal, the text otherwise, "" for none.
  std::string NameOrOrdinal() {
    WORD first = Word();
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    std::string text;
    for (WORD ch = first; ok && ch != 0; ch = Word()) text += static_cast<char>(ch < 0x80 ? ch : '?');
    return text;
  }
  void AlignDword(const BYTE* base) {
    while ((at - base) % 4 != 0) ++at;
  }
};

struct ItemTemplate {
  DWORD style;
  DWORD extendedStyle;
  short x, y, cx, cy;
  WORD id;
  std::string windowClass;
  std::string text;
  WORD extraBytes;
};

struct DialogTemplate {
  DWORD style;
  DWORD extendedStyle;
  short x, y, cx, cy;
  std::string menu;
  std::string windowClass;
  std::string caption;
  WORD pointSize;
  std::string face;
  std::vector<ItemTemplate> items;
};

bool ReadDialog(HMODULE module, WORD id, DialogTemplate* out) {
  HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id), englishUk);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const BYTE* base = static_cast<const BYTE*>(LockResource(loaded));
  if (!base) return false;
  Reader reader{base, base + SizeofResource(module, found)};
  out->style = reader.Dword();
  out->extendedStyle = reader.Dword();
  WORD count = reader.Word();
  out->x = reader.Short();
  out->y = reader.Short();
  out->cx = reader.Short();
  out->cy = reader.Short();
  out->menu = reader.NameOrOrdinal();
  out->windowClass = reader.NameOrOrdinal();
  out->caption = reader.String();
  out->pointSize = 0;
  if (out->style & DS_SETFONT) {
    out->pointSize = reader.Word();
    out->face = reader.String();
  }
  out->items.clear();
  for (WORD i = 0; i < count && reader.ok; ++i) {
    reader.AlignDword(base);
    ItemTemplate item;
    item.style = reader.Dword();
    item.extendedStyle = reader.Dword();
    item.x = reader.Short();
    item.y = reader.Short();
    item.cx = reader.Short();
    item.cy = reader.Short();
    item.id = reader.Word();
    item.windowClass = reader.NameOrOrdinal();
    item.text = reader.NameOrOrdinal();
    item.extraBytes = reader.Word();
    reader.at += item.extraBytes;
    out->items.push_back(item);
  }
  return reader.ok;
}

struct ExpectedItem {
  WORD id;
  const char* windowClass;  // "#128" button, "#130" static, "#132" scroll bar
  DWORD style;
  short x, y, cx, cy;
  const char* text;         // null: free wording, checked separately
};

const ExpectedItem configItems[] = {
    {IDC_SPEED_GROUP, "#128", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 4, 6, 98, 37, "Redraw Speed"},
    {IDC_SPEED_SCROLL, "#132", WS_CHILD | WS_VISIBLE | SBS_HORZ, 9, 27, 87, 10, ""},
    {IDC_FAST_LABEL, "#130", WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 9, 17, 20, 8, "Fast"},
    {IDC_SLOW_LABEL, "#130", WS_CHILD | WS_VISIBLE | SS_RIGHT | WS_GROUP, 77, 17, 20, 8, "Slow"},
    {IDC_LOGOS, "#128", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 4, 47, 66, 10, "Show Vyk logo"},
    {IDOK, "#128", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 112, 4, 40, 14, "OK"},
    {IDCANCEL, "#128", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 112, 24, 40, 14, "Cancel"},
    {IDC_ABOUT, "#128", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 111, 63, 40, 14, "About"},
    {IDC_LINEAR, "#128", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 4, 68, 93, 8, "Linear mapping for HAL"},
    {IDC_HARDWARE, "#128", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 4, 58, 83, 8, "Use (HAL) if available"},
    {IDC_ALL_MONITORS, "#128", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 4, 79, 93, 8, "Draw on every monitor"},
};

const DWORD centredLine = WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | WS_GROUP;
const DWORD centredBlock = WS_CHILD | WS_VISIBLE | SS_CENTER | WS_GROUP;
const DWORD iconStatic = WS_CHILD | WS_VISIBLE | SS_ICON;

const ExpectedItem aboutItems[] = {
    {0xFFFF, "#130", centredLine, 53, 7, 66, 8, "Vyk Screen Saver"},
    {0xFFFF, "#130", centredLine, 52, 21, 66, 8, nullptr},
    {0xFFFF, "#130", iconStatic, 141, 9, 20, 20, "#101"},
    {IDOK, "#128", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 69, 105, 32, 14, "Okay"},
    {0xFFFF, "#130", centredBlock, 18, 69, 137, 20, nullptr},
    {0xFFFF, "#130", iconStatic, 6, 8, 20, 20, "#101"},
    {0xFFFF, "#130", centredBlock, 28, 39, 114, 18, nullptr},
};

struct ExpectedDialog {
  WORD id;
  DWORD style;
  short x, y, cx, cy;
  const char* caption;
  const char* face;
  const ExpectedItem* items;
  size_t count;
};

const ExpectedDialog dialogs[] = {
    {IDD_CONFIG, 0x90C800C0, 128, 64, 155, 92, "Vyk ScreenSaver Setup", "MS Shell Dlg", configItems,
     sizeof(configItems) / sizeof(configItems[0])},
    {IDD_ABOUT, 0x80C800C0, 20, 20, 171, 126, "About Box", "Arial", aboutItems,
     sizeof(aboutItems) / sizeof(aboutItems[0])},
};

TEST_F(SaverResources, DialogTemplatesMatchTheirTables) {
  for (const ExpectedDialog& expected : dialogs) {
    SCOPED_TRACE(expected.caption);
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialog(module, expected.id, &dialog));
    EXPECT_EQ(dialog.style, expected.style);
    EXPECT_EQ(dialog.style, WS_POPUP | (expected.id == IDD_CONFIG ? WS_VISIBLE : 0u) | WS_CAPTION | WS_SYSMENU |
                                DS_MODALFRAME | DS_SETFONT);
    EXPECT_EQ(dialog.extendedStyle, 0u);
    EXPECT_EQ(dialog.x, expected.x);
    EXPECT_EQ(dialog.y, expected.y);
    EXPECT_EQ(dialog.cx, expected.cx);
    EXPECT_EQ(dialog.cy, expected.cy);
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.windowClass, "");
    EXPECT_EQ(dialog.caption, expected.caption);
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.face, expected.face);
    ASSERT_EQ(dialog.items.size(), expected.count);
    for (size_t i = 0; i < expected.count; ++i) {
      SCOPED_TRACE("control " + std::to_string(i));
      const ItemTemplate& item = dialog.items[i];
      const ExpectedItem& want = expected.items[i];
      EXPECT_EQ(item.id, want.id);
      EXPECT_EQ(item.windowClass, want.windowClass);
      EXPECT_EQ(item.style, want.style) << std::hex << item.style;
      EXPECT_EQ(item.extendedStyle, 0u);
      EXPECT_EQ(item.x, want.x);
      EXPECT_EQ(item.y, want.y);
      EXPECT_EQ(item.cx, want.cx);
      EXPECT_EQ(item.cy, want.cy);
      EXPECT_EQ(item.extraBytes, 0);
      if (want.text) {
        EXPECT_EQ(item.text, want.text);
      } else {
        // The About box's free lines name the saver's own game and nothing else.
        EXPECT_NE(item.text.find("Vyk"), std::string::npos) << item.text;
      }
    }
  }
}

// Every check box and button lies inside the dialog, and no two controls overlap
// except the scroll bar and the labels inside their group box.
TEST_F(SaverResources, ConfigControlsInsideTheDialogWithoutOverlap) {
  DialogTemplate dialog;
  ASSERT_TRUE(ReadDialog(module, IDD_CONFIG, &dialog));
  for (size_t i = 0; i < dialog.items.size(); ++i) {
    const ItemTemplate& a = dialog.items[i];
    EXPECT_LE(a.x + a.cx, dialog.cx) << a.id;
    EXPECT_LE(a.y + a.cy, dialog.cy) << a.id;
    for (size_t j = i + 1; j < dialog.items.size(); ++j) {
      const ItemTemplate& b = dialog.items[j];
      if (a.id == IDC_SPEED_GROUP || b.id == IDC_SPEED_GROUP) continue;
      const bool apart = a.x + a.cx <= b.x || b.x + b.cx <= a.x || a.y + a.cy <= b.y || b.y + b.cy <= a.y;
      EXPECT_TRUE(apart) << a.id << " and " << b.id;
    }
  }
}

struct ExpectedString {
  UINT id;
  const char* text;
};

const ExpectedString strings[] = {
    {IDS_SAVER_NAME, "Vyk Screen Saver"},
    {IDS_PROFILE_FILE, "control.ini"},
    {IDS_SAVER_KEY, "ScreenSaver"},
    {IDS_PROFILE_SECTION, "Screen Saver.Vyk"},
    {IDS_HELP_NO_MEMORY,
     "Your computer does not have enough available memory to display Help. To increase available memory, quit one or "
     "more programs."},
    {IDS_WINDOW_TITLE, "Screen Saver"},
};

TEST_F(SaverResources, StringTable) {
  for (const ExpectedString& expected : strings) {
    char text[256] = {};
    EXPECT_EQ(LoadStringA(module, expected.id, text, sizeof(text)), static_cast<int>(strlen(expected.text)))
        << expected.id;
    EXPECT_STREQ(text, expected.text);
    EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(expected.id / 16 + 1), englishUk),
              nullptr)
        << expected.id;
  }
  char text[16];
  EXPECT_EQ(LoadStringA(module, 1003, text, sizeof(text)), 0);
  // The settings load reads the file name into 13 characters: it fits whole.
  EXPECT_EQ(LoadStringA(module, IDS_PROFILE_FILE, text, 13), 11);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}
BOOL CALLBACK CollectNames(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found) {
  EnumResourceLanguagesA(module, type, name, CollectLanguage, found);
  return TRUE;
}
BOOL CALLBACK CollectTypes(HMODULE module, LPSTR type, LONG_PTR found) {
  EnumResourceNamesA(module, type, CollectNames, found);
  return TRUE;
}

TEST_F(SaverResources, EveryResourceIsEnglishUk) {
  std::vector<WORD> languages;
  EnumResourceTypesA(module, CollectTypes, reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_GE(languages.size(), 8u);  // two dialogs, three string bundles, icon group, version, bitmap
  for (WORD language : languages) EXPECT_EQ(language, englishUk) << std::hex << language;
  EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), englishUk), nullptr);
  EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_VYK), englishUk), nullptr);
}

// ---- Application manifest.

// What the manifest must declare for today's desktops, each as its text in the XML.
const char* const manifestDeclarations[] = {
    "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2,PerMonitor</dpiAwareness>",
    "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
    "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
    "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\"",
    "<requestedExecutionLevel level=\"asInvoker\"",
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
};

// The process manifest is RT_MANIFEST 1; the loader reads no other.
TEST_F(SaverResources, ManifestDeclaresDpiCommonControlsSystemsAndNoElevation) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  HGLOBAL loaded = LoadResource(module, found);
  ASSERT_NE(loaded, nullptr);
  const std::string text(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
  EXPECT_EQ(text.compare(0, 5, "<?xml"), 0);
  for (const char* declaration : manifestDeclarations) EXPECT_NE(text.find(declaration), std::string::npos) << declaration;
}

// ---- Version record.

class SaverVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD handle = 0;
    const std::string path = SaverPath();
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_NE(size, 0u);
    data.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  }
  bool Query(const char* block, void** value, UINT* length) {
    return VerQueryValueA(data.data(), block, value, length) != FALSE;
  }
  std::vector<BYTE> data;
};

TEST_F(SaverVersion, FixedValues) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(Query("\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000002u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, static_cast<DWORD>(VS_FF_PRIVATEBUILD));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileSubtype, 0u);
}

TEST_F(SaverVersion, Translation) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(Query("\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  const WORD* pair = static_cast<const WORD*>(value);
  EXPECT_EQ(pair[0], 0x0000);
  EXPECT_EQ(pair[1], 0x04B0);
}

struct ExpectedVersionString {
  const char* key;
  const char* value;  // null: names the Vyk project or its team
};

const ExpectedVersionString versionStrings[] = {
    {"FileDescription", "Vyk Screen Saver"},
    {"InternalName", "Vyk Screen Saver"},
    {"ProductName", "Vyk Screen Saver"},
    {"OriginalFilename", "VykSaver.exe"},
    {"FileVersion", "1.00.0002"},
    {"ProductVersion", "1.00.0002"},
    {"CompanyName", nullptr},
    {"LegalCopyright", nullptr},
    {"Comments", nullptr},
    {"Author", nullptr},
};

TEST_F(SaverVersion, StringBlock000004b0) {
  for (const ExpectedVersionString& expected : versionStrings) {
    SCOPED_TRACE(expected.key);
    const std::string block = std::string("\\StringFileInfo\\000004b0\\") + expected.key;
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(Query(block.c_str(), &value, &length));
    const std::string text(static_cast<const char*>(value));
    if (expected.value) {
      EXPECT_EQ(text, expected.value);
    } else {
      EXPECT_NE(text.find("Vyk"), std::string::npos) << text;
    }
  }
}

}  // namespace
