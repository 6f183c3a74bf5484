#include "app/information.h"

#include "base/text_keys.h"

namespace orv {

std::wstring InformationMessage(const TextLookup& text) {
  std::wstring message(text(TextKey::InformationSigned));
  message += L' ';
  message += text(TextKey::InformationShows);
  message += L' ';
  message += text(TextKey::InformationNextWindow);
  message += L"\r\n\r\n";
  message += text(TextKey::InformationHint);
  return message;
}

}  // namespace orv
