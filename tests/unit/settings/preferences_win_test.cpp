// The preferences file on real files: which copy is read, where a save goes, and that a save
// replaces the file in one step.
#include "settings/preferences_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/key_file.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kName[] = L"Orvanta.ini";

// 100 ns ticks since 1601 for a moment in 2024, on a whole second.
constexpr std::uint64_t kBaseTicks = 133'500'000'000'000'000;
constexpr std::uint64_t kSecond = 10'000'000;

class PreferencesFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    root_ =
        fs::temp_directory_path() / (L"orvanta-prefs-" + std::to_wstring(GetCurrentProcessId()) +
                                     L"-" + std::to_wstring(++counter));
    fs::create_directories(root_ / L"program");
    fs::create_directories(root_ / L"appdata");
    programDir_ = (root_ / L"program").wstring() + L"\\";
    userDir_ = (root_ / L"appdata" / L"Orvanta").wstring() + L"\\";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  static void Write(const std::wstring& path, std::string_view bytes) {
    std::ofstream(fs::path(path), std::ios::binary | std::ios::trunc) << bytes;
  }
  static std::string Read(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void SetLastWrite(const std::wstring& path, std::uint64_t ticks) {
    const win::UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &time));
  }
  // Both copies, each naming where it lives in ImageType.
  void WriteBoth(std::uint64_t userTicks, std::uint64_t programTicks) {
    fs::create_directories(userDir_);
    Write(userDir_ + kName, "ImageType = user\r\n");
    Write(programDir_ + kName, "ImageType = program\r\n");
    SetLastWrite(userDir_ + kName, userTicks);
    SetLastWrite(programDir_ + kName, programTicks);
  }
  std::wstring Loaded() { return LoadPreferencesFrom(userDir_, programDir_, kName).ImageType; }

  fs::path root_;
  std::wstring programDir_, userDir_;
};

TEST_F(PreferencesFiles, TheNewerCopyIsReadComparedToTheWholeSecond) {
  WriteBoth(kBaseTicks + 7'000'000, kBaseTicks + 3'000'000);  // same second, user 0.4 s later
  EXPECT_EQ(Loaded(), L"program");
  WriteBoth(kBaseTicks + kSecond, kBaseTicks + 9'999'999);
  EXPECT_EQ(Loaded(), L"user");
  WriteBoth(kBaseTicks, kBaseTicks + kSecond);
  EXPECT_EQ(Loaded(), L"program");
}

TEST_F(PreferencesFiles, EmptyOrFolderCopiesCountAsAbsent) {
  EXPECT_EQ(Loaded(), L"");  // neither exists: defaults
  WriteBoth(kBaseTicks, kBaseTicks + kSecond);
  Write(programDir_ + kName, "");
  EXPECT_EQ(Loaded(), L"user");

  fs::remove(programDir_ + kName);
  fs::create_directory(programDir_ + kName);
  EXPECT_EQ(Loaded(), L"user");

  fs::remove(userDir_ + kName);
  Write(programDir_ + L"x", "");
  EXPECT_EQ(Loaded(), L"");
}

TEST_F(PreferencesFiles, AnOversizedFileReadsAsUnreadable) {
  std::string huge = "ImageType = program\r\n";
  huge.resize(kMaxKeyFileBytes + 1, ' ');
  Write(programDir_ + kName, huge);
  EXPECT_EQ(Loaded(), L"");
  huge.resize(kMaxKeyFileBytes);
  Write(programDir_ + kName, huge);
  EXPECT_EQ(Loaded(), L"program");
}

TEST_F(PreferencesFiles, SaveReplacesTheProgramFolderCopyWhole) {
  Write(programDir_ + kName, std::string(5000, 'x') + "\r\nImagePath = old\r\n");
  Settings settings;
  settings.ImagePath = L"C:\\Bilder\\";
  settings.DelayTime = 3;
  SavePreferencesTo(settings, userDir_, programDir_, kName);

  EXPECT_EQ(Read(programDir_ + kName), FormatPreferences(settings));
  EXPECT_FALSE(fs::exists(programDir_ + kName + L".tmp"));
  EXPECT_FALSE(fs::exists(userDir_));
  EXPECT_EQ(LoadPreferencesFrom(userDir_, programDir_, kName).ImagePath, L"C:\\Bilder\\");
}

TEST_F(PreferencesFiles, SaveFallsBackToTheUserFolderAndCreatesIt) {
  fs::create_directory(programDir_ + kName);  // the program-folder copy cannot be written
  Settings settings;
  settings.FitPaperOrientation = 1;
  SavePreferencesTo(settings, userDir_, programDir_, kName);

  EXPECT_EQ(Read(userDir_ + kName), FormatPreferences(settings));
  EXPECT_FALSE(fs::exists(programDir_ + kName + L".tmp"));
  EXPECT_FALSE(fs::exists(userDir_ + kName + L".tmp"));
  EXPECT_EQ(LoadPreferencesFrom(userDir_, programDir_, kName).FitPaperOrientation, 1);

  // The user folder is made one level deep only.
  const std::wstring deepUser = (root_ / L"missing" / L"Orvanta").wstring() + L"\\";
  const std::wstring missingProgram = (root_ / L"nowhere").wstring() + L"\\";
  SavePreferencesTo(settings, deepUser, missingProgram, kName);
  EXPECT_FALSE(fs::exists(root_ / L"missing"));
  EXPECT_FALSE(fs::exists(root_ / L"nowhere"));
}

TEST_F(PreferencesFiles, AFailedReplaceKeepsTheOldFileAndRemovesTheTemporaryOne) {
  const std::wstring path = programDir_ + kName;
  Write(path, "ImagePath = old\r\n");
  Write(path + L".tmp", "left over from an interrupted save");
  {
    // Another process holds the file open: it lets others write to it but not replace it, so
    // only a save that keeps away from the old file until the last step leaves it unchanged.
    const win::UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_FALSE(ReplaceFileContent(path, "ImagePath = new\r\n"));
    EXPECT_FALSE(fs::exists(path + L".tmp"));
  }
  EXPECT_EQ(Read(path), "ImagePath = old\r\n");
  EXPECT_TRUE(ReplaceFileContent(path, "ImagePath = new\r\n"));
  EXPECT_EQ(Read(path), "ImagePath = new\r\n");
}

}  // namespace
}  // namespace orv
