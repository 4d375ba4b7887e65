// dalumaster-cli's commands and their fixed output formats, run in-process.
#include "app/cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <regex>
#include <sstream>

#include "records/file_test_helpers.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int code;
  std::string out, err;
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
};

struct CliFixture : ::testing::Test {
  CliFixture() {
    dir = fs::temp_directory_path() /
          ("dalu_cli_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "GameData");
  }
  ~CliFixture() override { fs::remove_all(dir); }

  CliRun Cli(std::vector<std::string> args, bool withAppDir = true) {
    if (withAppDir) {
      args.push_back("--appdir");
      args.push_back(dir.string());
    }
    std::ostringstream out, err;
    const int code = RunCli(args, "/nowhere/dalumaster-cli", out, err);
    return {code, out.str(), err.str()};
  }

  fs::path dir;
};

// The result block: turns, end, buried, then both fields of 7 x 11; returns the index of
// the line after it.
size_t ExpectResultBlock(const std::vector<std::string>& lines, size_t at, const std::string& end) {
  EXPECT_LT(at + 3 + 2 * 12, lines.size() + 1);
  if (at + 3 + 2 * 12 > lines.size()) return lines.size();
  EXPECT_TRUE(std::regex_match(lines[at], std::regex("turns: [0-9]+"))) << lines[at];
  EXPECT_EQ(lines[at + 1], "end: " + end);
  EXPECT_TRUE(std::regex_match(lines[at + 2], std::regex("buried: (none|1|2|both)")));
  size_t i = at + 3;
  for (int p = 1; p <= 2; ++p) {
    EXPECT_EQ(lines[i++], "field " + std::to_string(p) + ":");
    for (int r = 0; r < 11; ++r, ++i) {
      EXPECT_TRUE(std::regex_match(lines[i], std::regex("[.1-9X]{7}"))) << lines[i];
    }
  }
  return i;
}

size_t Find(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  return lines.size();
}

TEST_F(CliFixture, PlayPrintsTheResultAndTheSavedRecordAndReplayAgrees) {
  const CliRun play = Cli({"play", "3", "6", "--seed", "5"});
  ASSERT_EQ(play.code, kCliOk) << play.err;
  EXPECT_TRUE(play.err.empty());
  const std::vector<std::string> lines = play.Lines();
  const size_t block = Find(lines, "turns: ");
  for (size_t i = 0; i < block; ++i) {
    EXPECT_TRUE(std::regex_match(lines[i], std::regex(".+\\([12]\\) : [0-9]+ Chain"))) << lines[i];
  }
  const size_t after = ExpectResultBlock(lines, block, "Buried");
  ASSERT_EQ(after + 1, lines.size());
  const fs::path record = dir / "GameData" / "AutoSave.DBD";
  EXPECT_EQ(lines[after], "record: " + dir.string() + "/GameData/AutoSave.DBD");
  EXPECT_TRUE(fs::exists(record));

  // The same seed plays the same match; --show adds the fields after every turn.
  const CliRun shown = Cli({"play", "3", "6", "--seed", "5", "--show"});
  const std::vector<std::string> shownLines = shown.Lines();
  const size_t shownBlock = Find(shownLines, "turns: ");
  EXPECT_EQ(std::vector<std::string>(shownLines.begin() + shownBlock, shownLines.end()),
            std::vector<std::string>(lines.begin() + block, lines.end()));
  const std::string turns = lines[block].substr(7);
  EXPECT_NE(shown.out.find("-- turn 1 --\n"), std::string::npos);
  EXPECT_NE(shown.out.find("-- turn " + turns + " --\n"), std::string::npos);

  const CliRun replay = Cli({"replay", record.string()});
  ASSERT_EQ(replay.code, kCliOk) << replay.err;
  const std::vector<std::string> rlines = replay.Lines();
  const size_t rblock = Find(rlines, "turns: ");
  EXPECT_EQ(ExpectResultBlock(rlines, rblock, "Buried"), rlines.size());
  EXPECT_EQ(std::vector<std::string>(rlines.begin() + rblock, rlines.end()),
            std::vector<std::string>(lines.begin() + block, lines.end() - 1));
  EXPECT_TRUE(fs::exists(dir / "GameData" / "Re_AutoSv.DBD"));

  // --timing adds one line: the waits from the first step on. Every replayed turn but the
  // waiting first one shows both moves for 75 + 100 ms before the drop.
  const CliRun timed = Cli({"replay", record.string(), "--timing"});
  ASSERT_EQ(timed.code, kCliOk) << timed.err;
  const std::vector<std::string> tlines = timed.Lines();
  ASSERT_EQ(tlines.size(), rlines.size() + 1);
  EXPECT_TRUE(std::equal(rlines.begin(), rlines.end(), tlines.begin()));
  std::smatch m;
  ASSERT_TRUE(std::regex_match(tlines.back(), m, std::regex("paced: ([0-9]+) ms")))
      << tlines.back();
  EXPECT_GE(std::stol(m[1]), 175L * (std::stol(turns) - 1));
}

TEST_F(CliFixture, AnalyseListsEveryPlacementBestFirstAndTheMove) {
  ASSERT_EQ(Cli({"play", "5", "5", "--seed", "9"}).code, kCliOk);
  const CliRun a = Cli({"analyse", (dir / "GameData" / "AutoSave.DBD").string(), "--turn", "4",
                        "--side", "2", "--level", "5"});
  ASSERT_EQ(a.code, kCliOk) << a.err;
  const std::vector<std::string> lines = a.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("position: turn 4, side 2, twin [1-4] [1-4]")))
      << lines[0];
  const size_t move = Find(lines, "move: ");
  ASSERT_EQ(move + 1, lines.size());
  EXPECT_TRUE(std::regex_match(lines[move], std::regex("move: [1-7] [0-3]")));
  // Every placement of a two-colour twin (26 at width 7), or one of equal colours (13),
  // best first, and the move played is the best one.
  ASSERT_TRUE(move == 27 || move == 14) << a.out;
  long last = std::numeric_limits<long>::max();
  bool blockedSeen = false;
  for (size_t i = 1; i < move; ++i) {
    std::smatch m;
    ASSERT_TRUE(
        std::regex_match(lines[i], m, std::regex("candidate: ([1-7]) ([0-3]) (-?[0-9]+|blocked)")))
        << lines[i];
    if (m[3] == "blocked") {
      blockedSeen = true;
      continue;
    }
    EXPECT_FALSE(blockedSeen);
    const long score = std::stol(m[3]);
    EXPECT_LE(score, last);
    last = score;
  }
  EXPECT_EQ(lines[1].substr(11, 3), lines[move].substr(6, 3));

  // The same question gives the same answer: the random addition is fixed at 0.
  const CliRun again = Cli({"analyse", (dir / "GameData" / "AutoSave.DBD").string(), "--turn", "4",
                            "--side", "2", "--level", "5"});
  EXPECT_EQ(again.out, a.out);
}

TEST_F(CliFixture, TournamentSavesEveryMatchUnderANameOfItsOwn) {
  const fs::path records = dir / "records";
  const CliRun t = Cli({"tournament", "--levels", "1-2", "--games", "3", "--jobs", "2", "--seed",
                        "4", "--records", records.string()},
                       false);
  ASSERT_EQ(t.code, kCliOk) << t.err;
  EXPECT_NE(t.out.find("ranking:\n"), std::string::npos);
  EXPECT_NE(t.out.find("level 1 (No Attack)"), std::string::npos);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(records)) {
    EXPECT_EQ(entry.path().extension(), ".DBD");
    ++files;
  }
  EXPECT_EQ(files, 3);
  EXPECT_NE(t.err.find("3/3 matches played"), std::string::npos);
}

TEST_F(CliFixture, ATournamentThatCannotWriteItsRecordsSaysSoAndLeavesNoEmptyRecord) {
  // No file of this process may grow while the limit lives, as on a full disk; it holds
  // for root too.
  const fs::path records = dir / "records";
  fs::create_directories(records);
  CliRun t;
  {
    dalu::testing::FileSizeLimit full(0);
    t = Cli({"tournament", "--levels", "1-2", "--games", "2", "--jobs", "2", "--records",
             records.string()},
            false);
  }
  EXPECT_EQ(t.code, kCliFailed);
  EXPECT_NE(t.out.find("ranking:\n"), std::string::npos);
  // One line per lost record, each with the system's reason.
  const std::string lost = "dalumaster-cli: cannot save " + records.string() + "/T00000";
  const std::string reason = std::string(": ") + std::strerror(EFBIG) + "\n";
  size_t lines = 0, reasons = 0;
  for (size_t at = t.err.find(lost); at != std::string::npos; at = t.err.find(lost, at + 1)) {
    ++lines;
  }
  for (size_t at = t.err.find(reason); at != std::string::npos; at = t.err.find(reason, at + 1)) {
    ++reasons;
  }
  EXPECT_EQ(lines, 2u) << t.err;
  EXPECT_EQ(reasons, 2u) << t.err;
  EXPECT_TRUE(fs::is_empty(records));  // no empty record, no temporary file
}

TEST_F(CliFixture, BadInputGetsOneLineAndExitCodeTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {"dance"},
      {"play", "0", "5"},
      {"play", "3", "10"},
      {"play", "x", "5"},
      {"play", "3"},
      {"play", "3", "4", "--seed", "-1"},
      {"play", "3", "4", "--colour"},
      {"replay", (dir / "missing.DBD").string()},
      {"replay"},
      {"analyse", (dir / "missing.DBD").string(), "--turn", "1", "--side", "1", "--level", "1"},
      {"analyse", "x.DBD", "--turn", "1", "--side", "3", "--level", "1"},
      {"review"},
      {"review", (dir / "missing.DBD").string()},
      {"review", "x.DBD", "--playouts", "0"},
      {"review", "x.DBD", "--playout-level", "10"},
      {"tournament", "--levels", "5-2"},
      {"bench", "now"},
  };
  for (const auto& args : bad) {
    const CliRun r = Cli(args);
    EXPECT_EQ(r.code, kCliBadInput) << args[0];
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("dalumaster-cli: ", 0), 0u) << r.err;
  }
  // No command at all is refused too: the usage explains it, on stderr; asked for, it is
  // the output.
  const CliRun none = Cli({}, false);
  EXPECT_EQ(none.code, kCliBadInput);
  EXPECT_TRUE(none.out.empty()) << none.out;
  EXPECT_EQ(none.err.rfind("usage: dalumaster-cli", 0), 0u) << none.err;
  const CliRun help = Cli({"--help"}, false);
  EXPECT_EQ(help.code, kCliOk);
  EXPECT_TRUE(help.err.empty());
  EXPECT_EQ(help.out, none.err);

  const CliRun nowhere = Cli({"play", "3", "4", "--appdir", (dir / "nowhere").string()}, false);
  EXPECT_EQ(nowhere.code, kCliBadInput);
  EXPECT_EQ(std::count(nowhere.err.begin(), nowhere.err.end(), '\n'), 1) << nowhere.err;
}

TEST_F(CliFixture, ARefusedRecordIsReportedAndNothingIsReplayed) {
  // In a folder with a Japanese name, which the message shows as it is spelled.
  const fs::path file = dir / "棋譜" / "broken.DBD";
  fs::create_directories(file.parent_path());
  {
    std::ofstream f(file, std::ios::binary);
    f << "TrueDalu BattleData  format version 2.00\r\nshort\r\n";
  }
  const CliRun r = Cli({"replay", file.string()});
  EXPECT_EQ(r.code, kCliBadInput);
  EXPECT_EQ(r.out.find("turns: "), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("/棋譜/broken.DBD: "), std::string::npos) << r.err;

  // A number that is not one: the loader names the line, and that is the one line shown.
  {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f << "TrueDalu BattleData  format version 2.00\r\ntitle\r\n00x7:width\r\n";
  }
  const CliRun n = Cli({"replay", file.string()});
  EXPECT_EQ(n.code, kCliBadInput);
  EXPECT_EQ(std::count(n.err.begin(), n.err.end(), '\n'), 1) << n.err;

  // A named pipe is refused as what it is, not read as a record of the old format.
  const fs::path pipe = dir / "pipe.DBD";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const CliRun p = Cli({"replay", pipe.string()});
  EXPECT_EQ(p.code, kCliBadInput);
  EXPECT_NE(p.err.find("pipe.DBD: it is a named pipe, not a regular file."), std::string::npos)
      << p.err;
}

TEST(CliBench, TheSignatureDependsOnlyOnTheBuild) {
  // The benchmark's matches are fixed: every level plays.
  const std::vector<BenchMatch> m = BenchMatches();
  bool seen[10] = {};
  for (const BenchMatch& b : m) seen[b.left] = seen[b.right] = true;
  for (int l = 1; l <= 9; ++l) EXPECT_TRUE(seen[l]) << l;
}

}  // namespace
}  // namespace dalu
