// A file that an image encoder writes: opened by its full (wide on Windows) path with a large
// buffer, and removed again unless the encoder finishes it. A failed save leaves no half file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace orv {

// A file's full path in the system's own form: wide text on Windows, bytes elsewhere. A
// std::filesystem::path converts to it; the program passes its own strings and so stays clear of
// the library's path and locale machinery, which would more than double its size.
using NativePath = std::basic_string<std::filesystem::path::value_type>;

class OutputFile {
 public:
  // Creates or replaces the file; IsOpen() tells whether that worked.
  explicit OutputFile(const NativePath& path);
  ~OutputFile();  // removes the file unless Finish() succeeded
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  std::FILE* Stream() const { return file_; }

  // Flushes and closes; a write error, even one that only shows now (a full disk), removes
  // the file and gives false.
  bool Finish();

 private:
  void Discard();

  NativePath path_;
  std::unique_ptr<char[]> buffer_;
  std::FILE* file_ = nullptr;
};

}  // namespace orv
