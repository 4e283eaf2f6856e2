// The error log's bytes on disk: line ends, replacement, long messages, and its move to the temporary folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.h"

namespace {

const char logName[] = "vykerror.txt";

// Each test runs in an empty directory of its own, so the relative log name lands there,
// and the user's temporary folder (TMP) is an empty folder "temp" inside it.
class LogErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, previousDirectory);
    GetEnvironmentVariableA("TMP", previousTmp, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    wsprintfA(directory, "%svyk-log-%lu", temp, GetCurrentProcessId());
    wsprintfA(tempFolder, "%s\\temp", directory);
    wsprintfA(tempLog, "%s\\%s", tempFolder, logName);
    CreateDirectoryA(directory, nullptr);
    CreateDirectoryA(tempFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(directory));
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", tempFolder));
    DeleteFileA(logName);
  }
  void TearDown() override {
    DeleteFileA(logName);
    RemoveDirectoryA(logName);
    DeleteFileA(tempLog);
    RemoveDirectoryA(tempFolder);
    SetEnvironmentVariableA("TMP", previousTmp[0] ? previousTmp : nullptr);
    SetCurrentDirectoryA(previousDirectory);
    RemoveDirectoryA(directory);
  }
  char previousDirectory[MAX_PATH];
  char previousTmp[MAX_PATH] = {};
  char directory[MAX_PATH];
  char tempFolder[MAX_PATH];
  char tempLog[MAX_PATH];
};

bool ReadLog(std::string* bytes, const char* path = logName) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  bytes->clear();
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got != 0) bytes->append(buffer, got);
  CloseHandle(file);
  return true;
}

void WriteLog(const std::string& bytes) {
  HANDLE file = CreateFileA(logName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

struct LogCase {
  const char* name;
  void (*log)();
  std::string expected;
};

const LogCase logCases[] = {
    {"viewport message with a result text",
     [] { LogError("Create viewport error \n%s.", "Generic failure."); },
     "Create viewport error \r\nGeneric failure..\r\n"},
    {"plain message", [] { LogError("SetCooperativeLevel failed"); }, "SetCooperativeLevel failed\r\n"},
    {"message ending in a line feed",
     [] { LogError("An error occurred while creating the device.\n"); },
     "An error occurred while creating the device.\r\n\r\n"},
    {"empty message", [] { LogError(""); }, "\r\n"},
    {"consecutive line feeds", [] { LogError("a\n\nb"); }, "a\r\n\r\nb\r\n"},
    {"carriage return kept before its line feed", [] { LogError("x\r\ny"); }, "x\r\r\ny\r\n"},
    {"numbers and a percent sign", [] { LogError("%ld of %u failed: %d%%", 3L, 7u, -2); }, "3 of 7 failed: -2%\r\n"},
    {"hexadecimal result", [] { LogError("result %08lX", 0x887601C2UL); }, "result 887601C2\r\n"},
    {"longest message of the program",
     [] { LogError("Failed to QI for IID_IDirectDraw2.\n%s", ResultText(DDERR_SURFACELOST)); },
     std::string("Failed to QI for IID_IDirectDraw2.\r\n") +
         "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface "
         "object representing this surface should have Restore called on it.\r\n"},
};

TEST_F(LogErrorTest, WritesExactBytes) {
  for (const LogCase& c : logCases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(logName);
    c.log();
    std::string bytes;
    ASSERT_TRUE(ReadLog(&bytes));
    EXPECT_EQ(bytes, c.expected);
  }
}

TEST_F(LogErrorTest, PlainMessageIs28Bytes) {
  LogError("SetCooperativeLevel failed");
  std::string bytes;
  ASSERT_TRUE(ReadLog(&bytes));
  EXPECT_EQ(bytes.size(), 28u);
}

TEST_F(LogErrorTest, EachCallReplacesTheFile) {
  WriteLog("an older message that is longer than the new ones\r\nwith a second line\r\n");
  LogError("first %s", "message");
  LogError("second");
  std::string bytes;
  ASSERT_TRUE(ReadLog(&bytes));
  EXPECT_EQ(bytes, "second\r\n");
}

// The texts of result codes, known or not, reach the file whole, replacing a longer
// message an earlier run left there.
TEST_F(LogErrorTest, ResultTextsReplaceAnEarlierRunsMessage) {
  const struct {
    HRESULT code;
    std::string expected;
  } cases[] = {
      {DDERR_GENERIC, "Flip failed\r\nGeneric failure.\r\n"},
      {static_cast<HRESULT>(0x80000000), "Flip failed\r\nUnrecognized error value.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    WriteLog("left by an earlier run, and longer than any of the messages here\r\n");
    LogError("Flip failed\n%s", ResultText(c.code));
    std::string bytes;
    ASSERT_TRUE(ReadLog(&bytes));
    EXPECT_EQ(bytes, c.expected);
  }
}

struct LongCase {
  const char* name;
  std::string argument;
  std::string expected;
};

// A message has room for 253 characters; longer ones are cut, never written past the buffer.
TEST_F(LogErrorTest, LongMessagesAreCutTo253Characters) {
  const LongCase cases[] = {
      {"exactly 253", std::string(253, 'a'), std::string(253, 'a') + "\r\n"},
      {"254 loses the last", std::string(253, 'b') + "c", std::string(253, 'b') + "\r\n"},
      {"far beyond the formatter's own limit", std::string(5000, 'd'), std::string(253, 'd') + "\r\n"},
  };
  for (const LongCase& c : cases) {
    SCOPED_TRACE(c.name);
    LogError("%s", c.argument.c_str());
    std::string bytes;
    ASSERT_TRUE(ReadLog(&bytes));
    EXPECT_EQ(bytes, c.expected);
  }
}

TEST_F(LogErrorTest, CutCountsCharactersBeforeLineFeedsGrow) {
  const std::string feeds(300, '\n');
  LogError("%s", feeds.c_str());
  std::string bytes;
  ASSERT_TRUE(ReadLog(&bytes));
  std::string expected;
  for (int i = 0; i < 253; ++i) expected += "\r\n";
  expected += "\r\n";
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(bytes.size(), 508u);
}

TEST_F(LogErrorTest, LongFormatStringIsCut) {
  const std::string format = std::string(250, 'e') + "\n%s";
  LogError(format.c_str(), "tail");
  std::string bytes;
  ASSERT_TRUE(ReadLog(&bytes));
  EXPECT_EQ(bytes, std::string(250, 'e') + "\r\nta\r\n");
}

// A file locked without sharing or a directory in the way stays as it was, and the
// message goes to the user's temporary folder instead, byte for byte as it would have
// been written in the current directory.
TEST_F(LogErrorTest, UnopenableFileSendsTheMessageToTheTemporaryFolder) {
  WriteLog("kept\r\n");
  HANDLE locked = CreateFileA(logName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  LogError("moved\n%s", "away");
  CloseHandle(locked);
  std::string bytes;
  ASSERT_TRUE(ReadLog(&bytes));
  EXPECT_EQ(bytes, "kept\r\n");
  ASSERT_TRUE(ReadLog(&bytes, tempLog));
  EXPECT_EQ(bytes, "moved\r\naway\r\n");

  ASSERT_TRUE(DeleteFileA(logName));
  ASSERT_TRUE(CreateDirectoryA(logName, nullptr));
  LogError("moved too");
  DWORD attributes = GetFileAttributesA(logName);
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(ReadLog(&bytes, tempLog));
  EXPECT_EQ(bytes, "moved too\r\n");
}

// A current directory that takes the file keeps the temporary folder out of it.
TEST_F(LogErrorTest, WritableDirectoryLeavesTheTemporaryFolderAlone) {
  LogError("here");
  std::string bytes;
  ASSERT_TRUE(ReadLog(&bytes));
  EXPECT_EQ(bytes, "here\r\n");
  EXPECT_EQ(GetFileAttributesA(tempLog), INVALID_FILE_ATTRIBUTES);
}

// Every file and folder below root, as paths relative to it (folders ending in a backslash).
void ListTree(const std::string& root, const std::string& relative, std::vector<std::string>* listing) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((root + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    listing->push_back(relative + name + (folder ? "\\" : ""));
    if (folder) ListTree(root + "\\" + name, relative + name + "\\", listing);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// With neither place usable (a folder named like the log in both) the message is dropped:
// no file appears anywhere, and both folders stay as they were.
TEST_F(LogErrorTest, NoUsablePlaceDropsTheMessage) {
  ASSERT_TRUE(CreateDirectoryA(logName, nullptr));
  ASSERT_TRUE(CreateDirectoryA(tempLog, nullptr));
  LogError("dropped");
  std::vector<std::string> listing;
  ListTree(directory, "", &listing);
  std::sort(listing.begin(), listing.end());
  EXPECT_EQ(listing, (std::vector<std::string>{"temp\\", "temp\\vykerror.txt\\", "vykerror.txt\\"}));
  RemoveDirectoryA(tempLog);
}

TEST_F(LogErrorTest, OthersMayReadWhileTheLogIsOpen) {
  WriteLog("old\r\n");
  HANDLE reader = CreateFileA(logName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  LogError("new");
  char buffer[16] = {};
  DWORD got = 0;
  ReadFile(reader, buffer, sizeof(buffer), &got, nullptr);
  CloseHandle(reader);
  EXPECT_EQ(std::string(buffer, got), "new\r\n");
}

}  // namespace
