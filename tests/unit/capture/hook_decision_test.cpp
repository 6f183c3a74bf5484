#include "capture/hook_decision.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <vector>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kCtrl = kVkControl;
constexpr int kShift = kVkShift;
constexpr int kDown = -32768;  // GetAsyncKeyState's high bit, as the SHORT it returns
constexpr int kPressedSince = 1;

// Answers key-state queries from a script per key (the last answer repeats) and records them.
struct FakeKeyboard {
  std::map<int, std::deque<int>> answers;
  std::vector<int> asked;

  int operator()(int key) {
    asked.push_back(key);
    auto& script = answers[key];
    if (script.empty()) return 0;
    const int answer = script.front();
    if (script.size() > 1) script.pop_front();
    return answer;
  }
};

struct Outcome {
  std::optional<CommandId> command;
  std::vector<int> asked;
};

Outcome Release(FakeKeyboard keys, int nCode = kHookAction, std::uintptr_t message = kWmKeyUp,
                std::uint32_t vk = kVkSnapshot) {
  const auto command = DecidePrintScreenCommand(nCode, message, vk, std::ref(keys));
  return {command, keys.asked};
}

FakeKeyboard Held(int ctrl, int shift) {
  return {{{kCtrl, {ctrl}}, {kShift, {shift}}}, {}};
}

TEST(HookDecision, EachCombinationPostsItsCommandAndAsksInOrder) {
  const Outcome region = Release(Held(kDown, 0));
  EXPECT_EQ(region.command, CommandId::CaptureRegion);
  EXPECT_THAT(region.asked, ElementsAre(kCtrl, kShift));

  const Outcome screen = Release(Held(0, kDown));
  EXPECT_EQ(screen.command, CommandId::CaptureScreen);
  EXPECT_THAT(screen.asked, ElementsAre(kCtrl, kShift, kCtrl));

  const Outcome window = Release(Held(kDown, kDown));
  EXPECT_EQ(window.command, CommandId::CaptureWindow);
  EXPECT_THAT(window.asked, ElementsAre(kCtrl, kShift, kShift, kCtrl, kCtrl, kShift));
}

TEST(HookDecision, PrintScreenAlonePassesOnAfterThreeQueries) {
  const Outcome alone = Release(Held(0, 0));
  EXPECT_EQ(alone.command, std::nullopt);
  EXPECT_THAT(alone.asked, ElementsAre(kCtrl, kShift, kCtrl));
}

TEST(HookDecision, EveryCombinationAsksAfresh) {
  // Shift answers only once (a tap since the previous query): the region test fails on it,
  // the screen test then sees it released, and Ctrl alone no longer makes a window capture.
  FakeKeyboard tapped{{{kCtrl, {kDown}}, {kShift, {kPressedSince, 0}}}, {}};
  const Outcome outcome = Release(tapped);
  EXPECT_EQ(outcome.command, std::nullopt);
  EXPECT_THAT(outcome.asked, ElementsAre(kCtrl, kShift, kShift, kCtrl, kShift));

  // Ctrl let go between the queries of the region test: the screen test sees Shift alone.
  FakeKeyboard released{{{kCtrl, {0}}, {kShift, {kDown}}}, {}};
  EXPECT_EQ(Release(released).command, CommandId::CaptureScreen);
}

TEST(HookDecision, OtherEventsPassOnWithoutAskingTheKeyboard) {
  const Outcome keyDown = Release(Held(kDown, 0), kHookAction, 0x0100);  // WM_KEYDOWN
  EXPECT_EQ(keyDown.command, std::nullopt);
  EXPECT_THAT(keyDown.asked, IsEmpty());
  EXPECT_EQ(Release(Held(kDown, 0), kHookAction, kWmSysKeyUp).command, std::nullopt);
  EXPECT_EQ(Release(Held(kDown, 0), kHookAction, kWmKeyUp, 0x41).command, std::nullopt);
  const Outcome noAction = Release(Held(kDown, kDown), 3);  // HC_NOREMOVE
  EXPECT_EQ(noAction.command, std::nullopt);
  EXPECT_THAT(noAction.asked, IsEmpty());
  EXPECT_EQ(Release(Held(kDown, 0), -1).command, std::nullopt);
}

struct PressOutcome {
  bool swallowed;
  std::vector<int> asked;
};

PressOutcome Press(FakeKeyboard keys, int nCode = kHookAction, std::uintptr_t message = kWmKeyDown,
                   std::uint32_t vk = kVkSnapshot) {
  const bool swallowed = IsSwallowedPrintScreenPress(nCode, message, vk, std::ref(keys));
  return {swallowed, keys.asked};
}

TEST(HookDecision, ThePressOfEveryCombinationIsSwallowedByTheReleasesRule) {
  EXPECT_TRUE(Press(Held(kDown, 0)).swallowed);
  EXPECT_TRUE(Press(Held(0, kDown)).swallowed);
  const PressOutcome both = Press(Held(kPressedSince, kDown));
  EXPECT_TRUE(both.swallowed);
  EXPECT_THAT(both.asked, ElementsAre(kCtrl, kShift, kShift, kCtrl, kCtrl, kShift));

  const PressOutcome alone = Press(Held(0, 0));
  EXPECT_FALSE(alone.swallowed);
  EXPECT_THAT(alone.asked, ElementsAre(kCtrl, kShift, kCtrl));
}

TEST(HookDecision, OnlyAPressOfPrintScreenCanBeSwallowed) {
  const PressOutcome system = Press(Held(kDown, 0), kHookAction, 0x0104);  // WM_SYSKEYDOWN
  EXPECT_FALSE(system.swallowed);
  EXPECT_THAT(system.asked, IsEmpty());
  EXPECT_FALSE(Press(Held(kDown, 0), kHookAction, kWmKeyUp).swallowed);  // the release decides
  EXPECT_FALSE(Press(Held(kDown, kDown), kHookAction, kWmKeyDown, 0x41).swallowed);
  const PressOutcome noAction = Press(Held(kDown, 0), 3);  // HC_NOREMOVE
  EXPECT_FALSE(noAction.swallowed);
  EXPECT_THAT(noAction.asked, IsEmpty());
}

}  // namespace
}  // namespace orv
