#include "app/cli.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <thread>

#include "coach/ask.h"
#include "coach/review.h"
#include "config/config_file.h"
#include "engine/field_canvas.h"
#include "engine/twins.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "match/study.h"
#include "players/levels.h"
#include "players/think.h"
#include "records/record_file.h"
#include "util/file_io.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/text.h"

namespace dalu {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: dalumaster-cli COMMAND ...\n"
    "  play LEFT RIGHT [--seed N] [--show] [--appdir DIR]\n"
    "      one match between computer levels 1..9; prints the chain reports, the result\n"
    "      and the saved record\n"
    "  replay FILE [--to T] [--show] [--timing] [--appdir DIR]\n"
    "      loads a battle record and replays it to its end, or shows the position after\n"
    "      turn T; --timing adds the time its waits take after the first step (a window's\n"
    "      \">>\" replay should take as long)\n"
    "  tournament [--levels A-B] [--games N] [--seed N] [--jobs J] [--records DIR]\n"
    "      every pair of the levels plays N matches, sides swapped in half\n"
    "  analyse FILE --turn T --side P --level L [--appdir DIR]\n"
    "      the score level L gives every placement of side P's twin in turn T\n"
    "  review FILE [--level L] [--playouts K] [--playout-level P] [--seed N] [--jobs J]\n"
    "         [--appdir DIR]\n"
    "      side 1's chance to win after every turn, each move against level L's choice and\n"
    "      the chance it lost, estimated by K playouts at level P\n"
    "  bench\n"
    "      fixed seeded matches; prints their signature and the time taken\n";

// The host of a command-line run: the virtual clock, message boxes on the terminal.
// While a file is being loaded the error texts are held back: a refused file is reported
// by its last, most precise message alone.
class ConsoleHost final : public VirtualHost {
 public:
  ConsoleHost(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void ShowError(const std::string& text) override {
    VirtualHost::ShowError(text);
    if (!held_.Keep(text)) Print(text);
  }
  void Hold() { held_.Hold(); }
  // Prints what was held back (only the last text when lastOnly) and stops holding.
  void Release(bool lastOnly) {
    for (const std::string& text : held_.Release(lastOnly)) Print(text);
  }
  void ShowInfo(const std::string& text) override {
    VirtualHost::ShowInfo(text);
    out_ << Cp932ToUtf8(text) << '\n';
  }

 private:
  void Print(const std::string& text) { err_ << "dalumaster-cli: " << Cp932ToUtf8(text) << '\n'; }

  std::ostream& out_;
  std::ostream& err_;
  HeldMessages held_;
};

// A game for one command, with the console's seams, its program directory set and that
// directory's configuration read. Game is large; it lives on the heap.
struct ConsoleGame {
  ConsoleGame(std::ostream& out, std::ostream& err, const std::string& appDir, bool printing,
              bool show)
      : host(out, err),
        view(out, show),
        game(printing ? std::make_unique<Game>(host, canvas, sound, view)
                      : std::make_unique<Game>(host, canvas, sound)) {
    game->cfg.AppDir = appDir;
    ConfigLoad(*game);
    host.errors.clear();  // what the configuration reported is not the command's failure
  }
  ConsoleHost host;
  NullCanvas canvas;
  NullSound sound;
  PrintingView view;
  std::unique_ptr<Game> game;
};

// ---- Arguments ----

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
};

// Splits args[1..] into positional arguments, options with a value and flags. Returns an
// error text, empty when all is well.
std::string ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
                      const std::set<std::string>& flags, Args& out) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      out.positional.push_back(a);
    } else if (valued.count(a)) {
      if (i + 1 >= args.size()) return "option " + a + " needs a value";
      out.values[a] = args[++i];
    } else if (flags.count(a)) {
      out.flags.insert(a);
    } else {
      return "unknown option '" + a + "' for " + args[0];
    }
  }
  return {};
}

bool ToInt(const std::string& text, int lo, int hi, int& value) {
  const std::optional<int32_t> v = ParseInt(text);
  if (!v || *v < lo || *v > hi) return false;
  value = *v;
  return true;
}

bool ToSeed(const std::string& text, uint64_t& seed) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, seed);
  return r.ec == std::errc() && r.ptr == end && !text.empty();
}

int BadInput(std::ostream& err, const std::string& what) {
  err << "dalumaster-cli: " << what << '\n';
  return kCliBadInput;
}

// An --appdir that names no directory is bad input; returns the error text.
std::string CheckAppDir(const Args& a) {
  auto it = a.values.find("--appdir");
  std::error_code ec;
  if (it != a.values.end() && !fs::is_directory(it->second, ec)) {
    return "no such directory: '" + it->second + "'";
  }
  return {};
}

std::string ProgramDir(const Args& a, const std::string& exePath) {
  auto it = a.values.find("--appdir");
  if (it == a.values.end()) return CurDirLoad(exePath);
  std::string dir = it->second;
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// ---- Games ----

// One headless game with its seams. Game is large; it lives on the heap.
struct Headless {
  explicit Headless(MatchView* view = nullptr)
      : game(view ? std::make_unique<Game>(host, canvas, sound, *view)
                  : std::make_unique<Game>(host, canvas, sound)) {}
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> game;
};

const char* BuriedText(const Engine& e) {
  const bool b1 = IsBuried(e, 1);
  const bool b2 = IsBuried(e, 2);
  return b1 && b2 ? "both" : b1 ? "1" : b2 ? "2" : "none";
}

void PrintResult(std::ostream& out, const Game& g, const std::string& end) {
  out << "turns: " << g.eng.TurnNumber << '\n';
  out << "end: " << Cp932ToUtf8(end) << '\n';
  out << "buried: " << BuriedText(g.eng) << '\n';
  for (int p = 1; p <= 2; ++p) {
    out << "field " << p << ":\n";
    for (const std::string& row : FieldRows(g, p)) out << row << '\n';
  }
}

uint64_t RandomSeed() {
  std::random_device rd;
  return (static_cast<uint64_t>(rd()) << 32) ^ rd();
}

// A 64-bit FNV-1a hash of a match's record: its turn count, both sides' moves and the
// beads dealt.
void HashIn(uint64_t& h, int32_t v) {
  for (int i = 0; i < 4; ++i) {
    h ^= static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    h *= 1099511628211ULL;
  }
}

uint64_t RecordHash(const Game& g) {
  uint64_t h = 1469598103934665603ULL;
  const int32_t turns = g.eng.TurnNumber;
  HashIn(h, turns);
  for (int t = 1; t <= std::min(turns, kMaxTurns); ++t) {
    for (int p = 1; p <= 2; ++p) {
      HashIn(h, g.rec.TurnRecord[t][p].Column);
      HashIn(h, g.rec.TurnRecord[t][p].Rotation);
    }
  }
  const int beads = std::min(2 * (turns + 2), kSequenceBeads);
  for (int p = 1; p <= 2; ++p) {
    for (int i = 1; i <= beads; ++i) HashIn(h, g.eng.TwinSequence[p][i]);
  }
  return h;
}

struct Outcome {
  int winner = 0;  // 0 a draw, 1 the left side, 2 the right side
  int32_t turns = 0;
  uint64_t hash = 0;
  std::string endReason;
};

// A whole match between two computer levels, nothing saved.
// h is a fresh game, so that a seeded match plays the same whatever ran before it.
Outcome PlayQuietly(Headless& h, int left, int right, uint64_t seed, const Config& cfg) {
  Game& g = *h.game;
  g.cfg = cfg;
  g.eng.rng.Seed(seed);
  g.ctl.AutoSave = false;
  StartMatch(g, left, right);
  Outcome o;
  const bool b1 = IsBuried(g.eng, 1);
  const bool b2 = IsBuried(g.eng, 2);
  o.winner = b1 == b2 ? 0 : b1 ? 2 : 1;
  o.turns = g.eng.TurnNumber;
  o.hash = RecordHash(g);
  o.endReason = g.ctl.EndReason;
  return o;
}

// Writes a finished match's record as dir/name with the careful writer of the autosave.
bool WriteRecordAs(const Game& g, const std::string& dir, const std::string& name,
                   const std::string& reason, std::string& error) {
  const std::string text = RecordText(g.rec, g.eng, g.eng.TurnNumber, reason, g.eng.TurnNumber);
  const std::string folder = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  const std::string systemText = WriteFileAtomically(folder, name, text);
  if (systemText.empty()) return true;
  error = "cannot save " + folder + name + ": " + systemText;
  return false;
}

// ---- Commands ----

int CmdPlay(const std::vector<std::string>& args, const std::string& exePath, std::ostream& out,
            std::ostream& err) {
  Args a;
  const std::string bad = ParseArgs(args, {"--seed", "--appdir"}, {"--show"}, a);
  if (!bad.empty()) return BadInput(err, bad);
  if (const std::string dir = CheckAppDir(a); !dir.empty()) return BadInput(err, dir);
  if (a.positional.size() != 2) return BadInput(err, "play needs two levels: play LEFT RIGHT");
  int levels[2];
  for (int i = 0; i < 2; ++i) {
    if (!ToInt(a.positional[i], 1, 9, levels[i])) {
      return BadInput(err, "a level is 1 to 9, not '" + a.positional[i] + "'");
    }
  }
  uint64_t seed = RandomSeed();
  if (a.values.count("--seed") && !ToSeed(a.values["--seed"], seed)) {
    return BadInput(err, "a seed is a number from 0 up, not '" + a.values["--seed"] + "'");
  }

  ConsoleGame cg(out, err, ProgramDir(a, exePath), true, a.flags.count("--show") > 0);
  Game& game = *cg.game;
  game.eng.rng.Seed(seed);

  StartMatch(game, levels[0], levels[1]);
  PrintResult(out, game, game.ctl.EndReason);
  if (!cg.host.errors.empty()) return kCliFailed;  // the save failed; the error was shown
  out << "record: " << RecordDir(game) << game.rec.RecFileName << '\n';
  return kCliOk;
}

// "cannot open 'FILE': reason" when there is no file at all; anything else that is there (a
// pipe, a device, a damaged record) is for the loader to refuse with its own message.
std::string MissingFileText(const std::string& file) {
  std::error_code ec;
  if (fs::exists(file, ec)) return "";
  return "cannot open '" + file + "': " + (ec ? ec.message() : std::strerror(ENOENT));
}

int CmdReplay(const std::vector<std::string>& args, const std::string& exePath, std::ostream& out,
              std::ostream& err) {
  Args a;
  const std::string bad = ParseArgs(args, {"--appdir", "--to"}, {"--show", "--timing"}, a);
  if (!bad.empty()) return BadInput(err, bad);
  if (const std::string dir = CheckAppDir(a); !dir.empty()) return BadInput(err, dir);
  if (a.positional.size() != 1) return BadInput(err, "replay needs one file: replay FILE");
  // --to T: the position after turn T (past the record's end, its last turn).
  int to = -1;
  if (a.values.count("--to") &&
      !ToInt(a.values["--to"], 0, std::numeric_limits<int32_t>::max(), to)) {
    return BadInput(err, "--to needs a turn from 0 up, not '" + a.values["--to"] + "'");
  }
  const std::string& file = a.positional[0];
  if (const std::string missing = MissingFileText(file); !missing.empty()) {
    return BadInput(err, missing);
  }

  ConsoleGame cg(out, err, ProgramDir(a, exePath), true, a.flags.count("--show") > 0);
  ConsoleHost& host = cg.host;
  Game& game = *cg.game;
  // The replay runs to its end without waiting: ">>" at the first step. The virtual clock
  // then only moves by the paced waits, so its reading at the end, less the one at the
  // click, is the time the replay's waits specify. With --to, the first step jumps to the
  // position after turn T and the replay ends there as "x" ends it.
  uint32_t tailAt = 0;
  bool jumped = false;
  host.onEvents = [&game, &host, to, &jumped, &tailAt] {
    host.Release(false);  // the file has been taken: the replay runs
    if (!(game.ctl.Phase == LoopPhase::kStepWait)) return;
    if (to < 0) {
      tailAt = host.TickMs();
      TailClick(game);
    } else if (!jumped) {
      jumped = GoToTurn(game, to);
    } else {
      EndReplayClick(game);
    }
  };
  host.Hold();
  const LoadOutcome outcome = LoadFile(game, file);
  host.Release(outcome == LoadOutcome::kFailed);
  switch (outcome) {
    case LoadOutcome::kFailed:
      if (host.errors.empty()) err << "dalumaster-cli: cannot load '" << file << "'\n";
      return kCliBadInput;
    case LoadOutcome::kConverted:
      return host.errors.empty() ? kCliOk : kCliFailed;  // the information text was printed
    case LoadOutcome::kReplay:
      break;
  }
  PrintResult(out, game, game.rec.RecEndReason);
  if (a.flags.count("--timing")) out << "paced: " << host.TickMs() - tailAt << " ms\n";
  return kCliOk;
}

// Loads a record for a command that studies it (host.onEvents steers its replay): nullopt
// when it was loaded and replayed, else the exit code, its reason already on err.
std::optional<int> LoadToStudy(ConsoleHost& host, Game& game, const std::string& file,
                               std::ostream& err) {
  host.Hold();
  const LoadOutcome outcome = LoadFile(game, file);
  host.Release(outcome == LoadOutcome::kFailed);
  host.onEvents = nullptr;
  if (outcome == LoadOutcome::kFailed) {
    if (host.errors.empty()) err << "dalumaster-cli: cannot load '" << file << "'\n";
    return kCliBadInput;
  }
  if (outcome == LoadOutcome::kConverted) {
    return BadInput(err, "'" + file + "' is an old-format record; it was converted, not replayed");
  }
  return std::nullopt;
}

int CmdAnalyse(const std::vector<std::string>& args, const std::string& exePath, std::ostream& out,
               std::ostream& err) {
  Args a;
  const std::string bad = ParseArgs(args, {"--turn", "--side", "--level", "--appdir"}, {}, a);
  if (!bad.empty()) return BadInput(err, bad);
  if (const std::string dir = CheckAppDir(a); !dir.empty()) return BadInput(err, dir);
  if (a.positional.size() != 1) {
    return BadInput(err, "analyse needs one file: analyse FILE --turn T --side P --level L");
  }
  int turn, side, level;
  if (!a.values.count("--turn") || !ToInt(a.values["--turn"], 1, kMaxTurns, turn)) {
    return BadInput(err, "--turn needs a turn from 1 to 1000");
  }
  if (!a.values.count("--side") || !ToInt(a.values["--side"], 1, 2, side)) {
    return BadInput(err, "--side needs 1 or 2");
  }
  if (!a.values.count("--level") || !ToInt(a.values["--level"], 1, 9, level)) {
    return BadInput(err, "--level needs a level from 1 to 9");
  }
  const std::string& file = a.positional[0];
  if (const std::string missing = MissingFileText(file); !missing.empty()) {
    return BadInput(err, missing);
  }

  ConsoleGame cg(out, err, ProgramDir(a, exePath), false, false);
  ConsoleHost& host = cg.host;
  Game& game = *cg.game;
  game.ctl.AutoSave = false;  // analysing saves nothing
  // Step through the earlier turns; at turn T end the replay there, with the position
  // before it on the board.
  host.onEvents = [&game, &host, turn] {
    host.Release(false);
    if (!(game.ctl.Phase == LoopPhase::kStepWait)) return;
    if (game.eng.TurnNumber < turn) {
      NextStepClick(game);
    } else {
      EndReplayClick(game);
    }
  };
  if (const std::optional<int> bad = LoadToStudy(host, game, file, err)) return *bad;
  Engine& e = game.eng;
  if (e.TurnNumber != turn - 1) {
    return BadInput(err, "turn " + std::to_string(turn) + " is not reached in '" + file +
                             "' (the record stops after turn " + std::to_string(e.TurnNumber) +
                             ")");
  }
  if (e.Boards[side].ChainCount > 0) {
    return BadInput(err, "side " + std::to_string(side) + " is chaining in turn " +
                             std::to_string(turn) + " and is not asked for a move");
  }

  // The moment of the question: turn T counted, the twins handed out (a twin the record
  // does not hold yet is dealt as live play would), side P about to think.
  e.TurnNumber = turn;
  for (int p = 1; p <= 2; ++p) {
    if (e.Boards[p].ChainCount > 0) continue;
    const int32_t n = e.TwinIndex[p];
    TwinMove& shown = game.ctl.ShownTwin[p];
    shown = {e.TwinSequence[p][2 * n - 1], e.TwinSequence[p][2 * n], 4, 0, 0};
    if (2 * (n + 2) <= kMaxDealtBeads && e.TwinSequence[p][2 * (n + 2)] == 0) {
      GenerateTwin(e, p, n + 2);
    }
    e.TwinIndex[p] = n + 1;
  }
  const TwinMove current = game.ctl.ShownTwin[side];
  if (current.Colour1 < 1 || current.Colour2 < 1) {
    return BadInput(err, "the record holds no twin for side " + std::to_string(side) + " in turn " +
                             std::to_string(turn));
  }
  const Advice advice = AskPlayer(e, side, level, current, {0, 1});
  const TwinMove& chosen = advice.Move;

  out << "position: turn " << turn << ", side " << side << ", twin " << current.Colour1 << ' '
      << current.Colour2 << '\n';
  // The candidates best first; equal scores keep the players' order, as the first of equal
  // candidates is the one played. Blocked ones come last.
  if (advice.Emergency) {
    out << "emergency: level " << level << " answers a threat and scores no placements\n";
  }
  for (const CandidateRow& c : advice.Table) {
    out << "candidate: " << c.Column << ' ' << c.Rotation << ' ';
    if (c.Blocked) {
      out << "blocked\n";
    } else {
      out << c.Score << '\n';
    }
  }
  out << "move: " << chosen.Column << ' ' << chosen.Rotation << '\n';
  return kCliOk;
}

int CmdReview(const std::vector<std::string>& args, const std::string& exePath, std::ostream& out,
              std::ostream& err) {
  Args a;
  const std::string bad = ParseArgs(
      args, {"--level", "--playouts", "--playout-level", "--seed", "--jobs", "--appdir"}, {}, a);
  if (!bad.empty()) return BadInput(err, bad);
  if (const std::string dir = CheckAppDir(a); !dir.empty()) return BadInput(err, dir);
  if (a.positional.size() != 1) return BadInput(err, "review needs one file: review FILE");
  ReviewParams params;
  if (a.values.count("--level") && !ToInt(a.values["--level"], 1, 9, params.Level)) {
    return BadInput(err, "--level needs a level from 1 to 9");
  }
  if (a.values.count("--playouts") && !ToInt(a.values["--playouts"], 1, 10000, params.Playouts)) {
    return BadInput(err, "--playouts needs a number from 1 to 10000");
  }
  if (a.values.count("--playout-level") &&
      !ToInt(a.values["--playout-level"], 1, 9, params.PlayoutLevel)) {
    return BadInput(err, "--playout-level needs a level from 1 to 9");
  }
  if (a.values.count("--seed") && !ToSeed(a.values["--seed"], params.Seed)) {
    return BadInput(err, "a seed is a number from 0 up, not '" + a.values["--seed"] + "'");
  }
  if (a.values.count("--jobs") && !ToInt(a.values["--jobs"], 1, 256, params.Jobs)) {
    return BadInput(err, "--jobs needs a number from 1 to 256");
  }
  const std::string& file = a.positional[0];
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return BadInput(err, "cannot open '" + file + "'");

  ConsoleGame cg(out, err, ProgramDir(a, exePath), false, false);
  ConsoleHost& host = cg.host;
  Game& game = *cg.game;
  game.ctl.AutoSave = false;
  // The record is taken as loaded: its replay ends at the first step, before turn 1.
  host.onEvents = [&game, &host] {
    host.Release(false);
    if (game.ctl.StepWaitActive) EndReplayClick(game);
  };
  if (const std::optional<int> bad = LoadToStudy(host, game, file, err)) return *bad;
  const ReviewSource source = TakeReviewSource(game);
  if (!source.Valid()) return BadInput(err, "'" + file + "' holds no turn to review");
  const ReviewResult result = Review(source, params);
  for (const ReviewTurn& t : result.Turns) out << ReviewLine(t) << '\n';
  return kCliOk;
}

// ---- Tournament: parsing, planning, running, reporting ----

struct TournamentOptions {
  int lo = 1, hi = 9, games = 2, jobs = 1;
  uint64_t seed = 1;
  std::string recordsDir;  // empty: no records are written
};

// Reads the tournament's options. Returns an error text, empty when all is well.
std::string ParseTournament(const std::vector<std::string>& args, TournamentOptions& o) {
  Args a;
  const std::string bad =
      ParseArgs(args, {"--levels", "--games", "--seed", "--jobs", "--records"}, {}, a);
  if (!bad.empty()) return bad;
  if (!a.positional.empty()) return "tournament takes no file or level here";
  o.jobs = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  if (a.values.count("--levels")) {
    const std::string& v = a.values["--levels"];
    const size_t dash = v.find('-');
    if (dash == std::string::npos || !ToInt(v.substr(0, dash), 1, 9, o.lo) ||
        !ToInt(v.substr(dash + 1), 1, 9, o.hi) || o.lo > o.hi) {
      return "--levels needs A-B with 1 <= A <= B <= 9, not '" + v + "'";
    }
  }
  if (a.values.count("--games") && !ToInt(a.values["--games"], 1, 100000, o.games)) {
    return "--games needs a number from 1 up";
  }
  if (a.values.count("--jobs") && !ToInt(a.values["--jobs"], 1, 256, o.jobs)) {
    return "--jobs needs a number from 1 to 256";
  }
  if (a.values.count("--seed") && !ToSeed(a.values["--seed"], o.seed)) {
    return "a seed is a number from 0 up, not '" + a.values["--seed"] + "'";
  }
  if (a.values.count("--records")) o.recordsDir = a.values["--records"];
  return "";
}

struct Planned {
  int left, right;
  uint64_t seed;
};

// Every pair of different levels (one level alone plays itself), N matches each, the
// sides swapped in every other match; match i plays with seed + i.
std::vector<Planned> PlanTournament(const TournamentOptions& o) {
  std::vector<Planned> plan;
  for (int i = o.lo; i <= o.hi; ++i) {
    for (int j = (o.lo == o.hi ? i : i + 1); j <= o.hi; ++j) {
      for (int k = 0; k < o.games; ++k) {
        const uint64_t s = o.seed + plan.size();
        plan.push_back(k % 2 == 0 ? Planned{i, j, s} : Planned{j, i, s});
      }
    }
  }
  return plan;
}

// A rough cost of a match between two levels, in milliseconds of one core: the thinking
// per turn of each level times the usual length of the match. Measured with
// `tournament --levels 1-9 --games 4 --jobs 1`: a match with level 9 costs 0.3 to 1 s, with
// level 7 or 8 about 0.1 to 0.2 s, the others 3 to 40 ms; two sides that never attack
// ("No Attack" against "Weakest Attack" or itself) play hundreds of turns. Only the order
// of the estimates matters: the longest matches are handed out first, so that no long
// match starts last and keeps one thread busy while the others wait.
int EstimatedMatchMs(int left, int right) {
  static constexpr int kTurnCost[10] = {0, 1, 1, 1, 1, 1, 2, 15, 15, 60};  // 0.1 ms a turn
  const bool neverAttack = left <= 2 && right <= 2;
  const int turns = neverAttack ? 500 : 45;
  return (kTurnCost[left] + kTurnCost[right]) * turns / 10;
}

// The plan's matches in the order they are handed out: the longest first, ties in plan order.
std::vector<size_t> LongestFirst(const std::vector<Planned>& plan) {
  std::vector<size_t> order(plan.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return EstimatedMatchMs(plan[a].left, plan[a].right) >
           EstimatedMatchMs(plan[b].left, plan[b].right);
  });
  return order;
}

struct TournamentResults {
  std::vector<Outcome> outcomes;      // one per planned match, in plan order
  std::vector<std::string> failures;  // records that could not be written
};

// Plays the plan on o.jobs threads, each match in a fresh game, the longest first, and writes
// each record into o.recordsDir when one is given. Outcomes and record names keep the plan's
// order, so the report is the same whatever the order of play. Progress goes to err.
TournamentResults RunTournament(const std::vector<Planned>& plan, const TournamentOptions& o,
                                std::ostream& err) {
  TournamentResults r;
  r.outcomes.resize(plan.size());
  const std::vector<size_t> order = LongestFirst(plan);
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0};
  std::mutex io;
  const Config cfg;  // pacing does not matter on the virtual clock; texts in English
  auto worker = [&] {
    for (;;) {
      const size_t n = next++;
      if (n >= order.size()) return;
      const size_t i = order[n];
      Headless h;
      r.outcomes[i] = PlayQuietly(h, plan[i].left, plan[i].right, plan[i].seed, cfg);
      if (!o.recordsDir.empty()) {
        // A name of its own for every match, so parallel matches never share a file.
        char name[64];
        std::snprintf(name, sizeof name, "T%06zu_L%dvL%d_s%llu.DBD", i + 1, plan[i].left,
                      plan[i].right, static_cast<unsigned long long>(plan[i].seed));
        std::string error;
        const std::string reason =
            r.outcomes[i].endReason.empty() ? "Halt" : r.outcomes[i].endReason;
        if (!WriteRecordAs(*h.game, o.recordsDir, name, reason, error)) {
          std::lock_guard lock(io);
          r.failures.push_back(error);
        }
      }
      const size_t d = ++done;
      std::lock_guard lock(io);
      err << "\rtournament: " << d << "/" << plan.size() << " matches played" << std::flush;
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < std::min<int>(o.jobs, static_cast<int>(plan.size())); ++t) {
    threads.emplace_back(worker);
  }
  for (std::thread& t : threads) t.join();
  err << '\n';
  return r;
}

// The table of wins between the levels and the ranking by wins, then fewer losses.
void ReportTournament(const TournamentOptions& o, const std::vector<Planned>& plan,
                      const std::vector<Outcome>& outcomes, std::ostream& out) {
  const int lo = o.lo, hi = o.hi;
  // wins[a][b]: matches level a won against level b.
  int wins[10][10] = {};
  int draws[10] = {}, losses[10] = {}, total[10] = {};
  for (size_t i = 0; i < plan.size(); ++i) {
    const int l = plan[i].left, r = plan[i].right;
    const int w = outcomes[i].winner;
    if (w == 0) {
      ++draws[l];
      if (r != l) ++draws[r];
    } else {
      const int winner = w == 1 ? l : r, loser = w == 1 ? r : l;
      ++wins[winner][loser];
      ++total[winner];
      ++losses[loser];
    }
  }
  out << "wins (row level against column level):\n     ";
  for (int j = lo; j <= hi; ++j) out << "     " << j;
  out << '\n';
  for (int i = lo; i <= hi; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "%5d", i);
    out << line;
    for (int j = lo; j <= hi; ++j) {
      if (i == j && lo != hi) {
        out << "     -";
      } else {
        std::snprintf(line, sizeof line, "%6d", wins[i][j]);
        out << line;
      }
    }
    out << '\n';
  }
  std::vector<int> order;
  for (int i = lo; i <= hi; ++i) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    return total[x] != total[y] ? total[x] > total[y] : losses[x] < losses[y];
  });
  out << "ranking:\n";
  for (size_t k = 0; k < order.size(); ++k) {
    const int l = order[k];
    out << ' ' << k + 1 << ". level " << l << " (" << LevelName(l, true) << "): " << total[l]
        << " wins, " << losses[l] << " losses, " << draws[l] << " draws\n";
  }
  if (!o.recordsDir.empty()) out << "records: " << o.recordsDir << '\n';
}

int CmdTournament(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TournamentOptions o;
  if (const std::string bad = ParseTournament(args, o); !bad.empty()) return BadInput(err, bad);
  if (!o.recordsDir.empty()) {
    std::error_code ec;
    fs::create_directories(o.recordsDir, ec);
    if (!fs::is_directory(o.recordsDir, ec)) {
      return BadInput(err, "cannot make the records directory '" + o.recordsDir + "'");
    }
  }
  const std::vector<Planned> plan = PlanTournament(o);
  out << "tournament: levels " << o.lo << "-" << o.hi << ", " << o.games << " games per pair, "
      << plan.size() << " matches, seed " << o.seed << ", " << o.jobs << " jobs\n";
  out.flush();
  const TournamentResults results = RunTournament(plan, o, err);
  ReportTournament(o, plan, results.outcomes, out);
  for (const std::string& f : results.failures) err << "dalumaster-cli: " << f << '\n';
  return results.failures.empty() ? kCliOk : kCliFailed;
}

int CmdBench(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) return BadInput(err, "bench takes no arguments");
  const std::vector<BenchMatch> matches = BenchMatches();
  const Config cfg;
  const auto start = std::chrono::steady_clock::now();
  uint64_t signature = 1469598103934665603ULL;
  int64_t turns = 0;
  for (const BenchMatch& m : matches) {
    Headless h;
    const Outcome o = PlayQuietly(h, m.left, m.right, m.seed, cfg);
    for (int i = 0; i < 8; ++i) {
      signature ^= static_cast<uint8_t>(o.hash >> (8 * i));
      signature *= 1099511628211ULL;
    }
    turns += o.turns;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  out << "signature: " << signature << '\n';
  char line[128];
  std::snprintf(line, sizeof line, "time: %.3f s for %zu matches, %lld turns\n", seconds,
                matches.size(), static_cast<long long>(turns));
  out << line;
  return kCliOk;
}

}  // namespace

std::vector<BenchMatch> BenchMatches() {
  // Every level against its neighbour and against the middle level, each pair once.
  std::vector<BenchMatch> m;
  uint64_t seed = 1000;
  for (int l = 1; l <= 9; ++l) {
    m.push_back({l, l % 9 + 1, seed++});
    m.push_back({5, l, seed++});
  }
  return m;
}

int RunCli(const std::vector<std::string>& args, const std::string& exePath, std::ostream& out,
           std::ostream& err) {
  // Asked for, the usage is the output; without a command it explains a refusal (exit 2),
  // so it goes where errors go.
  if (args.empty()) {
    err << kUsage;
    return kCliBadInput;
  }
  if (args[0] == "--help" || args[0] == "help") {
    out << kUsage;
    return kCliOk;
  }
  const std::string& cmd = args[0];
  if (cmd == "play") return CmdPlay(args, exePath, out, err);
  if (cmd == "replay") return CmdReplay(args, exePath, out, err);
  if (cmd == "analyse") return CmdAnalyse(args, exePath, out, err);
  if (cmd == "review") return CmdReview(args, exePath, out, err);
  if (cmd == "tournament") return CmdTournament(args, out, err);
  if (cmd == "bench") return CmdBench(args, out, err);
  return BadInput(err, "unknown command '" + cmd + "' (try --help)");
}

}  // namespace dalu
