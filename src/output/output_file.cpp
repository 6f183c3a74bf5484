#include "output/output_file.h"

#include <cstdio>

namespace orv {
namespace {

// Encoders hand over a few kilobytes at a time; a large buffer turns that into few writes.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;

std::FILE* OpenForWriting(const NativePath& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

// Nothing more can be done when the half-written file cannot be removed.
void RemoveFile(const NativePath& path) {
#ifdef _WIN32
  _wremove(path.c_str());
#else
  std::remove(path.c_str());
#endif
}

}  // namespace

OutputFile::OutputFile(const NativePath& path) : path_(path) {
  file_ = OpenForWriting(path_);
  if (file_ == nullptr) return;
  buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  // Without our buffer the stream keeps its small default one, which only costs speed.
  std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) Discard();
}

bool OutputFile::Finish() {
  if (file_ == nullptr) return false;
  const bool written = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed) RemoveFile(path_);
  return written && closed;
}

void OutputFile::Discard() {
  std::fclose(file_);
  file_ = nullptr;
  RemoveFile(path_);
}

}  // namespace orv
