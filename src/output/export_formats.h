// The five export formats in the order of the save requester's pattern list, and the writing
// of the three that the program encodes itself (JPEG, PNG, BMP).
#pragma once

#include <string>
#include <string_view>

#include "imaging/image.h"
#include "output/output_file.h"

namespace orv {

// Positions in the pattern list; also the requester's filter index minus one.
enum class ExportFormat { Jpg = 0, Gif = 1, Png = 2, Bmp = 3, Tif = 4 };

// The requester's pattern list, display names and patterns separated by "|".
inline constexpr std::wstring_view kSavePatterns =
    L"Image JPG|*.jpg|Image GIF|*.gif|Image PNG|*.png|Image BMP|*.bmp|Image TIF|*.tif";

// The pattern list as the save requester takes it: every "|" a NUL, and two NULs at the end
// (both inside the returned string, so its data() can be passed on as it is).
std::wstring ToRequesterFilter(std::wstring_view patterns);

// The format index of an `ImageType`, compared exactly: "jpg" 0, "gif" 1, "png" 2, "bmp" 3,
// "tif" 4. Anything else, "JPG" included, is unknown and counts as "jpg", 0.
int FormatIndexOf(std::wstring_view imageType);

// The `ImageType` of a format index; an index outside 0..4 gives "jpg".
std::wstring_view ImageTypeOf(int formatIndex);

// What the program passes to its own encoders: quality 9 of 10 for JPEG, 10 for PNG and BMP
// (where it has no effect).
int EncoderSetting(ExportFormat format);

// Writes the image with the program's own encoder for JPEG, PNG or BMP and returns its result.
// GIF and TIFF have no own encoder here: false, nothing written.
bool WriteWithOwnEncoder(const ImageView& image, const NativePath& file, ExportFormat format,
                         int setting);

}  // namespace orv
