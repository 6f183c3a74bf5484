#include "win/shell.h"

#include <shellapi.h>
#include <shlobj.h>

#include "base/fault_location.h"
#include "win/com_apartment.h"
#include "win/unique_handle.h"

namespace orv::win {

void OpenWithShell(std::wstring_view target) {
  const std::wstring file(target);
  const ScopedComApartment com;
  ORV_TRACE_LOCATION();
  ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool EditWithShell(const std::wstring& file) {
  // The result is needed here and now: the call waits until the verb has run, also where a
  // handler answers it asynchronously (DDE), and reports a failure instead of showing it.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"edit";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  const ScopedComApartment com;
  ORV_TRACE_LOCATION();
  return ShellExecuteExW(&info) != FALSE;
}

void ShowFileProperties(HWND owner, const std::wstring& file, const std::wstring& page) {
  // The properties verb goes through the file's context menu; no error boxes from the shell;
  // and hand back a process handle when one is started (closed below, never leaked).
  constexpr ULONG kMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);  // the record's own size: 60 bytes in the 32-bit layout, 112 here
  info.fMask = kMask;
  info.hwnd = owner;
  info.lpVerb = L"properties";
  info.lpFile = file.c_str();
  info.lpParameters = page.c_str();  // the sheet opens on the page of this name
  info.nShow = SW_HIDE;
  const ScopedComApartment com;
  ORV_TRACE_LOCATION();
  ShellExecuteExW(&info);  // result ignored: a missing sheet or page is the shell's business
  const UniqueKernelHandle process(info.hProcess);
}

std::wstring WithTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring SpecialFolderPath(int folderId) {
  PIDLIST_ABSOLUTE items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items))) return {};
  wchar_t buffer[MAX_PATH] = {};
  const BOOL converted = SHGetPathFromIDListW(items, buffer);
  CoTaskMemFree(items);
  return converted ? WithTrailingBackslash(buffer) : std::wstring();
}

}  // namespace orv::win
