// The image files this program writes to the temporary folder for other programs to open: the
// paint program's bitmap and the picture dragged out of the preview. Each is named after the
// local time it was written at and stamped with that time, kept until this program quits,
// however long the other program takes to open it, and kept for good once the user has changed
// it or another program has moved it.
#pragma once

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

  // The path for a new file of the type (kTemporaryBitmapType or kTemporaryPngType) in tempDir,
  // named after the local time now; empty without a temporary folder (never the current one).
  static std::wstring NewPath(const std::wstring& tempDir, std::wstring_view type);
  // A file just written at such a path gets its stamp and is remembered as it is now, to be
  // removed at quit; one not there is not remembered. Two in the same second share a name, and
  // one entry.
  void Keep(const std::wstring& path);
  // Deletes a file at once, which nobody will open.
  void Discard(const std::wstring& path);
  // At quit: deletes the files of this run that are still as this program wrote them.
  void RemoveUnchanged();

 private:
  struct File;
  std::vector<File> files_;
};

// At start-up: deletes the temporary image files an earlier run left in the temporary folder (it
// did not quit normally) that are still as it wrote them, and nothing else there.
void RemoveLeftoverTemporaryImages(const std::wstring& tempDir);

}  // namespace orv
