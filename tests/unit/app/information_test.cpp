#include "app/information.h"

#include <gtest/gtest.h>

#include <map>

namespace orv {
namespace {

// Stored under the keys exactly as the text table spells them: without the leading "#".
std::wstring_view FakeText(std::wstring_view key) {
  static const std::map<std::wstring_view, std::wstring_view> texts = {
      {L"TXT00073", L"One."},
      {L"TXT00074", L"Two."},
      {L"TXT00075", L"Three."},
      {L"TXT00076", L"Hint."},
  };
  const auto found = texts.find(key);
  return found == texts.end() ? std::wstring_view{} : found->second;
}

TEST(Information, ThreeSentencesThenAnEmptyLineThenTheHint) {
  EXPECT_EQ(InformationMessage(FakeText), L"One. Two. Three.\r\n\r\nHint.");
}

}  // namespace
}  // namespace orv
