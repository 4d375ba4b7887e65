#include "records/record_file.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "util/file_io.h"
#include "records/file_test_helpers.h"
#include "records/record_labels.h"
#include "records/record_loader.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

using testing::CrLfLines;
using testing::Exists;
using testing::Listing;
using testing::ReadFile;
using testing::Sj;
using testing::TempDir;
using testing::WriteFile;

const std::string kData = std::string(DALU_TEST_DATA_DIR) + "/records/";

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override { g->cfg.AppDir = dir.path(); }

  std::string GameData() const { return dir.path() + "GameData/"; }
  std::string Saved(const std::string& name) const { return ReadFile(GameData() + name); }

  // The state of a fresh match on the default rules, as match start leaves it, with the
  // first three twins dealt (both sides alike before the first vanish).
  void FreshMatch() {
    g->rec.RecTitle = "DaluMaster Test: No Attack vs Weaker Gutcha";
    g->rec.RecPlayerName[1] = "0009No Attack";
    g->rec.RecPlayerName[2] = "0013Weaker Gutcha";
    g->rec.RecDate = "2024/05/01";
    const int32_t images[] = {4, 2, 1, 3};
    for (int i = 0; i < 4; ++i) g->eng.ColourImage[i + 1] = images[i];
    SetBeads(1, "314212");
    SetBeads(2, "314212");
    g->rec.RecFileName = "Autosave.DBD";
    g->eng.TurnNumber = 1;
    TF_File_SetUp(*g);
  }

  void SetBeads(int p, const std::string& digits) {
    for (size_t i = 0; i < digits.size(); ++i) g->eng.TwinSequence[p][i + 1] = digits[i] - '0';
  }

  void AddComment(int index, const std::string& text) {
    g->rec.CommentText[index][++g->rec.CommentCount[index]] = text;
  }

  void SetTurn(int t, int c1, int r1, int c2, int r2) {
    g->rec.TurnRecord[t][1] = TwinMove{1, 2, c1, r1, 0};
    g->rec.TurnRecord[t][2] = TwinMove{3, 4, c2, r2, 0};
  }

  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
  TempDir dir;
};

TEST(RecordLabels, AreTheCp932BytesOfTheirJapaneseSpelling) {
  EXPECT_EQ(labels::kWidth, Sj(":横サイズ"));
  EXPECT_EQ(labels::kHeight, Sj(":縦サイズ"));
  EXPECT_EQ(labels::kColours, Sj(":使用色数"));
  EXPECT_EQ(labels::kVanish, Sj("個消し"));
  EXPECT_EQ(labels::kTime, Sj(":時間"));
  EXPECT_EQ(labels::kObstruct, Sj(":邪魔珠降り係数"));
  EXPECT_EQ(labels::kSpare, Sj("予備"));
  EXPECT_EQ(labels::kRows, Sj(":配珠行数"));
  // The reader cuts fixed byte counts off these lines.
  EXPECT_EQ(std::strlen(labels::kTime), 5u);
  EXPECT_EQ(std::strlen(labels::kHandi), 6u);
  EXPECT_EQ(std::strlen(labels::kInfo), 5u);
  EXPECT_EQ(std::strlen(labels::kDate), 5u);
}

TEST(SequenceRows, CoverTheTwinsUpToTwoBeyondTheTurnCounter) {
  EXPECT_EQ(SequenceRows(0), 1);
  EXPECT_EQ(SequenceRows(1), 1);
  EXPECT_EQ(SequenceRows(29), 1);  // 2 x 31 = 62 < 64
  EXPECT_EQ(SequenceRows(30), 2);
  EXPECT_EQ(SequenceRows(989), 31);
  EXPECT_EQ(SequenceRows(990), 32);
  EXPECT_EQ(SequenceRows(1000), 32);
  EXPECT_EQ(SequenceRows(INT32_MAX), 67108865);  // no overflow
}

TEST_F(RecordFileTest, FreshMatchHeaderIsByteExact) {
  FreshMatch();
  const std::vector<std::string> golden = CrLfLines(ReadFile(kData + "halt_zero_turns.DBD"));
  ASSERT_GE(golden.size(), 20u);
  for (int i = 1; i <= kHeaderLines; ++i) {
    EXPECT_EQ(g->rec.RecHeader[i], golden[i - 1]) << "header line " << i;
  }
  // The example values of the default rules.
  EXPECT_EQ(g->rec.RecHeader[3], "0007" + Sj(":横サイズ"));
  EXPECT_EQ(g->rec.RecHeader[11], "000000060018003600600090012601680216027003300396046805460630");
  EXPECT_EQ(g->rec.RecHeader[18], "01000100" + Sj(":邪魔珠降り係数"));
}

TEST_F(RecordFileTest, SetUpClearsEveryCommentCount) {
  g->rec.CommentCount[0] = 2;
  g->rec.CommentCount[999] = 1;
  g->rec.CommentCount[1000] = 3;
  TF_File_SetUp(*g);
  for (int i = 0; i <= kMaxCommentIndex; ++i) ASSERT_EQ(g->rec.CommentCount[i], 0) << i;
}

TEST_F(RecordFileTest, ZeroTurnSaveAsWhileRunningMatchesGoldenFileInGameData) {
  FreshMatch();
  AddComment(0, "Hello");
  AddComment(0, Sj("よろしくお願いします"));
  // A bare name goes to GameData/.
  ASSERT_TRUE(TF_File_SaveAs(*g, "zero", /*Running=*/true));
  EXPECT_EQ(g->rec.RecFileName, "zero.DBD");
  EXPECT_EQ(Saved("zero.DBD"), ReadFile(kData + "halt_zero_turns.DBD"));
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(Listing(GameData()), (std::set<std::string>{"zero.DBD"}));
}

TEST_F(RecordFileTest, ThreeTurnRecordWithCommentsBeforeTurnsAndAfterTheLastMatchesGolden) {
  FreshMatch();
  g->rec.RecTitle = "DaluMaster Test: User vs Far more Reading Gutcha";
  g->rec.RecPlayerName[1] = "0004User";
  g->rec.RecPlayerName[2] = "0023Far more Reading Gutcha";
  g->rec.RecDate = "2024/05/02";
  const int32_t images[] = {2, 4, 3, 1};
  for (int i = 0; i < 4; ++i) g->eng.ColourImage[i + 1] = images[i];
  TF_File_SetUp(*g);
  SetBeads(1, "314212233441");
  SetBeads(2, "314212413322");
  AddComment(0, "first");
  SetTurn(1, 3, 0, 4, 1);
  AddComment(1, "a");
  AddComment(1, "b");
  AddComment(1, "c");
  SetTurn(2, 7, 1, 3, 0);
  SetTurn(3, 0, 0, 4, 1);  // side 1 was chaining and placed nothing
  AddComment(3, Sj("最後の手の後"));
  g->eng.TurnNumber = 4;  // turn 4 is in progress and left out
  ASSERT_TRUE(TF_File_SaveAs(*g, "three.DBD", /*Running=*/true));
  EXPECT_EQ(Saved("three.DBD"), ReadFile(kData + "halt_3turns.DBD"));
}

TEST_F(RecordFileTest, SaveAsNamesAndEndReasons) {
  FreshMatch();
  g->eng.TurnNumber = 3;
  SetTurn(1, 1, 0, 2, 0);
  SetTurn(2, 3, 0, 4, 0);
  SetTurn(3, 5, 0, 6, 0);

  ASSERT_TRUE(TF_File_SaveAs(*g, "game", /*Running=*/false));
  EXPECT_EQ(g->rec.RecFileName, "game.DBD");
  ASSERT_TRUE(TF_File_SaveAs(*g, "game.DBD", false));
  EXPECT_EQ(g->rec.RecFileName, "game.DBD");
  ASSERT_TRUE(TF_File_SaveAs(*g, "game.dbd", false));
  EXPECT_EQ(g->rec.RecFileName, "game.dbd.DBD");
  EXPECT_EQ(Listing(GameData()), (std::set<std::string>{"game.DBD", "game.dbd.DBD"}));
  // A name with a folder goes where the user chose it.
  std::filesystem::create_directory(dir.path() + "chosen");
  ASSERT_TRUE(TF_File_SaveAs(*g, dir.path() + "chosen/there", false));
  EXPECT_EQ(g->rec.RecFileName, "there.DBD");
  EXPECT_EQ(ReadFile(dir.path() + "chosen/there.DBD"), Saved("game.DBD"));
  EXPECT_EQ(Listing(GameData()), (std::set<std::string>{"game.DBD", "game.dbd.DBD"}));

  // After the match: TurnNumber turns, "Buried".
  std::vector<std::string> lines = CrLfLines(Saved("game.DBD"));
  EXPECT_EQ(lines[20], "0003:SaveTurn");
  EXPECT_EQ(lines[21], "Buried");
  EXPECT_EQ(lines[25], "1020");
  EXPECT_EQ(lines[27], "5060");
  EXPECT_EQ(lines[28], "[EoF]");

  // While running: the turn in progress is left out, "Halt".
  ASSERT_TRUE(TF_File_SaveAs(*g, "game", true));
  lines = CrLfLines(Saved("game.DBD"));
  EXPECT_EQ(lines[20], "0002:SaveTurn");
  EXPECT_EQ(lines[21], "Halt");
  EXPECT_EQ(lines[26], "3040");
  EXPECT_EQ(lines[27], "[EoF]");
}

TEST_F(RecordFileTest, RowCountComesFromTheTurnCounter) {
  FreshMatch();
  auto rowsLine = [&](int32_t turnNumber) {
    g->eng.TurnNumber = turnNumber;
    EXPECT_TRUE(TF_File_Save(*g, 0, "Halt"));
    const auto lines = CrLfLines(Saved("Autosave.DBD"));
    return std::make_pair(lines[22], lines.size());
  };
  const std::string rows = Sj(":配珠行数");
  // 20 header lines, 3 lines, 2R sequence lines, "[EoF]".
  EXPECT_EQ(rowsLine(29), std::make_pair("0001" + rows, size_t{26}));
  EXPECT_EQ(rowsLine(30), std::make_pair("0002" + rows, size_t{28}));
  EXPECT_EQ(rowsLine(1000), std::make_pair("0032" + rows, size_t{88}));
  // Beyond what the sequence holds the writer stops at its 32 rows.
  EXPECT_EQ(rowsLine(5000), std::make_pair("0032" + rows, size_t{88}));
}

TEST_F(RecordFileTest, ConversionWriterTakesRowsFromTheGivenTurnCount) {
  FreshMatch();
  g->eng.TurnNumber = 0;
  ASSERT_TRUE(TF_File_SaveRows(*g, 0, "Buried", 40));
  EXPECT_EQ(CrLfLines(Saved("Autosave.DBD"))[22], "0002" + Sj(":配珠行数"));
}

TEST_F(RecordFileTest, ThousandTurnRecordWithCommentsAfterTheLastTurnRoundTrips) {
  FreshMatch();
  for (int b = 1; b <= kSequenceBeads; ++b) {
    g->eng.TwinSequence[1][b] = 1 + b % 4;
    g->eng.TwinSequence[2][b] = 1 + (b / 3) % 4;
  }
  for (int t = 1; t <= kMaxTurns; ++t) SetTurn(t, 1 + t % 6, t % 2 == 0 ? 3 : 0, 7, t % 3);
  AddComment(0, "start");
  AddComment(500, "middle");
  AddComment(kMaxTurns, "after turn 1000");
  AddComment(kMaxTurns, "and one more");
  g->eng.TurnNumber = kMaxTurns;
  ASSERT_TRUE(TF_File_SaveAs(*g, "long", false));
  const std::string first = Saved("long.DBD");
  const auto lines = CrLfLines(first);
  EXPECT_EQ(lines[20], "1000:SaveTurn");
  EXPECT_EQ(lines[22], "0032" + Sj(":配珠行数"));
  EXPECT_EQ(lines[lines.size() - 3], "CMafter turn 1000");
  EXPECT_EQ(lines[lines.size() - 2], "CMand one more");

  // Write, read, write again: the same bytes.
  auto other = std::make_unique<Game>(host, canvas, sound);
  other->cfg.AppDir = dir.path();
  ASSERT_EQ(LoadRecord(*other, GameData() + "long.DBD"), LoadOutcome::kReplay);
  EXPECT_EQ(other->rec.CommentCount[kMaxTurns], 2);
  EXPECT_EQ(other->rec.CommentText[kMaxTurns][2], "and one more");
  EXPECT_EQ(other->eng.TwinSequence[2][kSequenceBeads], g->eng.TwinSequence[2][kSequenceBeads]);
  other->eng.TurnNumber = kMaxTurns;
  other->rec.RecFileName = "again.DBD";
  ASSERT_TRUE(TF_File_Save(*other, other->rec.RecTurns, other->rec.RecEndReason));
  EXPECT_EQ(Saved("again.DBD"), first);
}

TEST_F(RecordFileTest, TurnCountsOutsideTheRecordAreHeldToIt) {
  FreshMatch();
  g->eng.TurnNumber = 0;  // Save As while "running" before the first turn
  ASSERT_TRUE(TF_File_SaveAs(*g, "early", true));
  EXPECT_EQ(CrLfLines(Saved("early.DBD"))[20], "0000:SaveTurn");
  g->eng.TurnNumber = 1500;
  ASSERT_TRUE(TF_File_SaveAs(*g, "late", false));
  EXPECT_EQ(CrLfLines(Saved("late.DBD"))[20], "1000:SaveTurn");
}

TEST_F(RecordFileTest, LineBreaksInsideTextsAreWrittenAsBlanks) {
  FreshMatch();
  AddComment(0, "two\r\nlines");
  g->rec.RecTitle = "a\nb";
  TF_File_SetUp(*g);
  AddComment(0, "two\r\nlines");
  ASSERT_TRUE(TF_File_SaveAs(*g, "breaks", true));
  const auto lines = CrLfLines(Saved("breaks.DBD"));
  EXPECT_EQ(lines[1], "a b");
  EXPECT_EQ(lines[25], "CMtwo  lines");
  EXPECT_EQ(lines[26], "[EoF]");
}

TEST_F(RecordFileTest, FirstAutosaveOfAFreshInstallCreatesGameData) {
  FreshMatch();
  ASSERT_FALSE(Exists(GameData()));
  g->rec.RecFileName = "AutoSave.DBD";
  ASSERT_TRUE(TF_File_Save(*g, 1, "Buried"));
  EXPECT_TRUE(Exists(GameData() + "AutoSave.DBD"));
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(RecordFileTest, FailedWriteKeepsTheEarlierFileAndLeavesNoTemporary) {
  FreshMatch();
  g->eng.TurnNumber = 500;  // a long file that cannot fit under the limit below
  ASSERT_TRUE(TF_File_SaveAs(*g, "keep", false));
  const std::string earlier = Saved("keep.DBD");
  ASSERT_GT(earlier.size(), 2000u);
  {
    testing::FileSizeLimit limit(1000);
    EXPECT_FALSE(TF_File_SaveAs(*g, "keep", true));
  }
  EXPECT_EQ(Saved("keep.DBD"), earlier);
  EXPECT_EQ(Listing(GameData()), (std::set<std::string>{"keep.DBD"}));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(std::strerror(EFBIG)), std::string::npos) << host.errors[0];
  EXPECT_NE(host.errors[0].find(GameData() + "keep.DBD"), std::string::npos);
}

TEST_F(RecordFileTest, FailedRenameLeavesNoTemporary) {
  FreshMatch();
  std::filesystem::create_directories(GameData() + "busy.DBD/inside");
  EXPECT_FALSE(TF_File_SaveAs(*g, "busy", false));
  EXPECT_EQ(Listing(GameData()), (std::set<std::string>{"busy.DBD"}));
  EXPECT_EQ(host.errors.size(), 1u);
  // Save As keeps the chosen name even when the write fails.
  EXPECT_EQ(g->rec.RecFileName, "busy.DBD");
}

TEST_F(RecordFileTest, LeftoversOfSavesOfRunsNoLongerAliveAreRemovedAtStart) {
  // A process that has ended: its id names no running process any more.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  const std::string dead = ".dalu-" + std::to_string(child) + "-";
  const std::string ours = ".dalu-" + std::to_string(::getpid()) + "-0.tmp";
  std::filesystem::create_directories(GameData());
  for (const std::string& name : {dead + "0.tmp", ours, std::string(".dalu-1-0.tmp"),
                                  std::string(".dalu-x-0.tmp"), std::string("notes.tmp")}) {
    WriteFile(GameData() + name, "half a record");
  }
  WriteFile(dir.path() + dead + "7.tmp", "half a configuration");
  // Written an hour ago under this process's id: by an earlier process that had it.
  const std::string earlier = ".dalu-" + std::to_string(::getpid()) + "-9.tmp";
  WriteFile(GameData() + earlier, "half a record");
  const auto anHourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(GameData() + earlier, anHourAgo);
  RemoveStaleSaveFiles(*g);
  EXPECT_EQ(Listing(GameData()), (std::set<std::string>{ours, ".dalu-1-0.tmp", ".dalu-x-0.tmp",
                                                        "notes.tmp"}));
  EXPECT_FALSE(Exists(dir.path() + dead + "7.tmp"));
}

TEST_F(RecordFileTest, GameDataThatIsNoDirectoryIsReported) {
  FreshMatch();
  WriteFile(dir.path() + "GameData", "not a directory");
  EXPECT_FALSE(TF_File_Save(*g, 0, "Halt"));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(std::strerror(ENOTDIR)), std::string::npos) << host.errors[0];
}

TEST_F(RecordFileTest, EmptyFileNameIsRefused) {
  FreshMatch();
  g->rec.RecFileName = "";
  EXPECT_FALSE(TF_File_Save(*g, 0, "Halt"));
  EXPECT_EQ(host.errors.size(), 1u);
}

TEST(FileIo, SplitLinesReadsCrLfAndBareLfAlike) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb"), (V{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (V{"a", ""}));
  EXPECT_EQ(SplitLines("a\rb\r"), (V{"a\rb"}));
}

TEST_F(RecordFileTest, ASaveReplacesOnlyWhatWritingInPlaceWould) {
  // A folder with a Japanese name, so the message is checked for the name the user sees.
  g->cfg.AppDir = dir.path() + "棋譜/";
  const std::string gameData = g->cfg.AppDir + "GameData/";
  namespace fs = std::filesystem;
  fs::create_directories(gameData);
  FreshMatch();
  g->eng.TurnNumber = 2;
  const auto perms = [](const std::string& p) { return fs::status(p).permissions(); };

  // A record the user made read-only survives, for root too, with the system's text.
  const std::string kept = gameData + "kept.DBD";
  WriteFile(kept, "old");
  fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(TF_File_SaveAs(*g, "kept.DBD", false));
  EXPECT_EQ(ReadFile(kept), "old");
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(Cp932ToUtf8(host.errors[0]), "Cannot save " + kept + ": " + std::strerror(EACCES));

  // A replaced record keeps its permissions.
  const std::string shared = gameData + "shared.DBD";
  WriteFile(shared, "old");
  fs::permissions(shared, fs::perms::owner_write | fs::perms::owner_read | fs::perms::group_read |
                              fs::perms::others_write);
  ASSERT_TRUE(TF_File_SaveAs(*g, "shared.DBD", false));
  EXPECT_EQ(ReadFile(shared).rfind(kRecordMagic, 0), 0u);
  EXPECT_EQ(perms(shared), fs::perms::owner_write | fs::perms::owner_read | fs::perms::group_read |
                               fs::perms::others_write);

  // A link is written through to its target, and a link to a missing file creates it.
  fs::create_directory(dir.path() + "elsewhere");
  fs::create_symlink("../../elsewhere/linked.DBD", gameData + "link.DBD");
  fs::create_symlink(dir.path() + "elsewhere/new.DBD", gameData + "dangling.DBD");
  ASSERT_TRUE(TF_File_SaveAs(*g, "link.DBD", false));
  ASSERT_TRUE(TF_File_SaveAs(*g, "dangling.DBD", false));
  EXPECT_TRUE(fs::is_symlink(gameData + "link.DBD"));
  EXPECT_TRUE(fs::is_symlink(gameData + "dangling.DBD"));
  EXPECT_EQ(ReadFile(dir.path() + "elsewhere/linked.DBD"), ReadFile(shared));
  EXPECT_EQ(ReadFile(dir.path() + "elsewhere/new.DBD"), ReadFile(shared));
  EXPECT_EQ(Listing(dir.path() + "elsewhere"), (std::set<std::string>{"linked.DBD", "new.DBD"}));
  EXPECT_EQ(Listing(gameData),
            (std::set<std::string>{"kept.DBD", "shared.DBD", "link.DBD", "dangling.DBD"}));
  EXPECT_EQ(host.errors.size(), 1u);
}

}  // namespace
}  // namespace dalu
