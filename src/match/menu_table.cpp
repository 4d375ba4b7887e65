#include "match/menu_table.h"

#include "match/game.h"
#include "match/just_played.h"
#include "match/match_setup.h"
#include "match/move_list.h"
#include "match/study.h"
#include "util/text.h"

namespace dalu {

const MenuEntry& MenuEntryOf(MenuId id) {
  const int i = static_cast<int>(id);
  // Rows are in enumerator order; anything else falls back to the first row rather than
  // reading outside the table.
  return kMenuTable[(i >= 0 && i < kMenuItemCount) ? i : 0];
}

std::string MenuCaption(MenuId id, bool english, CaptionVariant variant) {
  if (variant != CaptionVariant::kPlain) {
    for (const CaptionVariantEntry& v : kCaptionVariants) {
      if (v.id == id && v.variant == variant) {
        return english ? std::string(v.English) : Utf8ToCp932(v.JapaneseUtf8);
      }
    }
  }
  const int key = ReplayKeyIndex(id);
  if (key >= 0) return ReplayKeyCaption(key, english);
  const MenuEntry& e = MenuEntryOf(id);
  const char* text = english ? e.English : e.JapaneseUtf8;
  if (text == nullptr) return {};
  return english ? std::string(text) : Utf8ToCp932(text);
}

bool IsSubmenu(MenuId id) {
  for (const MenuEntry& e : kMenuTable) {
    if (e.parent == id) return true;
  }
  return false;
}

const char* GameKeyName(MenuId id) {
  if (id == MenuId::kTakeBack) return "Backspace";
  const int key = ReplayKeyIndex(id);
  return key >= 0 ? ReplayKeys()[key].keyName : nullptr;
}

int ReplayKeyIndex(MenuId id) {
  static_assert(static_cast<int>(MenuId::kLastTurn) - static_cast<int>(MenuId::kStepBack) + 1 ==
                    kReplayKeyCount,
                "one menu item for every replay key");
  const int i = static_cast<int>(id) - static_cast<int>(MenuId::kStepBack);
  return i >= 0 && i < kReplayKeyCount ? i : -1;
}

std::optional<bool> RecordItemEnabled(const Game& g, MenuId id, bool running) {
  switch (id) {
    case MenuId::kMoveList:
      return CanListMoves(g);
    case MenuId::kGoToTurn:
    case MenuId::kReplay:
    case MenuId::kStepBack:
    case MenuId::kStepForward:
    case MenuId::kFirstTurn:
    case MenuId::kLastTurn:
      return CanStudy(g);
    case MenuId::kSameDeal:
      return !running && SameDealTwins(g, 1) > 0 && SameDealTwins(g, 2) > 0;
    case MenuId::kTakeBack:
      return CanTakeBack(g);
    default:
      return std::nullopt;
  }
}

TurnQuestion GoToTurnQuestion(bool english, int32_t lastTurn) {
  const std::string last = std::to_string(lastTurn);
  if (english) return {"Go to turn", "Turn (0 = start, 1 to " + last + "):"};
  return {Utf8ToCp932("手数を指定"), Utf8ToCp932("手数（0 = 開始、1～" + last + "）：")};
}

std::vector<std::string> WelcomeLines() {
  return {
      Utf8ToCp932("DaluMasterを遊んで頂いてありがとうございます。"),
      Utf8ToCp932("メインは通信対戦ですので、慣れたらチャレンジしてください。"),
      Utf8ToCp932("遊び方はヘルプ(Ctrl+H)にあります。レベルを選んで Ctrl+S で対戦開始です。"),
  };
}

std::vector<std::string> MemoLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  lines.push_back(std::move(line));
  // A line break the user typed after the last line does not start an empty comment line.
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace dalu
