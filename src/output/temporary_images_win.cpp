#include "output/temporary_images_win.h"

#include <windows.h>

#include <cstdint>
#include <optional>

#include "base/fault_location.h"
#include "output/temp_image_name.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// What tells a file as this program left it from one the user changed.
struct FileState {
  std::uint64_t size = 0;
  FILETIME lastWrite{};

  bool operator==(const FileState& other) const {
    return size == other.size && CompareFileTime(&lastWrite, &other.lastWrite) == 0;
  }
};

LocalDateTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::optional<FileState> StateOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return FileState{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                   data.ftLastWriteTime};
}

// The last-write time a file gets once written: the local time its name holds, to the second.
// Saving a change into it gives it the time of that change, so a file that still has this time
// is as the program left it, also for a later run that has only its name. Nothing for a name
// without a time.
std::optional<FILETIME> StampOf(const std::wstring& fileName) {
  const std::optional<LocalDateTime> time = TemporaryImageTime(fileName);
  if (!time) return std::nullopt;
  const SYSTEMTIME local{static_cast<WORD>(time->year),
                         static_cast<WORD>(time->month),
                         0,
                         static_cast<WORD>(time->day),
                         static_cast<WORD>(time->hour),
                         static_cast<WORD>(time->minute),
                         static_cast<WORD>(time->second),
                         0};
  SYSTEMTIME universal{};
  FILETIME stamp{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) ||
      !SystemTimeToFileTime(&universal, &stamp)) {
    return std::nullopt;
  }
  return stamp;
}

std::wstring FileNameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

// Gives a file just written its stamp; left as it is when that fails (it is then deleted at
// quit all the same, and kept by a later run).
void Stamp(const std::wstring& path) {
  const std::optional<FILETIME> stamp = StampOf(FileNameOf(path));
  if (!stamp) return;
  const win::UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) SetFileTime(file.get(), nullptr, nullptr, &*stamp);
}

// Makes an empty file where none is, which is then written through its path.
FileCreation CreateNewFile(const std::wstring& path) {
  const win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return FileCreation::Created;
  const DWORD error = GetLastError();
  // A folder of that name refuses the file with another error.
  if (error == ERROR_FILE_EXISTS || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return FileCreation::NameTaken;
  }
  return FileCreation::Failed;
}

void DeleteImageFile(const std::wstring& path) {
  ORV_TRACE_LOCATION();
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());  // a file left behind is not worth a message; the next start tries
}

}  // namespace

struct TemporaryImages::File {
  std::wstring path;
  FileState written;
};

TemporaryImages::TemporaryImages() = default;
TemporaryImages::~TemporaryImages() = default;

std::wstring TemporaryImages::Write(const std::wstring& tempDir, std::wstring_view type,
                                    const std::function<bool(const std::wstring& path)>& write) {
  if (tempDir.empty()) return {};
  ORV_TRACE_LOCATION();
  const std::wstring path = CreateTemporaryImageFile(tempDir, LocalNow(), type, CreateNewFile);
  if (path.empty()) return {};
  if (!write(path)) {
    DeleteImageFile(path);  // a writer that failed may have left it behind
    return {};
  }
  Keep(path);
  return path;
}

void TemporaryImages::Keep(const std::wstring& path) {
  Stamp(path);
  // A file that went before it could be looked at is nobody's to remove.
  if (const std::optional<FileState> written = StateOf(path)) files_.push_back({path, *written});
}

void TemporaryImages::Discard(const std::wstring& path) {
  std::erase_if(files_, [&path](const File& file) { return file.path == path; });
  DeleteImageFile(path);
}

void TemporaryImages::RemoveUnchanged() {
  for (const File& file : files_) {
    if (StateOf(file.path) == file.written) DeleteImageFile(file.path);
  }
  files_.clear();
}

void RemoveLeftoverTemporaryImages(const std::wstring& tempDir) {
  if (tempDir.empty()) return;
  const std::wstring search = tempDir + std::wstring(kTemporaryImageSearch);
  WIN32_FIND_DATAW found{};
  ORV_TRACE_LOCATION();
  // The pattern matches short names too, and more than the program's own names: each name is
  // checked in full, with the time it holds, and the files go once the search is over.
  std::vector<std::wstring> leftovers;
  if (const win::UniqueFileSearch listing(FindFirstFileW(search.c_str(), &found)); listing) {
    do {
      const std::optional<FILETIME> stamp = StampOf(found.cFileName);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && stamp &&
          CompareFileTime(&*stamp, &found.ftLastWriteTime) == 0) {
        leftovers.push_back(tempDir + found.cFileName);
      }
    } while (FindNextFileW(listing.get(), &found));
  }
  for (const std::wstring& path : leftovers) DeleteImageFile(path);
}

}  // namespace orv
