#include "output/export_formats.h"

#include <array>

#include "output/bmp_writer.h"
#include "output/jpeg_writer.h"
#include "output/png_writer.h"

namespace orv {
namespace {

constexpr std::array<std::wstring_view, 5> kImageTypes = {L"jpg", L"gif", L"png", L"bmp", L"tif"};

}  // namespace

std::wstring ToRequesterFilter(std::wstring_view patterns) {
  std::wstring filter(patterns);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  return filter;
}

int FormatIndexOf(std::wstring_view imageType) {
  for (std::size_t i = 0; i < kImageTypes.size(); ++i) {
    if (kImageTypes[i] == imageType) return static_cast<int>(i);
  }
  return 0;
}

std::wstring_view ImageTypeOf(int formatIndex) {
  if (formatIndex < 0 || formatIndex >= static_cast<int>(kImageTypes.size())) return kImageTypes[0];
  return kImageTypes[static_cast<std::size_t>(formatIndex)];
}

int EncoderSetting(ExportFormat format) {
  return format == ExportFormat::Jpg ? 9 : 10;
}

bool WriteWithOwnEncoder(const ImageView& image, const NativePath& file, ExportFormat format,
                         int setting) {
  switch (format) {
    case ExportFormat::Jpg:
      return WriteJpegFile(image, file, setting);
    case ExportFormat::Png:
      return WritePngFile(image, file);
    case ExportFormat::Bmp:
      return WriteBmpFile(image, file);
    case ExportFormat::Gif:
    case ExportFormat::Tif:
      break;
  }
  return false;
}

}  // namespace orv
