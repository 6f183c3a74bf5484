#include "app/information.h"

namespace orv {

std::wstring InformationMessage(const TextLookup& text) {
  // These keys, unlike most, are stored without a leading "#".
  std::wstring message(text(L"TXT00073"));
  message += L' ';
  message += text(L"TXT00074");
  message += L' ';
  message += text(L"TXT00075");
  message += L"\r\n\r\n";
  message += text(L"TXT00076");
  return message;
}

}  // namespace orv
