// A stand-in for the system's paint program, for the end-to-end tests: copied into the system
// folder as mspaint.exe, it records how it was started and, three seconds later (as slow as a
// paint program's cold start can be), copies the file it was given (its one argument) beside
// itself; when the file paint-standin-edit is there too, it then saves into the bitmap without
// changing its content, as Paint's Save of an unchanged picture does, then ends. The record,
// paint-standin.txt beside it, is written last and in one step, so a test that sees it sees the
// copy and the save too.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring folder = OwnFolder();
  const std::wstring commandLine = GetCommandLineW();
  wchar_t workingFolder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, workingFolder);
  // Splits its arguments the way most programs do, so a path with blanks arrives whole only
  // when it is quoted.
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine.c_str(), &count);
  const std::wstring file = arguments && count == 2 ? arguments[1] : L"";
  LocalFree(arguments);
  Sleep(3000);
  const bool copied = CopyFileW(file.c_str(), (folder + L"paint-copy.bmp").c_str(), FALSE) != 0;
  if (copied &&
      GetFileAttributesW((folder + L"paint-standin-edit").c_str()) != INVALID_FILE_ATTRIBUTES) {
    // Its first two bytes written again, in place: the same content, the time of a change.
    const HANDLE saved =
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    WriteFile(saved, "BM", 2, &written, nullptr);
    CloseHandle(saved);
  }

  const std::string record =
      "command_line=" + Utf8(commandLine) + "\narguments=" + std::to_string(count) +
      "\ncwd=" + Utf8(workingFolder) + "\ncopied=" + (copied ? "1" : "0") + "\n";
  const std::wstring temporary = folder + L"paint-standin.tmp";
  const HANDLE out = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(out, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(out);
  MoveFileExW(temporary.c_str(), (folder + L"paint-standin.txt").c_str(),
              MOVEFILE_REPLACE_EXISTING);
  return copied ? 0 : 1;
}
