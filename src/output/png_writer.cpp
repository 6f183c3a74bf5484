#include "output/png_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <png.h>

#include "output/output_file.h"

namespace orv {
namespace {

// libpng's default handlers print to stderr, which a windowed program does not have; an error
// still has to end in the long jump back to Compress.
[[noreturn]] void JumpBack(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void DropWarning(png_structp, png_const_charp) {}

// Every libpng call runs in this frame, which holds nothing with a destructor: a long jump
// back to the setjmp below skips only libpng's own C frames.
bool Compress(const ImageView& image, std::FILE* stream, int zlibLevel) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpBack, DropWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, stream);
  const bool palette = image.bitsPerPixel == 8;
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8,
               palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette) {
    png_color colors[256];
    for (int i = 0; i < 256; ++i) {
      colors[i].red = static_cast<png_byte>(image.colors[i] >> 16);
      colors[i].green = static_cast<png_byte>(image.colors[i] >> 8);
      colors[i].blue = static_cast<png_byte>(image.colors[i]);
    }
    png_set_PLTE(png, info, colors, 256);
  }
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, zlibLevel);
  png_write_info(png, info);
  if (!palette) png_set_bgr(png);  // our rows are blue-green-red; libpng swaps as it copies
  for (int y = 0; y < image.height; ++y) png_write_row(png, image.Row(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePngFile(const ImageView& image, const NativePath& file, int zlibLevel) {
  const bool palette = image.bitsPerPixel == 8 && image.colors != nullptr;
  if (image.width < 1 || image.height < 1 || image.top == nullptr) return false;
  if (image.bitsPerPixel != 24 && !palette) return false;

  OutputFile out(file);
  if (!out.IsOpen()) return false;
  if (!Compress(image, out.Stream(), std::clamp(zlibLevel, 0, 9))) return false;
  return out.Finish();
}

}  // namespace orv
