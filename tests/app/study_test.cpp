// Studying a record: for computer matches of several levels and field sizes (one with
// comments, one stopped midway, others buried), going to a turn by a jump, by steps back
// and forth, or continuing live from it gives exactly what a straight replay gives: the
// game state, the memo and the picture; and the command-line tool's replay --to agrees.
// (Here beside the command-line tests, since it runs that tool too.)
#include "match/study.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

#include "engine/field_draw.h"
#include "app/cli.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/match_setup.h"
#include "match/move_list.h"
#include "match/replay.h"
#include "match/steering.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/text.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

// The playfield as pixels: which image, and which of its pixels, shows at every point, the
// last drawing on top. Two ways of drawing that leave the same pixels leave the same
// picture.
class PixelCanvas final : public FieldCanvas {
 public:
  static constexpr int kWidth = 673;
  static constexpr int kHeight = 529;
  PixelCanvas() : px_(kWidth * kHeight, -1) {}
  void DrawImage(int n, int x, int y) override { Fill(x, y, n); }
  void RestoreCell(int x, int y) override { Fill(x, y, -1); }
  void DrawChainNumber(int, int, int, int) override {}  // always erased within its turn
  void RestoreAll() override { std::fill(px_.begin(), px_.end(), -1); }
  void Present() override {}
  const std::vector<int32_t>& Pixels() const { return px_; }

 private:
  void Fill(int x, int y, int n) {
    for (int dy = 0; dy < kCellSize; ++dy) {
      for (int dx = 0; dx < kCellSize; ++dx) {
        const int px = x + dx;
        const int py = y + dy;
        if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) continue;
        px_[py * kWidth + px] = n < 0 ? -1 : n * 400 + dy * kCellSize + dx;
      }
    }
  }
  std::vector<int32_t> px_;
};

// A game replaying records the way the window does, with its seams recorded. Every viewer
// starts from the same seed, so live play after a replay deals alike.
struct Viewer {
  Viewer() : g(std::make_unique<Game>(host, canvas, sound, view)) {
    g->ctl.AutoSave = false;
    g->eng.rng.Seed(4242);
  }
  Game& game() { return *g; }
  VirtualHost host;
  PixelCanvas canvas;
  NullSound sound;
  RecordingView view;
  std::unique_ptr<Game> g;
};

// Everything a position is made of, as far as a player or the next turn can tell.
struct Position {
  Board boards[3];
  int32_t turn, twinIndex[3], queueLen[3];
  std::vector<std::pair<int32_t, int32_t>> queue[3];
  bool split, replay, running;
  TwinMove shown[3], moves[3];
  std::vector<std::string> memo;
  std::vector<int32_t> pixels;
};

Position Snap(Viewer& v) {
  const Engine& e = v.g->eng;
  Position p{};
  std::memcpy(p.boards, e.Boards, sizeof p.boards);
  p.turn = e.TurnNumber;
  for (int s = 1; s <= 2; ++s) {
    p.twinIndex[s] = e.TwinIndex[s];
    p.queueLen[s] = e.ObstructQueueLen[s];
    for (int i = 1; i <= e.ObstructQueueLen[s]; ++i) {
      p.queue[s].push_back({e.ObstructQueueAmount[s][i], e.ObstructQueueTurn[s][i]});
    }
    p.shown[s] = v.g->ctl.ShownTwin[s];
    p.moves[s] = v.g->ctl.TurnMove[s];
  }
  p.split = e.SequenceSplit;
  p.replay = v.g->ctl.ReplayMode;
  p.running = v.g->ctl.MatchRunning;
  p.memo = v.view.memo;
  p.pixels = v.canvas.Pixels();
  return p;
}

// Names the first difference, so a failure says what differs.
std::string Differ(const Position& a, const Position& b) {
  if (std::memcmp(a.boards, b.boards, sizeof a.boards) != 0) return "boards";
  if (a.turn != b.turn) return "turn " + std::to_string(a.turn) + " vs " + std::to_string(b.turn);
  for (int s = 1; s <= 2; ++s) {
    if (a.twinIndex[s] != b.twinIndex[s]) return "twin index";
    if (a.queue[s] != b.queue[s]) return "queue";
    if (!(a.shown[s] == b.shown[s])) return "shown twin";
    if (!(a.moves[s] == b.moves[s])) return "moves";
  }
  if (a.split != b.split) return "sequence split";
  if (a.replay != b.replay || a.running != b.running) return "replay state";
  if (a.memo != b.memo) return "memo";
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    if (a.pixels[i] == b.pixels[i]) continue;
    const int x = static_cast<int>(i) % PixelCanvas::kWidth;
    const int y = static_cast<int>(i) / PixelCanvas::kWidth;
    return "picture at (" + std::to_string(x) + ", " + std::to_string(y) +
           "): " + std::to_string(a.pixels[i] / 400) + " vs " + std::to_string(b.pixels[i] / 400);
  }
  return {};
}

// Stops a match after a given turn, as Stop between turns would.
class StopView final : public QuietView {
 public:
  void TurnEnded(const Game& g) override {
    if (stopAfter > 0 && g.eng.TurnNumber >= stopAfter && game) MMEnable(*game);
  }
  int32_t stopAfter = 0;
  Game* game = nullptr;
};

struct RecordSpec {
  const char* name;
  int left, right, width, height;
  uint64_t seed;
  int32_t stopAfter;  // 0: played to its burial
  bool comments;
};

void PrintTo(const RecordSpec& spec, std::ostream* os) {
  *os << spec.name;
}

// The records every test studies: a computer match made with the core and written as a
// file, as the window's autosave or Save As would.
const RecordSpec kRecords[] = {
    {"commented", 2, 6, 7, 11, 31, 0, true},
    {"wide", 7, 4, 9, 14, 32, 45, false},
    {"narrow", 5, 8, 6, 12, 33, 0, false},
};

// The records are made once per test program and removed when it ends.
fs::path RecordDir() {
  struct Dir {
    Dir() : path(fs::temp_directory_path() / ("dalu_study_" + std::to_string(::getpid()))) {
      fs::remove_all(path);
      fs::create_directories(path);
    }
    ~Dir() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
    fs::path path;
  };
  static const Dir dir;
  return dir.path;
}

std::string MakeRecord(const RecordSpec& spec) {
  const fs::path path = RecordDir() / (std::string(spec.name) + ".DBD");
  if (fs::exists(path)) return path.string();
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  StopView view;
  auto g = std::make_unique<Game>(host, canvas, sound, view);
  view.game = g.get();
  view.stopAfter = spec.stopAfter;
  g->ctl.AutoSave = false;
  g->eng.FieldWidth = spec.width;
  g->eng.FieldHeight = spec.height;
  g->eng.rng.Seed(spec.seed);
  EXPECT_TRUE(StartMatch(*g, spec.left, spec.right));
  const int32_t turns = g->eng.TurnNumber;
  if (spec.comments) {
    // Before the first turn, in the middle (Japanese), and after the last turn.
    BattleRecord& rec = g->rec;
    rec.CommentCount[0] = 1;
    rec.CommentText[0][1] = "opening";
    rec.CommentCount[3] = 2;
    rec.CommentText[3][1] = Utf8ToCp932("ここは右に置くべき");
    rec.CommentText[3][2] = "second line";
    rec.CommentCount[turns] = 1;
    rec.CommentText[turns][1] = "the end";
  }
  const std::string reason = spec.stopAfter > 0 ? "Halt" : "Buried";
  std::ofstream(path, std::ios::binary) << RecordText(g->rec, g->eng, turns, reason, turns);
  return path.string();
}

// The straight replay: every position, stepped with ">" from the start. Entry t is the
// position after turn t, taken while turn t+1 waits for its step; the last one after the
// replay ended.
std::vector<Position> SteppedPositions(const std::string& file) {
  Viewer v;
  std::vector<Position> out;
  v.host.onEvents = [&] {
    if (!v.g->ctl.StepWaitActive || !v.g->ctl.WaitForStep) return;
    out.push_back(Snap(v));
    NextStepClick(v.game());
  };
  EXPECT_EQ(LoadFile(v.game(), file), LoadOutcome::kReplay);
  out.push_back(Snap(v));
  return out;
}

// Drives a replay with a script of actions, one at each step wait; the position is taken
// at the wait after the last action (or when the replay has ended). After the snapshot
// "x" ends the replay there.
struct Drive {
  Viewer v;
  std::optional<Position> position;

  void Run(const std::string& file, std::vector<std::function<void(Game&)>> script) {
    size_t next = 0;
    v.host.onEvents = [&] {
      Game& g = v.game();
      if (!g.ctl.StepWaitActive || !g.ctl.WaitForStep || position) return;
      if (next < script.size()) {
        script[next++](g);
      } else {
        position = Snap(v);
        EndReplayClick(g);
      }
    };
    ASSERT_EQ(LoadFile(v.game(), file), LoadOutcome::kReplay);
    if (!position) position = Snap(v);
    v.host.onEvents = nullptr;
  }
};

class StudyRecords : public ::testing::TestWithParam<RecordSpec> {};

TEST_P(StudyRecords, AJumpShowsWhatSteppingShowsForEveryTurn) {
  const std::string file = MakeRecord(GetParam());
  const std::vector<Position> stepped = SteppedPositions(file);
  ASSERT_GT(stepped.size(), 10u);
  const int32_t last = static_cast<int32_t>(stepped.size()) - 1;
  for (int32_t t = 0; t <= last; ++t) {
    Drive d;
    d.Run(file, {[t](Game& g) { EXPECT_TRUE(GoToTurn(g, t)); }});
    const std::string diff = Differ(*d.position, stepped[static_cast<size_t>(t)]);
    EXPECT_EQ(diff, "") << "turn " << t;
    if (!diff.empty()) break;
  }
}

TEST_P(StudyRecords, BackThenForwardByKeysReturnsToTheSamePosition) {
  const std::string file = MakeRecord(GetParam());
  const std::vector<Position> stepped = SteppedPositions(file);
  const int32_t last = static_cast<int32_t>(stepped.size()) - 1;
  for (int32_t t = 1; t < last; t += 6) {
    Drive d;
    // To t+1 by a jump, back to t by the left arrow, forward again by the right arrow,
    // which plays turn t+1 with its animation. The third action only looks, so the fourth
    // runs at the same wait.
    d.Run(file, {[t](Game& g) { GoToTurn(g, t + 1); },
                 [](Game& g) { EXPECT_TRUE(ReplayKeyDown(g, vk::kLeft)); },
                 [t](Game& g) { EXPECT_EQ(ShownTurn(g), t); },
                 [](Game& g) { EXPECT_TRUE(ReplayKeyDown(g, vk::kRight)); }});
    EXPECT_EQ(Differ(*d.position, stepped[static_cast<size_t>(t + 1)]), "") << "turn " << t;
  }
  // First and last by their keys, and the last again after the replay has ended.
  Drive first;
  first.Run(file, {[](Game& g) { GoToTurn(g, 5); },
                   [](Game& g) { EXPECT_TRUE(ReplayKeyDown(g, vk::kHome)); }});
  EXPECT_EQ(Differ(*first.position, stepped[0]), "");
  Drive end;
  end.Run(file, {[](Game& g) { EXPECT_TRUE(ReplayKeyDown(g, vk::kEnd)); }});
  EXPECT_EQ(Differ(*end.position, stepped[static_cast<size_t>(last)]), "");
  Game& g = end.v.game();
  EXPECT_FALSE(g.ctl.LoopActive);
  // Ended: one step back re-enters the replay at the turn before, and it waits there.
  std::optional<Position> back;
  end.v.host.onEvents = [&] {
    if (g.ctl.StepWaitActive && g.ctl.WaitForStep && !back) {
      back = Snap(end.v);
      EndReplayClick(g);
    }
  };
  EXPECT_TRUE(ReplayKeyDown(g, vk::kLeft));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(Differ(*back, stepped[static_cast<size_t>(last - 1)]), "");
  EXPECT_TRUE(back->replay);

  // The configuration dialog, open after the replay ended, changes the field size and a
  // rate; going to a turn replays the record under its own rules again, on a new background.
  g.eng.FieldWidth = 5;
  g.eng.FieldHeight = 10;
  g.eng.ObstructRate[2] = 30;
  const int rebuilds = end.v.view.backgroundRebuilds;
  back.reset();
  EXPECT_TRUE(GoToTurn(g, last / 2));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(Differ(*back, stepped[static_cast<size_t>(last / 2)]), "");
  EXPECT_EQ(g.eng.FieldWidth, GetParam().width);
  EXPECT_EQ(g.eng.ObstructRate[2], 100);
  EXPECT_EQ(end.v.view.backgroundRebuilds, rebuilds + 1);
}

// Continue live after "x": the twins dealt, the moves and the fields of the turns played.
struct LiveRun {
  int32_t turns;
  std::vector<int32_t> beads[3];
  std::vector<std::string> rows[3];
};

LiveRun ContinueLive(Drive& d, int32_t from) {
  Game& g = d.v.game();
  LevelSelectorsChanged(g, 3, 6);
  d.v.host.onEvents = [&g, from] {
    if (g.eng.TurnNumber >= from + 6 && g.ctl.MatchRunning) MMEnable(g);
  };
  StopContinueClick(g);
  LiveRun r;
  r.turns = g.eng.TurnNumber;
  for (int p = 1; p <= 2; ++p) {
    r.beads[p].assign(g.eng.TwinSequence[p] + 1, g.eng.TwinSequence[p] + 2 * (r.turns + 3));
    r.rows[p] = FieldRows(g, p);
  }
  return r;
}

TEST_P(StudyRecords, ContinuingLiveAfterAJumpDealsAsAfterAStraightReplay) {
  const std::string file = MakeRecord(GetParam());
  const int32_t last = static_cast<int32_t>(SteppedPositions(file).size()) - 1;
  for (int32_t t : {0, 4, last / 2, last - 1}) {
    Drive straight;
    std::vector<std::function<void(Game&)>> steps(static_cast<size_t>(t),
                                                  [](Game& g) { NextStepClick(g); });
    straight.Run(file, steps);
    Drive jumped;
    jumped.Run(file, {[t](Game& g) { GoToTurn(g, t); }});
    ASSERT_EQ(straight.v.g->eng.TurnNumber, t);
    ASSERT_EQ(jumped.v.g->eng.TurnNumber, t);
    const LiveRun a = ContinueLive(straight, t);
    const LiveRun b = ContinueLive(jumped, t);
    EXPECT_EQ(a.turns, b.turns) << "turn " << t;
    for (int p = 1; p <= 2; ++p) {
      EXPECT_EQ(a.beads[p], b.beads[p]) << "turn " << t << " side " << p;
      EXPECT_EQ(a.rows[p], b.rows[p]) << "turn " << t << " side " << p;
    }
    // Live play wrote over the record: what can be studied now is the match just played.
    EXPECT_EQ(jumped.v.game().ctl.Record, RecordState::kPlayed);
  }
}

TEST_P(StudyRecords, TheMoveListShowsWhatTheRecordHolds) {
  const RecordSpec spec = GetParam();
  const std::string file = MakeRecord(spec);
  Viewer v;
  Game& g = v.game();
  v.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  ASSERT_EQ(LoadFile(g, file), LoadOutcome::kReplay);
  const std::vector<MoveListRow> rows = BuildMoveList(g);
  const int32_t last = LastTurn(g);
  ASSERT_EQ(rows.size(), static_cast<size_t>(last) + 1);
  int chains = 0;
  for (int32_t t = 1; t <= last; ++t) {
    const MoveListRow& row = rows[static_cast<size_t>(t)];
    EXPECT_EQ(row.turn, t);
    for (int p = 1; p <= 2; ++p) {
      if (!row.placed[p]) {
        EXPECT_EQ(SideCellText(row, p, true), "-");
        continue;
      }
      EXPECT_EQ(row.move[p].Column, g.rec.TurnRecord[t][p].Column);
      EXPECT_EQ(row.move[p].Rotation, g.rec.TurnRecord[t][p].Rotation);
      const int32_t n = row.chain[p];
      if (n == 0) continue;
      ++chains;
      // A chain of n steps started in turn t keeps the side from placing in the n turns
      // after it, and it places again in the next.
      for (int32_t k = 1; k <= n && t + k <= last; ++k) {
        EXPECT_FALSE(rows[static_cast<size_t>(t + k)].placed[p]) << t << " " << p << " " << n;
      }
      if (t + n + 1 <= last) {
        EXPECT_TRUE(rows[static_cast<size_t>(t + n + 1)].placed[p]);
      }
    }
  }
  EXPECT_GT(chains, 0);
  if (spec.comments) {
    EXPECT_EQ(CommentCellText(rows[0]), "opening");
    EXPECT_EQ(CommentCellText(rows[3]), Utf8ToCp932("ここは右に置くべき") + " / second line");
    EXPECT_EQ(CommentCellText(rows[static_cast<size_t>(last)]), "the end");
    EXPECT_EQ(CommentCellText(rows[1]), "");
  }
}

TEST_P(StudyRecords, ReplayToAgreesWithASteppedReplay) {
  const std::string file = MakeRecord(GetParam());
  const std::vector<Position> stepped = SteppedPositions(file);
  const int32_t last = static_cast<int32_t>(stepped.size()) - 1;
  for (int32_t t : {0, 7, last - 2, last, last + 50}) {
    std::ostringstream out, err;
    const int code =
        RunCli({"replay", file, "--to", std::to_string(t), "--appdir", RecordDir().string()},
               "/nowhere/dalumaster-cli", out, err);
    ASSERT_EQ(code, kCliOk) << err.str();
    const int32_t at = std::min(t, last);
    // What the stepped replay shows after turn `at`, as the result block prints it.
    std::ostringstream want;
    want << "turns: " << at << '\n';
    Viewer v;
    std::memcpy(v.g->eng.Boards, stepped[static_cast<size_t>(at)].boards, sizeof v.g->eng.Boards);
    v.g->eng.FieldWidth = GetParam().width;
    v.g->eng.FieldHeight = GetParam().height;
    const std::string text = out.str();
    const size_t block = text.find("turns: ");
    ASSERT_NE(block, std::string::npos);
    EXPECT_EQ(text.substr(block, want.str().size()), want.str());
    for (int p = 1; p <= 2; ++p) {
      std::string field = "field " + std::to_string(p) + ":\n";
      for (const std::string& row : FieldRows(*v.g, p)) field += row + "\n";
      EXPECT_NE(text.find(field, block), std::string::npos) << "turn " << t << "\n" << text;
    }
  }
  // A turn that is no number is refused.
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"replay", file, "--to", "-1"}, "/nowhere/dalumaster-cli", out, err),
            kCliBadInput);
}

INSTANTIATE_TEST_SUITE_P(Records, StudyRecords, ::testing::ValuesIn(kRecords),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StudyWhileTheLoopPlays, AJumpAskedForDuringATurnIsTakenAtTheNextWait) {
  const std::string file = MakeRecord(kRecords[0]);
  const std::vector<Position> stepped = SteppedPositions(file);
  // During a fast replay (">>"), and during the turn a Stop lets the loop finish: the
  // jump is asked for while a turn is animated, and the replay then waits at the turn
  // after the one asked for.
  for (bool stop : {false, true}) {
    Viewer v;
    Game& g = v.game();
    std::optional<Position> got;
    int phase = 0;
    v.host.onEvents = [&] {
      if (got) return;
      const bool waits = g.ctl.StepWaitActive && g.ctl.WaitForStep;
      if (phase == 0 && waits) {
        phase = 1;
        if (stop) {
          StopContinueClick(g);  // the waiting turn 1 is played, then the loop returns
        } else {
          TailClick(g);
        }
      } else if (phase == 1 && !waits && g.eng.TurnNumber == 1 && g.ctl.TurnInProgress) {
        phase = 2;
        EXPECT_TRUE(GoToTurn(g, 9));
        EXPECT_EQ(StudyTurn(g), 9);
      } else if (phase == 2 && waits) {
        got = Snap(v);
        EndReplayClick(g);
      }
    };
    ASSERT_EQ(LoadFile(g, file), LoadOutcome::kReplay);
    ASSERT_TRUE(got.has_value()) << "stop " << stop;
    EXPECT_EQ(Differ(*got, stepped[9]), "") << "stop " << stop;
  }
}

TEST(SameDeal, DealsTheRecordsTwinsAgainAndAgainThenNewOnes) {
  const std::string file = MakeRecord(kRecords[1]);
  Viewer v;
  Game& g = v.game();
  v.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  ASSERT_EQ(LoadFile(g, file), LoadOutcome::kReplay);
  // Each side's twins as the record dealt them (a side that chained was dealt fewer).
  int32_t k[3] = {0, SameDealTwins(g, 1), SameDealTwins(g, 2)};
  std::vector<int32_t> deal[3];
  for (int p = 1; p <= 2; ++p) {
    ASSERT_GT(k[p], 20);
    EXPECT_EQ(g.eng.TwinSequence[p][2 * k[p] + 1], 0);  // the record deals no more
    deal[p].assign(g.eng.TwinSequence[p] + 1, g.eng.TwinSequence[p] + 2 * k[p] + 1);
  }
  int32_t pictures[6];
  std::copy(g.eng.ColourImage + 1, g.eng.ColourImage + 6, pictures);

  for (int round = 0; round < 2; ++round) {
    // Both sides play on until the record's twins have run out, then stop.
    v.host.onEvents = [&g, &k] {
      if (g.eng.TwinIndex[1] > k[1] + 1 && g.eng.TwinIndex[2] > k[2] + 1 && g.ctl.MatchRunning) {
        MMEnable(g);
      }
    };
    ASSERT_TRUE(StartSameDeal(g, 7, 7));
    for (int p = 1; p <= 2; ++p) {
      ASSERT_GT(g.eng.TwinIndex[p], k[p] + 1) << "round " << round;
      EXPECT_TRUE(std::equal(deal[p].begin(), deal[p].end(), g.eng.TwinSequence[p] + 1))
          << "round " << round << " side " << p;
      // Beyond the record's twins new ones were dealt.
      EXPECT_GE(g.eng.TwinSequence[p][2 * k[p] + 1], 1);
    }
    EXPECT_TRUE(std::equal(pictures, pictures + 5, g.eng.ColourImage + 1));
    // A new record like any other.
    EXPECT_EQ(g.rec.RecFileName, "Autosave.DBD");
    EXPECT_EQ(g.eng.PlayerLevel[1], 7);
    EXPECT_TRUE(CanStudy(g));  // the match just played
  }
  // A plain start deals anew, and its own deal can be played again.
  v.host.onEvents = [&g] {
    if (g.eng.TurnNumber >= 2 && g.ctl.MatchRunning) MMEnable(g);
  };
  ASSERT_TRUE(StartMatch(g, 4, 7));
  EXPECT_EQ(SameDealTwins(g, 1), g.eng.TurnNumber + 2);
  EXPECT_TRUE(StartSameDeal(g, 4, 7));
}

TEST(ReplayKeys, HaveDistinctKeysAndCaptionsInBothLanguages) {
  for (int i = 0; i < kReplayKeyCount; ++i) {
    EXPECT_FALSE(ReplayKeyCaption(i, true).empty());
    EXPECT_FALSE(ReplayKeyCaption(i, false).empty());
    EXPECT_NE(Cp932ToUtf8(ReplayKeyCaption(i, false)).find('('), std::string::npos);
    for (int j = 0; j < i; ++j) EXPECT_NE(ReplayKeys()[i].virtualKey, ReplayKeys()[j].virtualKey);
  }
  EXPECT_EQ(ReplayKeyCaption(0, true), "Step back(B)");
  EXPECT_EQ(Cp932ToUtf8(ReplayKeyCaption(1, false)), "一手進む(F)");
  // Nothing to study: the keys go on to the steering.
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  auto g = std::make_unique<Game>(host, canvas, sound);
  EXPECT_FALSE(ReplayKeyDown(*g, vk::kLeft));
  EXPECT_FALSE(GoToTurn(*g, 3));
}

TEST(MoveText, SaysColumnAndDirectionInBothLanguages) {
  EXPECT_EQ(MoveText({1, 2, 3, 0, 0}, true), "col 3 up");
  EXPECT_EQ(MoveText({1, 2, 5, 1, 0}, true), "col 5 left");
  EXPECT_EQ(MoveText({1, 2, 1, 3, 0}, true), "col 1 right");
  EXPECT_EQ(Cp932ToUtf8(MoveText({1, 2, 4, 2, 0}, false)), "4列 下");
  MoveListRow row;
  row.turn = 9;
  row.placed[1] = true;
  row.move[1] = {1, 1, 2, 0, 0};
  row.chain[1] = 5;
  EXPECT_EQ(SideCellText(row, 1, true), "col 2 up, 5 chain");
  EXPECT_EQ(Cp932ToUtf8(SideCellText(row, 1, false)), "2列 上、5連鎖");
  EXPECT_EQ(SideCellText(row, 2, true), "-");
  EXPECT_EQ(Cp932ToUtf8(TurnCellText(0, false)), "開始");
}

// Positions after the turns in `wanted` of a straight replay stepped with ">"; `change`
// alters the loaded record before the first step.
std::map<int32_t, Position> SteppedAt(const std::string& file, const std::set<int32_t>& wanted,
                                      const std::function<void(Game&)>& change) {
  Viewer v;
  std::map<int32_t, Position> out;
  bool first = true;
  v.host.onEvents = [&] {
    Game& g = v.game();
    if (!g.ctl.StepWaitActive || !g.ctl.WaitForStep) return;
    if (std::exchange(first, false) && change) change(g);
    if (wanted.count(ShownTurn(g))) out[ShownTurn(g)] = Snap(v);
    NextStepClick(g);
  };
  EXPECT_EQ(LoadFile(v.game(), file), LoadOutcome::kReplay);
  return out;
}

// A long record: the first jump deep into it saves a position every 64 turns, and later
// jumps start from them, at, just before and just after their turns, showing what
// stepping shows. A comment then written at turn 100 is shown by jumps past it: the
// positions after it are replayed again, the one before it still serves.
TEST(StudyCheckpoints, JumpsFromSavedPositionsShowWhatSteppingShows) {
  const std::string file = MakeRecord({"long", 1, 1, 7, 11, 34, 300, true});
  const auto comment = [](Game& g) {
    g.rec.CommentCount[100] = 1;
    g.rec.CommentText[100][1] = "written later";
  };
  const std::vector<int32_t> jumps = {299, 65, 63, 64, 191, 128, 256, 130, 64, 101, 100, 298};
  const size_t changeAt = 7;
  const std::set<int32_t> wanted(jumps.begin(), jumps.end());
  const std::map<int32_t, Position> plain = SteppedAt(file, wanted, {});
  const std::map<int32_t, Position> changed = SteppedAt(file, wanted, comment);
  ASSERT_EQ(plain.size(), wanted.size());

  Viewer v;
  Game& g = v.game();
  size_t next = 0;
  std::vector<uint64_t> inputs;
  v.host.onEvents = [&] {
    if (!g.ctl.StepWaitActive || !g.ctl.WaitForStep) return;
    if (next > 0) {
      const int32_t t = jumps[next - 1];
      const Position& want = (next > changeAt ? changed : plain).at(t);
      EXPECT_EQ(Differ(Snap(v), want), "") << "jump " << next << " to turn " << t;
    }
    if (next == 1) {
      for (const auto& saved : g.checkpoints.saved) inputs.push_back(saved ? saved->inputs : 0);
    }
    if (next == changeAt) comment(g);
    if (next < jumps.size()) {
      GoToTurn(g, jumps[next++]);
    } else {
      EndReplayClick(g);
    }
  };
  ASSERT_EQ(LoadFile(g, file), LoadOutcome::kReplay);
  EXPECT_EQ(next, jumps.size());
  ASSERT_EQ(inputs.size(), 4u);  // turns 64, 128, 192, 256
  EXPECT_EQ(std::count(inputs.begin(), inputs.end(), 0u), 0);
  EXPECT_EQ(g.checkpoints.saved[0]->inputs, inputs[0]);
  for (size_t k = 1; k < 4; ++k) EXPECT_NE(g.checkpoints.saved[k]->inputs, inputs[k]) << k;
}

}  // namespace
}  // namespace dalu
