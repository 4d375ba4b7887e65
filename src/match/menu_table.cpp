#include "match/menu_table.h"

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
  const MenuEntry& e = MenuEntryOf(id);
  return english ? std::string(e.English) : Utf8ToCp932(e.JapaneseUtf8);
}

bool IsSubmenu(MenuId id) {
  for (const MenuEntry& e : kMenuTable) {
    if (e.parent == id) return true;
  }
  return false;
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
