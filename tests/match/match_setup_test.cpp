#include "match/match_setup.h"

#include <gtest/gtest.h>

#include <set>

#include "match/match_commands.h"
#include "match_harness.h"
#include "players/levels.h"
#include "util/text.h"

namespace dalu {
namespace {

TEST(LevelSelectors, ASingleUserAlwaysPlaysTheLeftSide) {
  EXPECT_EQ(LeftLevelAfterChange(5, 0), 0);  // snaps back to the user
  EXPECT_EQ(LeftLevelAfterChange(0, 5), 0);  // the user against a computer stays
  EXPECT_EQ(LeftLevelAfterChange(0, 0), 0);  // two users
  EXPECT_EQ(LeftLevelAfterChange(3, 9), 3);  // two computers
  testing::TestGame t;
  EXPECT_EQ(LevelSelectorsChanged(t.game(), 7, 0), 0);
  EXPECT_EQ(t.game().eng.PlayerLevel[1], 0);
  EXPECT_EQ(t.game().eng.PlayerLevel[2], 0);
}

TEST(MatchSetup, PlayerNamesCarryTheirByteLength) {
  EXPECT_EQ(PlayerNameField("User"), "0004User");
  EXPECT_EQ(PlayerNameField("Weakest Attack"), "0014Weakest Attack");
  // Japanese level texts count two bytes per character.
  EXPECT_EQ(PlayerNameField(LevelName(6, false)), "0006" + Utf8ToCp932("ぐちゃ"));
}

// A start whose match ends at once: the left side is the user, and the window closes
// while the loop waits for the first move.
struct StartedMatch {
  explicit StartedMatch(bool english, int left = 0, int right = 5) {
    Game& g = t.game();
    g.cfg.EnglishUI = english;
    t.host.onEvents = [&g] { CloseRequested(g); };
    EXPECT_TRUE(StartMatch(g, left, right));
  }
  testing::TestGame t;
};

TEST(MatchSetup, StartFillsInTheRecordHeaderInTheCurrentLanguage) {
  StartedMatch m(true);
  const Game& g = m.t.game();
  EXPECT_EQ(g.rec.RecTitle, "DaluMaster Test: User vs Weaker Gutcha");
  EXPECT_EQ(g.rec.RecFileName, "Autosave.DBD");
  EXPECT_EQ(g.rec.RecPlayerName[1], "0004User");
  EXPECT_EQ(g.rec.RecPlayerName[2], "0013Weaker Gutcha");
  EXPECT_EQ(g.rec.RecTime, "Not used");
  EXPECT_EQ(g.rec.RecInfo, "Test(Train)");
  EXPECT_EQ(g.rec.RecHandi, "Even");
  EXPECT_FALSE(g.rec.RecDate.empty());
  EXPECT_EQ(g.rec.RecHeader[2], g.rec.RecTitle);
  EXPECT_EQ(m.t.view.caption, "Autosave.DBD ( DaluMaster Test: User vs Weaker Gutcha )");
  EXPECT_EQ(g.eng.PlayerLevel[1], 0);
  EXPECT_EQ(g.eng.PlayerLevel[2], 5);
  EXPECT_EQ(g.eng.TurnNumber, 1);  // the first turn had begun when the window closed

  StartedMatch j(false, 1, 6);
  EXPECT_EQ(j.t.game().rec.RecTitle, Utf8ToCp932("DaluMaster 練習試合: 攻撃しない 対 ぐちゃ"));

  // A loaded record's title may be a megabyte long: the caption keeps its first whole
  // characters.
  Game& h = j.t.game();
  h.rec.RecTitle = "x" + std::string(1 << 20, '\x82');  // "x" then two-byte characters
  const std::string caption = CaptionText(h);
  EXPECT_EQ(caption, "Autosave.DBD ( x" + std::string(98, '\x82') + "... )");
}

TEST(MatchSetup, EveryStartDrawsDistinctPicturesAndFreshSequences) {
  StartedMatch m(true);
  Game& g = m.t.game();
  std::set<int32_t> pictures;
  for (int c = 1; c <= g.eng.ColourCount; ++c) {
    EXPECT_GE(g.eng.ColourImage[c], 1);
    EXPECT_LE(g.eng.ColourImage[c], 5);
    pictures.insert(g.eng.ColourImage[c]);
  }
  EXPECT_EQ(pictures.size(), static_cast<size_t>(g.eng.ColourCount));
  EXPECT_EQ(g.eng.ColourImage[10], 6);
  // Side 2 copies side 1 until the first vanish; three twins are dealt at turn 1.
  for (int i = 1; i <= 6; ++i) {
    EXPECT_GE(g.eng.TwinSequence[1][i], 1);
    EXPECT_EQ(g.eng.TwinSequence[2][i], g.eng.TwinSequence[1][i]);
  }
  EXPECT_EQ(g.eng.TwinSequence[1][7], 0);
}

TEST(MatchSetup, StartingAfterAReplayClearsTheReplayState) {
  testing::TestGame t;
  Game& g = t.game();
  g.ctl.ReplayMode = true;
  t.view.replayButtons = true;
  t.host.onEvents = [&g] { CloseRequested(g); };
  StartMatch(g, 0, 0);
  EXPECT_FALSE(g.ctl.ReplayMode);
  EXPECT_FALSE(t.view.replayButtons);
  EXPECT_EQ(t.view.caption.find(":replay"), std::string::npos);
}

TEST(MatchSetup, NoStartWhileALoopIsStillRunning) {
  testing::TestGame t;
  Game& g = t.game();
  g.ctl.LoopActive = true;  // finishing its turn after Stop
  EXPECT_FALSE(StartMatch(g, 1, 1));
  EXPECT_EQ(g.eng.TurnNumber, 0);
}

}  // namespace
}  // namespace dalu
