#include "match/menu_table.h"

#include <gtest/gtest.h>

#include <set>

#include "match/match_harness.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "match/study.h"
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
    // A replay key's item is reached by its own key, never by a shortcut.
    const std::string expected =
        ReplayKeyIndex(e.id) >= 0 ? std::string() : std::string("Ctrl+") + e.accelerator;
    EXPECT_EQ(std::string(e.shortcut), expected) << Cp932ToUtf8(MenuCaption(e.id, true));
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

TEST(MenuTable, ReplayItemsTakeTheReplayKeysCaptions) {
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kStepBack, false)), "一手戻る(B)");
  EXPECT_EQ(MenuCaption(MenuId::kLastTurn, true), "Last turn(E)");
  EXPECT_EQ(ReplayKeys()[ReplayKeyIndex(MenuId::kFirstTurn)].action, StudyAction::kFirst);
  EXPECT_EQ(ReplayKeyIndex(MenuId::kGoToTurn), -1);
  EXPECT_EQ(Cp932ToUtf8(MenuCaption(MenuId::kSameDeal, false)), "同じ配珠で対戦(D)");
  EXPECT_EQ(GoToTurnQuestion(true, 14).label, "Turn (0 = start, 1 to 14):");
  EXPECT_EQ(Cp932ToUtf8(GoToTurnQuestion(false, 7).title), "手数を指定");
}

// The study items follow the record: usable while it replays, after the replay ended, and
// never once live play wrote over it; the same deal only while no match runs.
TEST(MenuTable, RecordItemsFollowTheLoadedRecord) {
  testing::TestGame t;
  Game& g = t.game();
  auto study = [&g] { return RecordItemEnabled(g, MenuId::kGoToTurn, g.ctl.MatchRunning); };
  auto deal = [&g] { return RecordItemEnabled(g, MenuId::kSameDeal, g.ctl.MatchRunning); };
  EXPECT_EQ(RecordItemEnabled(g, MenuId::kStart, false), std::nullopt);
  EXPECT_EQ(study(), false);
  EXPECT_EQ(deal(), false);

  int waits = 0;
  t.host.onEvents = [&] {
    if (!g.ctl.StepWaitActive) return;
    ++waits;
    EXPECT_EQ(RecordItemEnabled(g, MenuId::kStepBack, true), true);
    EXPECT_EQ(deal(), false);  // a replay runs
    EndReplayClick(g);
  };
  ASSERT_EQ(LoadFile(g, std::string(DALU_TEST_DATA_DIR) + "/records/halt_3turns.DBD"),
            LoadOutcome::kReplay);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(study(), true);
  EXPECT_EQ(RecordItemEnabled(g, MenuId::kMoveList, false), true);
  EXPECT_EQ(deal(), true);

  // Live play from the position shown, stopped: the match just played is studied instead.
  LevelSelectorsChanged(g, 3, 3);
  t.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= 2) MMEnable(g);
  };
  StopContinueClick(g);
  EXPECT_EQ(study(), true);
  EXPECT_EQ(LastTurn(g), g.eng.TurnNumber);
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
