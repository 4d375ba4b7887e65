#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "records/file_test_helpers.h"
#include "records/record_file.h"
#include "records/record_loader.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

using testing::CrLfLines;
using testing::Exists;
using testing::JoinCrLf;
using testing::Listing;
using testing::ReadFile;
using testing::Sj;
using testing::TempDir;
using testing::WriteFile;

const std::string kData = std::string(DALU_TEST_DATA_DIR) + "/records/";

class OldFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g->cfg.AppDir = dir.path();
    old = ReadFile(kData + "old_game.DBD");
    expected = ReadFile(kData + "nw_old_game.DBD");
    // A field size other than the old records' 7 x 11, and levels the file will replace.
    g->eng.FieldWidth = 9;
    g->eng.FieldHeight = 13;
    g->eng.PlayerLevel[1] = 3;
    g->eng.PlayerLevel[2] = 8;
    g->rec.RecFileName = "before.DBD";
  }

  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFile(dir.path() + name, bytes);
    return dir.path() + name;
  }

  std::string Converted(const std::string& name) {
    return ReadFile(dir.path() + "GameData/nw_" + name);
  }

  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
  TempDir dir;
  std::string old;
  std::string expected;
};

TEST_F(OldFormatTest, ConvertsToTheExpectedNewFile) {
  bool sizeChanged = false;
  ASSERT_EQ(LoadRecord(*g, kData + "old_game.DBD", &sizeChanged), LoadOutcome::kConverted);
  EXPECT_TRUE(host.errors.empty());
  ASSERT_EQ(host.infos.size(), 1u);
  EXPECT_EQ(host.infos[0],
            "old_game.DBD is now converted to nw_old_game.DBD, version 2.00 format.");
  EXPECT_EQ(Converted("old_game.DBD"), expected);

  // What the program keeps: the converted values, the 7 x 11 field, the file's levels.
  EXPECT_TRUE(sizeChanged);
  EXPECT_EQ(g->eng.FieldWidth, 7);
  EXPECT_EQ(g->eng.FieldHeight, 11);
  EXPECT_EQ(g->eng.PlayerLevel[1], 0);
  EXPECT_EQ(g->eng.PlayerLevel[2], 9);
  EXPECT_EQ(g->rec.RecFileName, "nw_old_game.DBD");
  EXPECT_EQ(g->rec.RecTurns, 3);
  EXPECT_EQ(g->rec.RecPlayerName[1], "No Info");
  EXPECT_EQ(g->rec.RecDate, "Old Good Days...");
  EXPECT_EQ(g->eng.ChainRate[16], 20);
  EXPECT_EQ(g->eng.ColourImage[2], 4);
  EXPECT_EQ(g->rec.CommentCount[2], 2);
  EXPECT_EQ(g->rec.CommentText[2][2], Sj("二つ目"));
  EXPECT_EQ(g->rec.TurnRecord[3][2], (TwinMove{0, 0, 2, 1, 0}));
}

TEST_F(OldFormatTest, TrailingEmptyLinesAndLineEndsDoNotMatter) {
  std::vector<std::string> lines = CrLfLines(old);
  while (lines.back().empty()) lines.pop_back();
  const std::string trimmed = JoinCrLf(lines);
  std::string lf = trimmed;
  for (size_t i; (i = lf.find("\r\n")) != std::string::npos;) lf.erase(i, 1);
  // Trailing empty lines are dropped before the line limit is applied.
  const std::string padded = trimmed + std::string(12000, '\n');
  for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
           {"trimmed.DBD", trimmed}, {"lf.DBD", lf}, {"padded.DBD", padded}}) {
    host.infos.clear();
    ASSERT_EQ(LoadRecord(*g, Put(name, bytes)), LoadOutcome::kConverted) << name;
    EXPECT_EQ(Converted(name), expected) << name;
    EXPECT_EQ(host.infos.size(), 1u);
  }
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(OldFormatTest, ConvertedFileLoadsForReplay) {
  ASSERT_EQ(LoadRecord(*g, kData + "old_game.DBD"), LoadOutcome::kConverted);
  ASSERT_EQ(LoadRecord(*g, dir.path() + "GameData/nw_old_game.DBD"), LoadOutcome::kReplay);
  EXPECT_EQ(g->rec.RecInfo, "Test(Train)");
  EXPECT_EQ(g->rec.RecEndReason, "Buried");
  EXPECT_EQ(g->rec.CommentText[3][1], "end");
}

TEST_F(OldFormatTest, RefusedFilesWriteNothingAndLeaveTheGameAsItWas) {
  const std::vector<std::string> L = CrLfLines(old);
  auto with = [&](int line, const std::string& text) {
    std::vector<std::string> lines = L;
    lines.at(static_cast<size_t>(line - 1)) = text;
    return JoinCrLf(lines);
  };
  std::string tooMany;
  for (int i = 0; i < 10001; ++i) tooMany += "x\r\n";
  const std::string longLine(64, '1');
  std::string noCount = JoinCrLf({L[0], L[1], L[2], L[3], L[4]});
  for (int i = 0; i < 6; ++i) noCount += longLine + "\r\n";

  struct Case {
    std::string bytes;
    bool notNumber;
    std::string expectation;
  };
  const std::vector<Case> cases = {
      {with(3, "2463"), false, "line 3: the colour image 3 is 6, outside 1..5"},
      {with(4, "10"), false, "line 4: the level of side 1 is 10, outside 0..9"},
      {with(5, "x"), true, "line 5: the level of side 2 \"x\" is not a number"},
      {with(8, "8110"), false, "line 8: the column of side 1 is 8, outside 0..7"},
      {with(11, "0073"), false, "line 11: the twin of side 2 in column 7 with rotation 3"},
      {with(13, "2"), false, "line 13: the file holds 3 turn lines, but its turn count says 2"},
      {with(13, "4"), false, "line 13: the file holds 3 turn lines, but its turn count says 4"},
      {with(13, "1001"), false, "line 13: the turn count is 1001, outside 0..1000"},
      {with(13, "100"), false, "the file ends before line 20"},
      {with(15, L[14].substr(0, 9) + "5" + L[14].substr(10)), false,
       "line 15: the bead 10 is 5, outside 0..4"},
      {with(19, "0000"), false, "line 19: the chain table line has 4 bytes, 60 needed"},
      {with(7, "CMa\r\nCMb\r\nCMc\r\n3041"), false,
       "line 9: more than 3 comment lines in one place"},
      {JoinCrLf({L[0], L[1], L[2]}), false, "the file ends before line 4"},
      {noCount, false, "no turn count line was found"},
      {tooMany, false, "the file has more than 10000 lines"},
      {"", false, "the file ends before line 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expectation);
    host.errors.clear();
    auto engBefore = std::make_unique<Engine>(g->eng);
    auto recBefore = std::make_unique<BattleRecord>(g->rec);
    const std::string path = Put("bad.DBD", c.bytes);
    bool sizeChanged = true;
    ASSERT_EQ(LoadRecord(*g, path, &sizeChanged), LoadOutcome::kFailed);
    EXPECT_FALSE(sizeChanged);
    ASSERT_EQ(host.errors.size(), c.notNumber ? 2u : 1u);
    if (c.notNumber) {
      EXPECT_EQ(host.errors[0], "Please input Integer.");
    }
    EXPECT_NE(
        host.errors.back().find("Cannot load " + path + " (read as a record of the old format): "),
        std::string::npos)
        << host.errors.back();
    EXPECT_NE(host.errors.back().find(c.expectation), std::string::npos) << host.errors.back();
    EXPECT_TRUE(host.infos.empty());
    EXPECT_FALSE(Exists(dir.path() + "GameData/nw_bad.DBD"));
    EXPECT_EQ(g->rec.RecFileName, "before.DBD");
    EXPECT_EQ(g->eng.FieldWidth, 9);
    EXPECT_EQ(g->eng.PlayerLevel[1], 3);
    EXPECT_EQ(
        std::memcmp(g->eng.TwinSequence, engBefore->TwinSequence, sizeof engBefore->TwinSequence),
        0);
    EXPECT_EQ(g->rec.RecTitle, recBefore->RecTitle);
    EXPECT_EQ(g->rec.RecHeader[3], recBefore->RecHeader[3]);
  }
}

TEST_F(OldFormatTest, FailedWriteShowsNoInformationAndKeepsTheState) {
  WriteFile(dir.path() + "GameData", "a file where the directory should be");
  ASSERT_EQ(LoadRecord(*g, kData + "old_game.DBD"), LoadOutcome::kFailed);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(std::strerror(ENOTDIR)), std::string::npos) << host.errors[0];
  EXPECT_TRUE(host.infos.empty());
  EXPECT_EQ(g->rec.RecFileName, "before.DBD");
  EXPECT_EQ(g->eng.FieldWidth, 9);
  EXPECT_EQ(g->eng.PlayerLevel[2], 8);
}

}  // namespace
}  // namespace dalu
