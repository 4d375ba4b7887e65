#include "match/menu_table.h"

#include <gtest/gtest.h>

#include <set>

#include "util/text.h"

namespace dalu {
namespace {

TEST(MenuTable, RowsAreInEnumeratorOrderAndChildrenFollowTheirSubmenu) {
  for (int i = 0; i < kMenuItemCount; ++i) {
    const MenuEntry& e = kMenuTable[i];
    EXPECT_EQ(static_cast<int>(e.id), i);
    if (e.parent != MenuId::kNone) {
      // The builder makes each submenu before its items.
      EXPECT_LT(static_cast<int>(e.parent), i);
      EXPECT_TRUE(IsSubmenu(e.parent));
      EXPECT_FALSE(e.idleOnly && MenuEntryOf(e.parent).idleOnly);
    }
  }
  EXPECT_TRUE(IsSubmenu(MenuId::kFile));
  EXPECT_TRUE(IsSubmenu(MenuId::kEdit));
  EXPECT_FALSE(IsSubmenu(MenuId::kStart));
}

TEST(MenuTable, AcceleratorLetterStandsInBothCaptionsAndMatchesTheShortcut) {
  std::set<std::string> shortcuts;
  for (const MenuEntry& e : kMenuTable) {
    if (*e.shortcut) {
      EXPECT_TRUE(shortcuts.insert(e.shortcut).second) << e.shortcut;
    }
    if (e.accelerator == 0) continue;
    const std::string paren = std::string("(") + e.accelerator + ")";
    for (bool english : {true, false}) {
      const std::string caption = MenuCaption(e.id, english);
      ASSERT_GE(caption.size(), 3u);
      EXPECT_EQ(caption.substr(caption.size() - 3), paren) << Cp932ToUtf8(caption);
    }
    EXPECT_EQ(std::string(e.shortcut), std::string("Ctrl+") + e.accelerator);
  }
  // The variants keep the item's letter, so the menu reads the same key in every state.
  for (const CaptionVariantEntry& v : kCaptionVariants) {
    const std::string paren = std::string("(") + MenuEntryOf(v.id).accelerator + ")";
    for (bool english : {true, false}) {
      const std::string caption = MenuCaption(v.id, english, v.variant);
      EXPECT_EQ(caption.substr(caption.size() - 3), paren);
    }
  }
}

TEST(MenuTable, CaptionsInBothLanguagesAndTheirVariants) {
  EXPECT_EQ(MenuCaption(MenuId::kStart, true), "Start(S)");
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kSaveAs, false)), "棋譜格納(V)");
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kAutoTwin, false)), "２Ｐ自動同期");
  // Stop/Continue: "続ける" only before the first match, "再開" after one stopped.
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kStopContinue, false)), "続ける(Z)");
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kStopContinue, false, CaptionVariant::kStop)),
            "止める(Z)");
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kStopContinue, false, CaptionVariant::kContinue)),
            "再開(Z)");
  EXPECT_EQ(MenuCaption(MenuId::kStopContinue, true, CaptionVariant::kStop), "Stop(Z)");
  EXPECT_EQ(MenuCaption(MenuId::kComment, true, CaptionVariant::kCommentEnd), "Comment End(C)");
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kComment, false, CaptionVariant::kCommentEnd)),
            "コメント終わり(C)");
  // An item without the variant keeps its caption.
  EXPECT_EQ(MenuCaption(MenuId::kHelp, true, CaptionVariant::kStop), "Help(H)");
  EXPECT_FALSE(kMenuTable[static_cast<int>(MenuId::kStopContinue)].enabledAtStart);
}

TEST(MenuTable, MemoLinesDropOnlyTrailingBreaks) {
  EXPECT_TRUE(MemoLines("").empty());
  EXPECT_TRUE(MemoLines("\n\n").empty());
  EXPECT_EQ(MemoLines("a\r\n\r\nb\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(MemoLines("one\rtwo"), (std::vector<std::string>{"one", "two"}));
  const std::vector<std::string> welcome = WelcomeLines();
  ASSERT_EQ(welcome.size(), 3u);
  EXPECT_EQ(Cp932ToUtf8(welcome[0]), "DaluMasterを遊んで頂いてありがとうございます。");
}

}  // namespace
}  // namespace dalu
