#include "match/controls.h"

#include <iterator>

#include "match/steering.h"
#include "util/text.h"

namespace dalu {

namespace {

// None of these keys means anything else while a twin is steered.
constexpr DropKeyChoice kChoices[] = {
    {0, "None", "なし"},
    {vk::kSpace, "Space", "スペース"},
    {vk::kUp, "Up arrow", "上矢印"},
    {vk::kReturn, "Enter", "Enter"},
    {vk::kNumpad0, "Numpad 0", "テンキーの0"},
    {vk::kNumpad8, "Numpad 8", "テンキーの8"},
};

struct Caption {
  ControlsText id;
  const char* English;
  const char* JapaneseUtf8;
};

constexpr Caption kCaptions[] = {
    {ControlsText::kTitle, "Controls", "操作設定"},
    {ControlsText::kMovePressOnly, "Move on key press only", "キーを押した時だけ動かす"},
    {ControlsText::kDropKey, "Key that drops at once:", "すぐ落とすキー："},
    {ControlsText::kShowLanding, "Show where the twin will land", "落ちる位置を表示する"},
};

std::string Say(bool english, const char* en, const char* jaUtf8) {
  return english ? std::string(en) : Utf8ToCp932(jaUtf8);
}

}  // namespace

std::span<const DropKeyChoice> DropKeyChoices() {
  return kChoices;
}

int DropKeyIndex(int virtualKey) {
  for (size_t i = 0; i < std::size(kChoices); ++i) {
    if (kChoices[i].virtualKey == virtualKey) return static_cast<int>(i);
  }
  return -1;
}

SteeringOptions CheckedSteeringOptions(SteeringOptions options) {
  if (DropKeyIndex(options.DropKey) < 0) options.DropKey = 0;
  return options;
}

std::string ControlsCaption(ControlsText id, bool english) {
  for (const Caption& c : kCaptions) {
    if (c.id == id) return Say(english, c.English, c.JapaneseUtf8);
  }
  return {};
}

std::string DropKeyName(int index, bool english) {
  if (index < 0 || index >= static_cast<int>(std::size(kChoices))) return {};
  return Say(english, kChoices[index].English, kChoices[index].JapaneseUtf8);
}

}  // namespace dalu
