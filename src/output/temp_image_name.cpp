#include "output/temp_image_name.h"

#include "base/ascii.h"

namespace orv {
namespace {

constexpr std::int64_t kLastValidDate = 2147483647;  // 2038-01-19 03:14:07
constexpr std::wstring_view kTemporaryImagePrefix = L"OrvantaImage-";
constexpr std::size_t kTypeLength = kTemporaryBitmapType.size();
static_assert(kTemporaryPngType.size() == kTypeLength);

bool IsLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(std::int64_t year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back (the usual
// era-based conversion, exact for every year).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

LocalDateTime CivilFromDate(std::int64_t date) {
  const std::int64_t days = date / 86400;
  const std::int64_t secondOfDay = date % 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = z / 146097;  // dates here are never negative
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  LocalDateTime time;
  time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2));
  time.hour = static_cast<int>(secondOfDay / 3600);
  time.minute = static_cast<int>(secondOfDay / 60 % 60);
  time.second = static_cast<int>(secondOfDay % 60);
  return time;
}

void AppendDigits(std::wstring& out, int value, int digits) {
  std::wstring text(static_cast<std::size_t>(digits), L'0');
  for (int i = digits - 1; i >= 0 && value > 0; --i, value /= 10) {
    text[static_cast<std::size_t>(i)] = static_cast<wchar_t>(L'0' + value % 10);
  }
  out += text;
}

}  // namespace

std::int64_t DateValueOf(const LocalDateTime& time) {
  if (time.month < 1 || time.month > 12) return kInvalidDate;
  if (time.day < 1 || time.day > DaysInMonth(time.year, time.month)) return kInvalidDate;
  if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
      time.second > 59) {
    return kInvalidDate;
  }
  const std::int64_t date = DaysFromCivil(time.year, time.month, time.day) * 86400 +
                            time.hour * 3600 + time.minute * 60 + time.second;
  return date >= 0 && date <= kLastValidDate ? date : kInvalidDate;
}

std::wstring FormatDate(std::wstring_view mask, std::int64_t date) {
  const bool valid = date >= 0 && date <= kLastValidDate;
  const LocalDateTime time = valid ? CivilFromDate(date) : LocalDateTime{0, 0, 0, 0, 0, 0};
  struct Field {
    std::wstring_view letters;
    int value;
  };
  const Field fields[] = {{L"yyyy", time.year}, {L"mm", time.month},  {L"dd", time.day},
                          {L"hh", time.hour},   {L"ii", time.minute}, {L"ss", time.second}};
  std::wstring out;
  std::size_t pos = 0;
  while (pos < mask.size()) {
    const wchar_t c = mask[pos++];
    const Field* match = nullptr;
    if (c == L'%') {
      for (const Field& field : fields) {
        if (StartsWithIgnoringAsciiCase(mask.substr(pos), field.letters)) {
          match = &field;
          break;
        }
      }
    }
    if (match == nullptr) {
      out += c;
      continue;
    }
    AppendDigits(out, match->value, static_cast<int>(match->letters.size()));
    pos += match->letters.size();
  }
  return out;
}

std::wstring TemporaryImagePath(std::wstring_view tempDir, const LocalDateTime& now,
                                std::wstring_view type, int copy) {
  std::wstring path(tempDir);
  path += kTemporaryImagePrefix;
  path += FormatDate(kTempImageDateMask, DateValueOf(now));
  if (copy > 1) path += L'-' + std::to_wstring(copy);
  path += type;
  return path;
}

std::wstring CreateTemporaryImageFile(
    std::wstring_view tempDir, const LocalDateTime& now, std::wstring_view type,
    const std::function<FileCreation(const std::wstring& path)>& createNew) {
  for (int copy = 1; copy <= kTemporaryImagesASecond; ++copy) {
    std::wstring path = TemporaryImagePath(tempDir, now, type, copy);
    const FileCreation made = createNew(path);
    if (made == FileCreation::Created) return path;
    if (made == FileCreation::Failed) break;
  }
  return {};
}

bool IsTemporaryImageName(std::wstring_view fileName) {
  // The date part is what the mask writes: eight digits, a dash, six digits.
  constexpr std::wstring_view kDateShape = L"00000000-000000";
  if (fileName.size() < kTemporaryImagePrefix.size() + kDateShape.size() + kTypeLength ||
      !fileName.starts_with(kTemporaryImagePrefix) ||
      !(fileName.ends_with(kTemporaryBitmapType) || fileName.ends_with(kTemporaryPngType))) {
    return false;
  }
  const auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
  const std::wstring_view date = fileName.substr(kTemporaryImagePrefix.size(), kDateShape.size());
  for (std::size_t i = 0; i < date.size(); ++i) {
    if (kDateShape[i] == L'-' ? date[i] != L'-' : !isDigit(date[i])) return false;
  }
  std::wstring_view copy = fileName.substr(kTemporaryImagePrefix.size() + kDateShape.size());
  copy.remove_suffix(kTypeLength);
  if (copy.empty()) return true;
  if (copy.size() < 2 || copy.size() > 4 || copy[0] != L'-' || copy[1] == L'0') return false;
  int number = 0;
  for (const wchar_t c : copy.substr(1)) {
    if (!isDigit(c)) return false;
    number = number * 10 + (c - L'0');
  }
  return number >= 2 && number <= kTemporaryImagesASecond;
}

std::optional<LocalDateTime> TemporaryImageTime(std::wstring_view fileName) {
  if (!IsTemporaryImageName(fileName)) return std::nullopt;
  std::size_t at = kTemporaryImagePrefix.size();
  const auto number = [&](std::size_t digits) {
    int value = 0;
    for (const std::size_t end = at + digits; at < end; ++at)
      value = value * 10 + (fileName[at] - L'0');
    return value;
  };
  LocalDateTime time;
  time.year = number(4);
  time.month = number(2);
  time.day = number(2);
  ++at;  // the dash
  time.hour = number(2);
  time.minute = number(2);
  time.second = number(2);
  if (DateValueOf(time) == kInvalidDate) return std::nullopt;
  return time;
}

}  // namespace orv
