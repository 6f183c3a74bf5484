// The image files this program writes to the temporary folder for other programs to open: the
// paint program's bitmap and the picture dragged out of the preview. Each is named after the
// local time it was written at and stamped with that time, kept until this program quits,
// however long the other program takes to open it, and kept for good once the user has changed
// it or another program has moved it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class TemporaryImages {
 public:
  TemporaryImages();
  TemporaryImages(const TemporaryImages&) = delete;
  TemporaryImages& operator=(const TemporaryImages&) = delete;
  ~TemporaryImages();

  // Makes a new file of the type (kTemporaryBitmapType or kTemporaryPngType) in tempDir, named
  // after the local time now and never one that is there already, has `write` write it whole,
  // stamps it and remembers it as it is now, to be removed at quit. Its path; empty, and no file
  // left, without a temporary folder (never the current one) or when the file cannot be made or
  // written.
  std::wstring Write(const std::wstring& tempDir, std::wstring_view type,
                     const std::function<bool(const std::wstring& path)>& write);
  // Deletes a file at once, which nobody will open.
  void Discard(const std::wstring& path);
  // At quit: deletes the files of this run that are still as this program wrote them.
  void RemoveUnchanged();

 private:
  struct File;
  void Keep(const std::wstring& path);

  std::vector<File> files_;
};

// At start-up: deletes the temporary image files an earlier run left in the temporary folder (it
// did not quit normally) that are still as it wrote them, and nothing else there.
void RemoveLeftoverTemporaryImages(const std::wstring& tempDir);

}  // namespace orv
