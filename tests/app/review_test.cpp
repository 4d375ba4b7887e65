// The coach: advice asked during a match never changes it, and the review of records of
// several field sizes names as BEST exactly the move `analyse` gives, prints the same
// whatever the number of threads, and compares a tried move on the review's own dice.
#include "coach/review.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>

#include "app/cli.h"
#include "coach/ask.h"
#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

struct Played {
  std::string record;  // the record file's text
  int32_t turns = 0;
};

// A seeded match between two computer levels on a field of w x h; with hints, both sides
// are asked for a hint at every pass of events while the turn's moves are open, also in
// the middle of a player's search.
Played PlayMatch(int left, int right, int w, int h, uint64_t seed, bool hints, int* asked = nullptr,
                 ReviewSource* source = nullptr) {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  auto g = std::make_unique<Game>(host, canvas, sound);
  g->ctl.AutoSave = false;
  g->eng.FieldWidth = w;
  g->eng.FieldHeight = h;
  g->eng.rng.Seed(seed);
  int32_t askedIn[3] = {};
  if (hints) {
    host.onEvents = [&] {
      for (int p = 1; p <= 2; ++p) {
        if (askedIn[p] == g->eng.TurnNumber) continue;
        const HintRequest r = TakeHintRequest(*g, p, 9);
        if (!r.Valid()) continue;
        askedIn[p] = g->eng.TurnNumber;
        if (AnswerHint(r).Move.Column > 0 && asked) ++*asked;
      }
    };
  }
  EXPECT_TRUE(StartMatch(*g, left, right));
  const int32_t turns = g->eng.TurnNumber;
  if (source) *source = TakeReviewSource(*g);
  return {RecordText(g->rec, g->eng, turns, "Buried", turns), turns};
}

TEST(Hint, AskingAtEveryTurnLeavesTheMatchByteForByteAsItWas) {
  // Level 7 lets events run at every candidate and level 9 at every reading, so hints are
  // also asked while the live scratch is in use.
  int asked = 0;
  ReviewSource justPlayed;
  const Played plain = PlayMatch(7, 9, 7, 11, 41, false);
  const Played hinted = PlayMatch(7, 9, 7, 11, 41, true, &asked, &justPlayed);
  EXPECT_GT(asked, plain.turns);  // both sides, most turns
  EXPECT_EQ(hinted.record, plain.record);

  // The match just played can be reviewed at once, every turn of it.
  ReviewParams quick;
  quick.Playouts = 1;
  quick.PlayoutLevel = 5;
  EXPECT_EQ(static_cast<int32_t>(Review(justPlayed, quick).Turns.size()), plain.turns);
}

struct ReviewFixture : ::testing::Test {
  ReviewFixture() {
    dir = fs::temp_directory_path() /
          ("dalu_review_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "GameData");
  }
  ~ReviewFixture() override { fs::remove_all(dir); }

  std::string Cli(std::vector<std::string> args, int expectCode = kCliOk) {
    args.push_back("--appdir");
    args.push_back(dir.string());
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, "/nowhere/dalumaster-cli", out, err), expectCode) << err.str();
    return out.str();
  }

  std::string Write(const std::string& name, const Played& p) {
    const fs::path path = dir / "GameData" / name;
    std::ofstream(path, std::ios::binary) << p.record;
    return path.string();
  }

  fs::path dir;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST_F(ReviewFixture, BestIsAnalysesMoveOnEveryFieldSizeAndThreadsChangeNothing) {
  struct Size {
    int left, right, w, h;
    uint64_t seed;
  };
  const Size sizes[] = {{5, 6, 7, 11, 3}, {6, 4, 9, 14, 5}, {8, 5, 6, 12, 7}, {4, 9, 5, 8, 9}};
  const std::regex format(
      "turn ([0-9]+) chance (0\\.[0-9]{3}|1\\.000)"
      "( side[12] (-|[1-9],[0-3]) (-|[1-9],[0-3]) (0\\.[0-9]{3}|1\\.000) (ok|\\?|\\?\\?)){2}");
  for (const Size& s : sizes) {
    const Played match = PlayMatch(s.left, s.right, s.w, s.h, s.seed, false);
    const std::string file = Write("m" + std::to_string(s.w) + ".DBD", match);
    const std::vector<std::string> one =
        Lines(Cli({"review", file, "--playouts", "2", "--playout-level", "5", "--jobs", "1"}));
    const std::vector<std::string> two =
        Lines(Cli({"review", file, "--playouts", "2", "--playout-level", "5", "--jobs", "2"}));
    EXPECT_EQ(one, two) << s.w << "x" << s.h;
    ASSERT_EQ(static_cast<int32_t>(one.size()), match.turns) << s.w << "x" << s.h;

    for (const std::string& line : one) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(line, m, format)) << line;
      // Every fourth turn is asked of `analyse`, for each side that placed a twin.
      const int turn = std::stoi(m[1]);
      if (turn % 4 != 1) continue;
      std::istringstream fields(line);
      std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
      for (int p = 1; p <= 2; ++p) {
        const std::string& best = f[4 + 5 * (p - 1) + 2];
        if (best == "-") continue;
        const std::vector<std::string> a =
            Lines(Cli({"analyse", file, "--turn", std::to_string(turn), "--side", std::to_string(p),
                       "--level", "9"}));
        std::string move = a.back().substr(6);  // "move: 3 1"
        move[move.find(' ')] = ',';
        EXPECT_EQ(best, move) << s.w << "x" << s.h << " turn " << turn << " side " << p;
      }
    }
    // The burial turn's chance is the result itself.
    const std::string& last = one.back();
    EXPECT_TRUE(last.find(" chance 1.000 ") != std::string::npos ||
                last.find(" chance 0.000 ") != std::string::npos ||
                last.find(" chance 0.500 ") != std::string::npos)
        << last;
  }
}

TEST_F(ReviewFixture, TryAgainMeetsTheReviewsDiceAndACancelStopsIt) {
  const Played match = PlayMatch(5, 6, 7, 11, 3, false);
  const std::string file = Write("m.DBD", match);
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  auto g = std::make_unique<Game>(host, canvas, sound);
  g->ctl.AutoSave = false;
  // Taken as the window takes it: while the loaded record's replay waits for a step.
  ReviewSource source;
  host.onEvents = [&] {
    if (!g->ctl.StepWaitActive) return;
    if (g->eng.TurnNumber < 5) return NextStepClick(*g);
    source = TakeReviewSource(*g);
    EndReplayClick(*g);
  };
  ASSERT_EQ(LoadFile(*g, file), LoadOutcome::kReplay);
  ASSERT_TRUE(source.Valid());
  ReviewParams params;
  params.Playouts = 4;
  params.PlayoutLevel = 5;
  params.Jobs = 2;
  const ReviewResult review = Review(source, params);
  ASSERT_EQ(static_cast<int32_t>(review.Turns.size()), match.turns);

  // The first move that differs from BEST: the recorded move and BEST tried again score
  // what the review gave them, and the recorded move scores the same as itself.
  for (const ReviewTurn& t : review.Turns) {
    for (int p = 1; p <= 2; ++p) {
      const ReviewSide& s = t.Side[p];
      if (!s.Placed || (s.Move.Column == s.Best.Column && s.Move.Rotation == s.Best.Rotation)) {
        continue;
      }
      const TryAgainResult again = TryAgain(source, params, t.Turn, p, s.Best);
      ASSERT_TRUE(again.Valid);
      EXPECT_EQ(again.RecordedChance, s.Chance);
      EXPECT_EQ(again.BestChance, s.BestChance);
      EXPECT_EQ(again.NewChance, s.BestChance);
      const std::atomic<bool> cancel{true};
      EXPECT_TRUE(Review(source, params, {}, &cancel).Cancelled);
      return;
    }
  }
  FAIL() << "every move was the review level's";
}

}  // namespace
}  // namespace dalu
