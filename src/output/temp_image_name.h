// The names of the temporary image files handed to other programs: the temporary folder,
// "OrvantaImage-", the local date and time through the mask "%yyyy%mm%dd-%hh%ii%ss", for the
// second and later file of one second "-2", "-3", ..., and ".bmp" for the paint program's bitmap
// or ".png" for a picture dragged out of the preview.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// A broken-down local time, as the system clock reports it (month and day from 1).
struct LocalDateTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

constexpr std::int64_t kInvalidDate = -1;

// Seconds from 1970-01-01 00:00:00, counting the local wall-clock time as if it were universal
// time. Valid from 1970-01-01 00:00:00 to 2038-01-19 03:14:07 (the largest 32-bit value);
// anything outside that range, or a field out of its calendar range, gives kInvalidDate.
std::int64_t DateValueOf(const LocalDateTime& time);

// Copies the mask and replaces each "%" followed by "yyyy", "mm", "dd", "hh", "ii" or "ss" (in
// any letter case) with the 4-digit year or the 2-digit month, day, hour, minute or second. Any
// other "%" stays. An invalid date gives "0000" and "00" fields.
std::wstring FormatDate(std::wstring_view mask, std::int64_t date);

inline constexpr std::wstring_view kTempImageDateMask = L"%yyyy%mm%dd-%hh%ii%ss";

inline constexpr std::wstring_view kTemporaryBitmapType = L".bmp";
inline constexpr std::wstring_view kTemporaryPngType = L".png";

// How many files one second's name can serve: the first, then "-2" up to this.
inline constexpr int kTemporaryImagesASecond = 999;

// The full path of the copy-th temporary image file of the type (one of the two above) made at
// `now` (1 for the first, which has no number); `tempDir` ends with a separator.
std::wstring TemporaryImagePath(std::wstring_view tempDir, const LocalDateTime& now,
                                std::wstring_view type = kTemporaryBitmapType, int copy = 1);

enum class FileCreation { Created, NameTaken, Failed };

// Makes a new temporary image file at the first name of the second `now` that no file has yet
// ("-2", "-3", ... after the first), through createNew, which makes a file only where none is
// and tells which it was. The path made, or empty when every name is taken or the folder refuses
// the file. Never writing to a name in use keeps a file that another program may still be reading
// (an earlier capture of the same second, or of the hour that repeats when the clocks go back).
std::wstring CreateTemporaryImageFile(
    std::wstring_view tempDir, const LocalDateTime& now, std::wstring_view type,
    const std::function<FileCreation(const std::wstring& path)>& createNew);

// A pattern for the system's file search that finds every temporary image file (and may find
// more).
inline constexpr std::wstring_view kTemporaryImageSearch = L"OrvantaImage-*";

// Whether a file name (without folder) is one TemporaryImagePath makes: "OrvantaImage-", eight
// digits, "-", six digits, maybe "-" and a number from 2 to kTemporaryImagesASecond (no leading
// zero), ".bmp" or ".png", exactly.
bool IsTemporaryImageName(std::wstring_view fileName);

// The local date and time a temporary image file's name holds; nothing for another name, or for a
// date the calendar or the date value's range does not have (such as the zeros of an invalid
// date).
std::optional<LocalDateTime> TemporaryImageTime(std::wstring_view fileName);

}  // namespace orv
