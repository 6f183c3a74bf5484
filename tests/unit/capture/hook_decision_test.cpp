#include "capture/hook_decision.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace orv {
namespace {

constexpr int kCtrl = kVkControl;
constexpr int kShift = kVkShift;
constexpr std::uint32_t kLetterA = 0x41;

const KeyVerdict kPass{};
const KeyVerdict kSwallow{true, std::nullopt};
KeyVerdict Posts(CommandId command) {
  return {true, command};
}

// Replays key events through one rule, with the keyboard's modifiers as they are at each event
// (the keys that are down now), the way the hook sees them.
class Keyboard {
 public:
  KeyVerdict Down(std::uint32_t key = kVkSnapshot) { return Event(kWmKeyDown, key); }
  KeyVerdict Up(std::uint32_t key = kVkSnapshot) { return Event(kWmKeyUp, key); }
  KeyVerdict Event(std::uintptr_t message, std::uint32_t key, int nCode = kHookAction) {
    const auto down = [this](int modifier) { return held.count(modifier) > 0; };
    return rule.Decide({nCode, message, key, time += 30}, down);
  }
  void Press(int modifier) { held.insert(modifier); }
  void Release(int modifier) { held.erase(modifier); }
  void Wait(std::uint32_t milliseconds) { time += milliseconds; }

  std::set<int> held;

 private:
  PrintScreenRule rule;
  std::uint32_t time = 0xFFFFFF00;  // the time stamps wrap during the replay
};

TEST(PrintScreenRule, EachCombinationIsDecidedOnThePressAndPostedOnTheRelease) {
  const struct {
    std::vector<int> modifiers;
    CommandId command;
  } combinations[] = {{{kCtrl}, CommandId::CaptureRegion},
                      {{kShift}, CommandId::CaptureScreen},
                      {{kCtrl, kShift}, CommandId::CaptureWindow}};
  Keyboard keys;
  for (const auto& [modifiers, command] : combinations) {
    for (int modifier : modifiers) keys.Press(modifier);
    EXPECT_EQ(keys.Down(), kSwallow);
    // Modifiers let go a moment early, or a new one pressed, change nothing decided.
    keys.held = {kShift};
    EXPECT_EQ(keys.Up(), Posts(command));
    keys.held.clear();
  }
}

TEST(PrintScreenRule, PrintScreenAloneAfterACapitalLetterPassesPressAndRelease) {
  Keyboard keys;
  keys.Press(kShift);
  EXPECT_EQ(keys.Down(kLetterA), kPass);
  EXPECT_EQ(keys.Up(kLetterA), kPass);
  keys.Release(kShift);
  EXPECT_EQ(keys.Down(), kPass);
  // Ctrl pressed while Print Screen is held does not make the release a capture.
  keys.Press(kCtrl);
  EXPECT_EQ(keys.Up(), kPass);
}

TEST(PrintScreenRule, AutoRepeatBelongsToThePressItRepeats) {
  Keyboard keys;
  keys.Press(kCtrl);
  EXPECT_EQ(keys.Down(), kSwallow);
  keys.Release(kCtrl);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(keys.Down(), kSwallow);
  EXPECT_EQ(keys.Up(), Posts(CommandId::CaptureRegion));

  EXPECT_EQ(keys.Down(), kPass);
  keys.Press(kShift);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(keys.Down(), kPass);
  EXPECT_EQ(keys.Up(), kPass);
}

TEST(PrintScreenRule, PressesWithAltOrAWindowsKeyPassAsTheSystemSendsThem) {
  // Ctrl+Alt and AltGr (a right Alt with a left Ctrl the system adds) arrive as WM_KEYDOWN, Alt
  // alone as WM_SYSKEYDOWN; Win+Ctrl is the system's own. None is a capture, press or release.
  const std::vector<int> chords[] = {
      {kCtrl, kVkAlt}, {kCtrl, kShift, kVkAlt}, {kCtrl, kVkLeftWindows}, {kShift, kVkRightWindows}};
  Keyboard keys;
  for (const std::vector<int>& chord : chords) {
    keys.held = {chord.begin(), chord.end()};
    EXPECT_EQ(keys.Down(), kPass);
    EXPECT_EQ(keys.Up(), kPass);
  }
  keys.held = {kVkAlt};
  EXPECT_EQ(keys.Event(kWmSysKeyDown, kVkSnapshot), kPass);
  EXPECT_EQ(keys.Event(kWmSysKeyUp, kVkSnapshot), kPass);
  // Alt pressed while a combination is held ends the press without a capture.
  keys.held = {kCtrl};
  EXPECT_EQ(keys.Down(), kSwallow);
  EXPECT_EQ(keys.Event(kWmSysKeyUp, kVkSnapshot), kPass);
  keys.held.clear();
  EXPECT_EQ(keys.Down(), kPass);  // a new press, alone
  EXPECT_EQ(keys.Up(), kPass);
  EXPECT_EQ(keys.Up(), kPass);  // a release whose press was never seen
}

TEST(PrintScreenRule, APressLongAfterOneWhoseReleaseWentUnseenIsNew) {
  Keyboard keys;
  keys.Press(kCtrl);
  EXPECT_EQ(keys.Down(), kSwallow);
  keys.Release(kCtrl);
  keys.Wait(PrintScreenRule::kLongestRepeatGap);
  EXPECT_EQ(keys.Down(), kPass);
  EXPECT_EQ(keys.Up(), kPass);
}

TEST(PrintScreenRule, OtherKeysAndHookCodesLeaveThePressAlone) {
  Keyboard keys;
  keys.Press(kShift);
  EXPECT_EQ(keys.Event(kWmKeyDown, kVkSnapshot, 3), kPass);  // HC_NOREMOVE
  EXPECT_EQ(keys.Down(), kSwallow);
  EXPECT_EQ(keys.Down(kLetterA), kPass);
  EXPECT_EQ(keys.Event(kWmKeyUp, kVkSnapshot, -1), kPass);
  EXPECT_EQ(keys.Up(), Posts(CommandId::CaptureScreen));
}

}  // namespace
}  // namespace orv
