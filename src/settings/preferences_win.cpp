#include "settings/preferences_win.h"

#include <windows.h>

#include <algorithm>

#include "base/text_keys.h"
#include "base/text_table.h"
#include "settings/key_file.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

std::span<const std::uint8_t> AsBytes(const std::optional<std::string>& content) {
  if (!content) return {};
  return {reinterpret_cast<const std::uint8_t*>(content->data()), content->size()};
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The user folder is created one level deep only; its parent is the system's folder.
void CreateUserFolder(std::wstring folder) {
  while (!folder.empty() && (folder.back() == L' ' || folder.back() == L'\t' ||
                             folder.back() == L'/' || folder.back() == L'\\')) {
    folder.pop_back();
  }
  // An existing folder is fine; any other failure shows when the file cannot be written.
  if (!folder.empty()) CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

PreferencesCandidate InspectPreferencesFile(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {};
  if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0) return {};
  FILETIME local = data.ftLastWriteTime;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);  // on failure UTC orders them alike
  const std::uint64_t ticks = (std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime;
  return {true, static_cast<std::int64_t>(ticks / 10'000'000)};  // 100 ns ticks to seconds
}

std::optional<std::string> ReadSmallFile(const std::wstring& path, std::size_t maxBytes) {
  const win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
    return std::nullopt;
  }
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), content.data() + done, static_cast<DWORD>(content.size() - done),
                  &got, nullptr)) {
      return std::nullopt;
    }
    if (got == 0) break;  // the file shrank since its size was taken
    done += got;
  }
  content.resize(done);
  return content;
}

bool ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
  // Flushed before the rename, so that a system that stops just after it finds a whole file.
  return win::ReplaceFileThroughTemporary(
      path, path + L".tmp", [bytes](const std::wstring& target) {
        const win::UniqueFile file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
        return file && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
      });
}

namespace {

// A folder that could not be found is no location at all, never the current folder.
std::wstring InFolder(const std::wstring& folder, const std::wstring& fileName) {
  return folder.empty() ? std::wstring() : folder + fileName;
}

}  // namespace

Settings LoadPreferencesFrom(const std::wstring& userDir, const std::wstring& programDir,
                             const std::wstring& fileName) {
  if (fileName.empty()) return {};
  const std::wstring user = InFolder(userDir, fileName);
  const std::wstring program = InFolder(programDir, fileName);
  const PreferencesSource source =
      ChoosePreferencesSource(InspectPreferencesFile(user), InspectPreferencesFile(program));
  // A missing, unreadable or absurdly large file gives every setting its default.
  const std::optional<std::string> content =
      ReadSmallFile(source == PreferencesSource::ProgramFolder ? program : user, kMaxKeyFileBytes);
  return ParsePreferences(AsBytes(content));
}

void SavePreferencesTo(const Settings& settings, const std::wstring& userDir,
                       const std::wstring& programDir, const std::wstring& fileName) {
  if (fileName.empty()) return;
  const std::string content = FormatPreferences(settings);
  if (!programDir.empty() && ReplaceFileContent(programDir + fileName, content)) return;
  if (userDir.empty()) return;
  CreateUserFolder(userDir);
  // With no writable place the settings of this run are lost; nobody is told.
  ReplaceFileContent(userDir + fileName, content);
}

Settings LoadPreferences(const Folders& folders) {
  return LoadPreferencesFrom(folders.AppDataDir, folders.ProgramDir,
                             Text(TextKey::PreferencesFileName));
}

void SavePreferences(const Settings& settings, const Folders& folders) {
  SavePreferencesTo(settings, folders.AppDataDir, folders.ProgramDir,
                    Text(TextKey::PreferencesFileName));
}

OutputPolicy ReadOutputPolicy(const std::wstring& programDir) {
  const std::wstring& fileName = Text(TextKey::PolicyFileName);
  if (fileName.empty()) return {};
  return ParseOutputPolicy(AsBytes(ReadSmallFile(programDir + fileName, kMaxKeyFileBytes)));
}

}  // namespace orv
