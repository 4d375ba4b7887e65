#include "records/record_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "records/file_test_helpers.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

using testing::CrLfLines;
using testing::Exists;
using testing::JoinCrLf;
using testing::ReadFile;
using testing::Sj;
using testing::TempDir;
using testing::WriteFile;

const std::string kData = std::string(DALU_TEST_DATA_DIR) + "/records/";

// Everything a load may touch, compared field by field.
::testing::AssertionResult SameState(const Engine& a, const BattleRecord& ra, const Engine& b,
                                     const BattleRecord& rb) {
  auto fail = [](const std::string& what) { return ::testing::AssertionFailure() << what; };
  if (a.FieldWidth != b.FieldWidth || a.FieldHeight != b.FieldHeight) return fail("field size");
  if (a.ColourCount != b.ColourCount || a.VanishCount != b.VanishCount) return fail("counts");
  if (a.ObstructRate[1] != b.ObstructRate[1] || a.ObstructRate[2] != b.ObstructRate[2]) {
    return fail("obstruct rates");
  }
  if (std::memcmp(a.ColourImage, b.ColourImage, sizeof a.ColourImage) != 0) return fail("images");
  if (std::memcmp(a.ChainBonus, b.ChainBonus, sizeof a.ChainBonus) != 0 ||
      std::memcmp(a.ChainRate, b.ChainRate, sizeof a.ChainRate) != 0) {
    return fail("chain tables");
  }
  if (std::memcmp(a.TwinSequence, b.TwinSequence, sizeof a.TwinSequence) != 0) {
    return fail("twin sequence");
  }
  if (a.PlayerLevel[1] != b.PlayerLevel[1] || a.PlayerLevel[2] != b.PlayerLevel[2] ||
      a.TurnNumber != b.TurnNumber) {
    return fail("levels or turn number");
  }
  for (int i = 1; i <= kHeaderLines; ++i) {
    if (ra.RecHeader[i] != rb.RecHeader[i]) return fail("header line " + std::to_string(i));
  }
  if (ra.RecTitle != rb.RecTitle || ra.RecFileName != rb.RecFileName ||
      ra.RecPlayerName[1] != rb.RecPlayerName[1] || ra.RecPlayerName[2] != rb.RecPlayerName[2] ||
      ra.RecTime != rb.RecTime || ra.RecInfo != rb.RecInfo || ra.RecHandi != rb.RecHandi ||
      ra.RecDate != rb.RecDate || ra.RecEndReason != rb.RecEndReason ||
      ra.RecTurns != rb.RecTurns) {
    return fail("record texts");
  }
  if (std::memcmp(ra.TurnRecord, rb.TurnRecord, sizeof ra.TurnRecord) != 0) return fail("turns");
  for (int i = 0; i <= kMaxCommentIndex; ++i) {
    if (ra.CommentCount[i] != rb.CommentCount[i]) return fail("comment count " + std::to_string(i));
    for (int j = 1; j <= kCommentsPerIndex; ++j) {
      if (ra.CommentText[i][j] != rb.CommentText[i][j]) return fail("comment text");
    }
  }
  return ::testing::AssertionSuccess();
}

std::string WithLine(const std::string& file, int lineNo, const std::string& text) {
  std::vector<std::string> lines = CrLfLines(file);
  lines.at(static_cast<size_t>(lineNo - 1)) = text;
  return JoinCrLf(lines);
}

std::string FirstLines(const std::string& file, size_t n) {
  std::vector<std::string> lines = CrLfLines(file);
  lines.resize(n);
  return JoinCrLf(lines);
}

class RecordLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g->cfg.AppDir = dir.path();
    golden = ReadFile(kData + "halt_3turns.DBD");
  }

  // A state unlike every file below, so that any partial load would show.
  void MakeDistinctState() {
    Engine& e = g->eng;
    e.FieldWidth = 9;
    e.FieldHeight = 13;
    e.ColourCount = 5;
    for (int i = 1; i <= 5; ++i) e.ColourImage[i] = 6 - i;
    e.VanishCount = 3;
    e.ObstructRate[1] = 50;
    e.ObstructRate[2] = 25;
    for (int k = 1; k <= kChainTableSize; ++k) e.ChainBonus[k] = 7 * k;
    for (int b = 1; b <= kSequenceBeads; ++b) e.TwinSequence[1][b] = e.TwinSequence[2][b] = 5;
    e.PlayerLevel[1] = 3;
    e.PlayerLevel[2] = 8;
    e.TurnNumber = 17;
    BattleRecord& r = g->rec;
    r.RecTitle = "before";
    r.RecFileName = "before.DBD";
    r.RecPlayerName[1] = "0004Befo";
    r.RecEndReason = "Halt";
    r.RecTurns = 16;
    TF_File_SetUp(*g);
    r.CommentCount[0] = 1;
    r.CommentText[0][1] = "kept";
    r.TurnRecord[1][1] = TwinMove{1, 2, 3, 0, 0};
  }

  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFile(dir.path() + name, bytes);
    return dir.path() + name;
  }

  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
  TempDir dir;
  std::string golden;
};

TEST_F(RecordLoaderTest, CurrentFormatRestoresTheRecordAndTheRules) {
  MakeDistinctState();
  bool sizeChanged = false;
  ASSERT_EQ(LoadRecord(*g, kData + "halt_3turns.DBD", &sizeChanged), LoadOutcome::kReplay);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_TRUE(sizeChanged);  // 9 x 13 before, 7 x 11 now

  const Engine& e = g->eng;
  const BattleRecord& r = g->rec;
  EXPECT_EQ(r.RecFileName, "halt_3turns.DBD");
  EXPECT_EQ(r.RecTitle, "DaluMaster Test: User vs Far more Reading Gutcha");
  EXPECT_EQ(e.FieldWidth, 7);
  EXPECT_EQ(e.FieldHeight, 11);
  EXPECT_EQ(e.ColourCount, 4);
  EXPECT_EQ((std::vector<int32_t>(e.ColourImage + 1, e.ColourImage + 6)),
            (std::vector<int32_t>{2, 4, 3, 1, 1}));  // entry 5 is not the record's
  EXPECT_EQ(e.VanishCount, 4);
  EXPECT_EQ(r.RecPlayerName[1], "0004User");
  EXPECT_EQ(r.RecPlayerName[2], "0023Far more Reading Gutcha");
  EXPECT_EQ(r.RecTime, "Not used");
  EXPECT_EQ(e.ChainBonus[2], 6);
  EXPECT_EQ(e.ChainBonus[30], 2610);
  EXPECT_EQ(e.ChainRate[16], 16);
  EXPECT_EQ(r.RecHandi, "Even");
  EXPECT_EQ(r.RecInfo, "Test(Train)");
  EXPECT_EQ(r.RecDate, "2024/05/02");
  EXPECT_EQ(e.ObstructRate[1], 100);
  EXPECT_EQ(e.ObstructRate[2], 100);
  EXPECT_EQ(r.RecTurns, 3);
  EXPECT_EQ(r.RecEndReason, "Halt");
  EXPECT_EQ(e.TwinSequence[1][12], 1);
  EXPECT_EQ(e.TwinSequence[2][7], 4);
  EXPECT_EQ(e.TwinSequence[2][64], 0);
  EXPECT_EQ(e.TwinSequence[2][65], 5);  // beads after row R keep their values
  EXPECT_EQ(r.TurnRecord[2][1], (TwinMove{0, 0, 7, 1, 0}));
  EXPECT_EQ(r.TurnRecord[3][1], (TwinMove{0, 0, 0, 0, 0}));
  EXPECT_EQ(r.TurnRecord[3][2], (TwinMove{0, 0, 4, 1, 0}));
  EXPECT_EQ(r.CommentCount[0], 1);
  EXPECT_EQ(r.CommentText[0][1], "first");
  EXPECT_EQ(r.CommentCount[1], 3);
  EXPECT_EQ(r.CommentText[1][3], "c");
  EXPECT_EQ(r.CommentCount[2], 0);
  EXPECT_EQ(r.CommentText[3][1], Sj("最後の手の後"));
  // The header is rebuilt from what was read: the file's own first 20 lines.
  const auto lines = CrLfLines(golden);
  for (int i = 1; i <= kHeaderLines; ++i) EXPECT_EQ(r.RecHeader[i], lines[i - 1]) << i;
  // Neither the levels nor the turn counter belong to the record.
  EXPECT_EQ(e.PlayerLevel[1], 3);
  EXPECT_EQ(e.TurnNumber, 17);
}

TEST_F(RecordLoaderTest, ReadThenWriteGivesTheSameBytes) {
  for (const char* name : {"halt_3turns.DBD", "halt_zero_turns.DBD"}) {
    ASSERT_EQ(LoadRecord(*g, kData + name), LoadOutcome::kReplay) << name;
    g->eng.TurnNumber = g->rec.RecTurns + 1;
    ASSERT_TRUE(TF_File_Save(*g, g->rec.RecTurns, g->rec.RecEndReason));
    EXPECT_EQ(ReadFile(RecordDir(*g) + name), ReadFile(kData + name)) << name;
  }
}

TEST_F(RecordLoaderTest, SameFieldSizeIsReportedUnchanged) {
  bool sizeChanged = true;
  ASSERT_EQ(LoadRecord(*g, kData + "halt_3turns.DBD", &sizeChanged), LoadOutcome::kReplay);
  EXPECT_FALSE(sizeChanged);
}

TEST_F(RecordLoaderTest, BareLineFeedsReadLikeCrLf) {
  std::string lf = golden;
  for (size_t i; (i = lf.find("\r\n")) != std::string::npos;) lf.erase(i, 1);
  ASSERT_EQ(LoadRecord(*g, Put("lf.DBD", lf)), LoadOutcome::kReplay);
  EXPECT_EQ(g->rec.CommentText[3][1], Sj("最後の手の後"));
  EXPECT_EQ(g->rec.TurnRecord[1][2].Column, 4);
}

TEST_F(RecordLoaderTest, SpareLineEighteenMeansRatesOfOneHundred) {
  MakeDistinctState();
  ASSERT_EQ(LoadRecord(*g, Put("spare.DBD", WithLine(golden, 18, Sj("予備")))),
            LoadOutcome::kReplay);
  EXPECT_EQ(g->eng.ObstructRate[1], 100);
  EXPECT_EQ(g->eng.ObstructRate[2], 100);
  EXPECT_EQ(g->rec.RecHeader[18], "01000100" + Sj(":邪魔珠降り係数"));
}

TEST_F(RecordLoaderTest, MissingEndOfFileLineAndAnyEndReasonAreAccepted) {
  std::string file = WithLine(golden, 22, "Surrender");
  file = FirstLines(file, 33);
  ASSERT_EQ(LoadRecord(*g, Put("short.DBD", file)), LoadOutcome::kReplay);
  EXPECT_EQ(g->rec.RecEndReason, "Surrender");
  EXPECT_EQ(g->rec.CommentCount[3], 1);
}

struct BadLine {
  int line;                 // file line replaced
  std::string text;         // its new text (CP932)
  int reported;             // line named in the message
  bool notNumber;           // "Please input Integer." comes first
  std::string expectation;  // part of the message
};

TEST_F(RecordLoaderTest, RefusedFilesLeaveTheGameExactlyAsItWas) {
  const std::string W = Sj(":横サイズ"), H = Sj(":縦サイズ"), C = Sj(":使用色数");
  const std::string V = Sj("個消し"), rows = Sj(":配珠行数"), rates = Sj(":邪魔珠降り係数");
  const std::string z60(60, '0');
  const std::string seq2 = CrLfLines(golden)[24];
  const std::vector<BadLine> cases = {
      {3, "0003" + W, 3, false, "the field width is 3, outside 4..9"},
      {3, "0010" + W, 3, false, "the field width is 10, outside 4..9"},
      {3, "00x7" + W, 3, true, "the field width \"00x7\" is not a number"},
      // The field's four bytes end inside a two-byte character; the quote shows all of it.
      {3, "000" + Sj("横"), 3, true, "the field width \"000" + Sj("横") + "\" is not a number"},
      {3, "-11111", 3, false, "the field width is -111, outside 4..9"},
      {4, "0015" + H, 4, false, "the field height is 15, outside 7..14"},
      {4, "0006" + H, 4, false, "the field height is 6, outside 7..14"},
      {5, "0006" + C, 5, false, "the colour count is 6, outside 1..5"},
      {5, "0000" + C, 5, false, "the colour count is 0, outside 1..5"},
      {6, "2461", 6, false, "the colour image 3 is 6, outside 1..5"},
      {6, "2401", 6, false, "the colour image 3 is 0, outside 1..5"},
      {6, "243", 6, false, "the colour image line has 3 bytes, 4 needed"},
      {6, "24x1", 6, true, "the colour image 3 \"x\" is not a number"},
      {7, "0000" + V, 7, false, "the vanish count is 0, below 1"},
      {11, "0000", 11, false, "the chain table line has 4 bytes, 60 needed"},
      {13, "-001" + z60.substr(4), 13, false, "the chain rate 1 is -1, below 0"},
      {14, z60.substr(4) + "00 1", 14, true, "the chain rate 30 \"00 1\" is not a number"},
      {18, "0100", 18, false, "the obstruct rate line has 4 bytes, 8 needed"},
      {18, "0100-050" + rates, 18, false, "the obstruct rate of side 2 is -50, below 0"},
      {21, "1001:SaveTurn", 21, false, "the turn count is 1001, outside 0..1000"},
      {21, "abcd:SaveTurn", 21, true, "the turn count \"abcd\" is not a number"},
      {21, "0100:SaveTurn", 23, false, "1 twin sequence rows are too few for 100 turns"},
      {23, "0033" + rows, 23, false, "the twin sequence row count is 33, outside 1..32"},
      {23, "0000" + rows, 23, false, "the twin sequence row count is 0, outside 1..32"},
      {24, "3142", 24, false, "the twin sequence line has 4 bytes, 64 needed"},
      {25, seq2.substr(0, 2) + "5" + seq2.substr(3), 25, false, "the bead 3 is 5, outside 0..4"},
      {25, seq2.substr(0, 63) + "a", 25, true, "the bead 64 \"a\" is not a number"},
      {27, "8041", 27, false, "the column of side 1 is 8, outside 0..7"},
      {27, "3441", 27, false, "the rotation of side 1 is 4, outside 0..3"},
      {27, "1141", 27, false, "the twin of side 1 in column 1 with rotation 1 sticks out"},
      {27, "3073", 27, false, "the twin of side 2 in column 7 with rotation 3 sticks out"},
      {27, "3001", 27, false, "the rotation of side 2 is 1, outside 0..0"},
      {27, "304", 27, false, "the turn line has 3 bytes, 4 needed"},
      {27, "30 1", 27, true, "the column of side 2 \" \" is not a number"},
      {31, "CMd\r\n7130", 31, false, "more than 3 comment lines in one place"},
  };
  for (const BadLine& c : cases) {
    SCOPED_TRACE("line " + std::to_string(c.line) + ": " + c.expectation);
    host.errors.clear();
    MakeDistinctState();
    auto engBefore = std::make_unique<Engine>(g->eng);
    auto recBefore = std::make_unique<BattleRecord>(g->rec);
    const std::string path = Put("bad.DBD", WithLine(golden, c.line, c.text));
    bool sizeChanged = true;
    ASSERT_EQ(LoadRecord(*g, path, &sizeChanged), LoadOutcome::kFailed);
    EXPECT_FALSE(sizeChanged);
    ASSERT_EQ(host.errors.size(), c.notNumber ? 2u : 1u);
    if (c.notNumber) {
      EXPECT_EQ(host.errors[0], "Please input Integer.");
    }
    const std::string& msg = host.errors.back();
    EXPECT_NE(msg.find(path), std::string::npos) << msg;
    EXPECT_NE(msg.find("line " + std::to_string(c.reported) + ": "), std::string::npos) << msg;
    EXPECT_NE(msg.find(c.expectation), std::string::npos) << msg;
    EXPECT_TRUE(SameState(*engBefore, *recBefore, g->eng, g->rec));
  }
}

TEST_F(RecordLoaderTest, FilesThatEndEarlyAreRefused) {
  MakeDistinctState();
  auto engBefore = std::make_unique<Engine>(g->eng);
  auto recBefore = std::make_unique<BattleRecord>(g->rec);
  for (const auto& [keep, expectation] :
       std::vector<std::pair<size_t, std::string>>{{31, "the file ends before line 32"},
                                                   {25, "the file ends before line 26"},
                                                   {10, "the file ends before line 11"},
                                                   {1, "the file ends before line 2"}}) {
    host.errors.clear();
    ASSERT_EQ(LoadRecord(*g, Put("cut.DBD", FirstLines(golden, keep))), LoadOutcome::kFailed);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(expectation), std::string::npos) << host.errors[0];
    EXPECT_TRUE(SameState(*engBefore, *recBefore, g->eng, g->rec));
  }
}

TEST_F(RecordLoaderTest, UnreadableFileIsReportedWithTheSystemText) {
  MakeDistinctState();
  auto engBefore = std::make_unique<Engine>(g->eng);
  auto recBefore = std::make_unique<BattleRecord>(g->rec);
  const std::string path = dir.path() + "nowhere.DBD";
  ASSERT_EQ(LoadRecord(*g, path), LoadOutcome::kFailed);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Cannot load " + path + ": " + std::strerror(ENOENT) + ".");
  EXPECT_EQ(g->rec.RecFileName, "before.DBD");
  EXPECT_TRUE(SameState(*engBefore, *recBefore, g->eng, g->rec));

  host.errors.clear();
  ASSERT_EQ(LoadRecord(*g, dir.path()), LoadOutcome::kFailed);  // a directory
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("it is a directory, not a regular file"), std::string::npos);

  host.errors.clear();
  const std::string huge = Put("huge.DBD", golden);
  std::filesystem::resize_file(huge, kMaxRecordBytes + 1);
  ASSERT_EQ(LoadRecord(*g, huge), LoadOutcome::kFailed);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Cannot load " + huge + ": the file is larger than 16 MB.");

  host.errors.clear();
  const std::string fifo = dir.path() + "pipe.DBD";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadRecord(*g, fifo), LoadOutcome::kFailed);  // returns at once, no writer needed
  EXPECT_EQ(LoadRecord(*g, "/dev/zero"), LoadOutcome::kFailed);
  ASSERT_EQ(host.errors.size(), 2u);
  EXPECT_EQ(host.errors[0], "Cannot load " + fifo + ": it is a named pipe, not a regular file.");
  EXPECT_EQ(host.errors[1], "Cannot load /dev/zero: it is a device, not a regular file.");
  EXPECT_TRUE(SameState(*engBefore, *recBefore, g->eng, g->rec));
}

TEST_F(RecordLoaderTest, MessagesFollowTheLanguage) {
  g->cfg.EnglishUI = false;
  const std::string path = Put("bad.DBD", WithLine(golden, 3, "0003"));
  ASSERT_EQ(LoadRecord(*g, path), LoadOutcome::kFailed);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], path + Sj(" を読み込めません: 3行目: 横サイズが 3 です (範囲 4..9)。"));
}

TEST_F(RecordLoaderTest, ARefusalNamesAFolderWithAJapaneseNameAsTheUserSeesIt) {
  // The file system spells the folder in UTF-8; the message is CP932.
  const std::string folder = dir.path() + "棋譜";
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/bad.DBD";
  WriteFile(path, WithLine(golden, 3, "0003"));
  ASSERT_EQ(LoadRecord(*g, path), LoadOutcome::kFailed);
  g->cfg.EnglishUI = false;
  ASSERT_EQ(LoadRecord(*g, path), LoadOutcome::kFailed);
  ASSERT_EQ(host.errors.size(), 2u);
  EXPECT_EQ(Cp932ToUtf8(host.errors[0]).rfind("Cannot load " + path + ": line 3: ", 0), 0u)
      << Cp932ToUtf8(host.errors[0]);
  EXPECT_EQ(Cp932ToUtf8(host.errors[1]),
            path + " を読み込めません: 3行目: 横サイズが 3 です (範囲 4..9)。");
}

}  // namespace
}  // namespace dalu
