#include "output/bmp_writer.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "output/output_file.h"
#include "output/packed_dib.h"

namespace orv {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

}  // namespace

bool WriteBmpFile(const ImageView& image, const NativePath& file) {
  if (!CanPackDib(image)) return false;

  const std::size_t tableSize = DibColorTableSize(image);
  const std::size_t pixelOffset = kFileHeaderSize + kDibInfoHeaderSize + tableSize;
  std::vector<std::uint8_t> head(pixelOffset);
  head[0] = 'B';
  head[1] = 'M';
  PutLe32(&head[2], static_cast<std::uint32_t>(pixelOffset + DibImageSize(image)));
  // Bytes 6 to 9 are the two reserved words, 0.
  PutLe32(&head[10], static_cast<std::uint32_t>(pixelOffset));
  WriteDibInfoHeader(image, std::span<std::uint8_t, kDibInfoHeaderSize>(&head[kFileHeaderSize],
                                                                        kDibInfoHeaderSize));
  WriteDibColorTable(image, &head[kFileHeaderSize + kDibInfoHeaderSize]);

  OutputFile out(file);
  if (!out.IsOpen()) return false;
  std::FILE* stream = out.Stream();
  if (std::fwrite(head.data(), 1, head.size(), stream) != head.size()) return false;

  const std::size_t pixelBytes = static_cast<std::size_t>(image.width) * (image.bitsPerPixel / 8);
  const std::size_t padding =
      static_cast<std::size_t>(DibStride(image.width, image.bitsPerPixel)) - pixelBytes;
  constexpr std::array<std::uint8_t, 3> zeros{};
  for (int y = image.height - 1; y >= 0; --y) {
    if (std::fwrite(image.Row(y), 1, pixelBytes, stream) != pixelBytes) return false;
    if (std::fwrite(zeros.data(), 1, padding, stream) != padding) return false;
  }
  return out.Finish();
}

}  // namespace orv
