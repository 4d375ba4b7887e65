// Helpers for driving the match loop in tests: a game on the virtual clock with a view
// that logs what the loop told it, scripted keyboard sides, and hand-made replays.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/board_helpers.h"
#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu::testing {

// What a test wants to know about every turn after it ended.
struct TurnSnapshot {
  int32_t turn;
  int32_t twinIndex[3];
  int32_t chainCount[3];
  int32_t queueLen[3];
  std::vector<std::string> rows[3];
};

struct MemoEntry {
  int32_t turn;  // TurnNumber when the line was added
  std::string line;
};

class LogView final : public MatchView {
 public:
  void ClearMemo() override { memo.clear(); }
  void AddMemoLine(const std::string& line) override {
    memo.push_back(line);
    log.push_back({game ? game->eng.TurnNumber : -1, line});
  }
  void SetCaption(const std::string& c) override { caption = c; }
  void SetMatchRunning(bool r) override { running = r; }
  void EnableStopContinue() override {}
  void EnableReplayButtons(bool e) override { replayButtons = e; }
  void ShowLevels(int, int) override {}
  void RebuildBackground() override { ++rebuilds; }
  void TurnEnded(const Game& g) override {
    TurnSnapshot s{};
    s.turn = g.eng.TurnNumber;
    for (int p = 1; p <= 2; ++p) {
      s.twinIndex[p] = g.eng.TwinIndex[p];
      s.chainCount[p] = g.eng.Boards[p].ChainCount;
      s.queueLen[p] = g.eng.ObstructQueueLen[p];
      s.rows[p] = FieldRows(g, p);
    }
    turns.push_back(s);
    if (onTurnEnded) onTurnEnded();
  }

  Game* game = nullptr;
  std::vector<std::string> memo;
  std::vector<MemoEntry> log;
  std::string caption;
  bool running = false;
  bool replayButtons = false;
  int rebuilds = 0;
  std::vector<TurnSnapshot> turns;
  std::function<void()> onTurnEnded;
};

// A game on the virtual clock, with no drawing and recorded sounds. Nothing is saved
// unless a test turns AutoSave on and gives an AppDir.
struct TestGame {
  TestGame() : g(std::make_unique<Game>(host, canvas, sound, view)) {
    view.game = g.get();
    g->ctl.AutoSave = false;
  }
  Game& game() { return *g; }

  // Empty fields and the plain picture groups 1..C, as a start would leave them.
  void FreshMatch() {
    FreshBoards(g->eng);
    for (int c = 1; c <= 5; ++c) g->eng.ColourImage[c] = c;
    g->eng.TurnNumber = 0;
    g->ctl.MatchReady = true;
  }

  // Twin n of side p.
  void SetTwin(int p, int n, int c1, int c2) {
    g->eng.TwinSequence[p][2 * n - 1] = c1;
    g->eng.TwinSequence[p][2 * n] = c2;
  }

  // Stops the match after the given turn (as a Stop between turns would).
  void StopAfter(int32_t turn) {
    view.onTurnEnded = [this, turn] {
      if (g->eng.TurnNumber >= turn) MMEnable(*g);
    };
  }

  VirtualHost host;
  NullCanvas canvas;
  RecordingSound sound;
  LogView view;
  std::unique_ptr<Game> g;
};

// Keyboard sides that play from a script: the twins each side is handed (twin n is
// entry n - 1) and the column and rotation it drops them at. The script's twins are kept
// in the sequence ahead of the live generator, and each awaited move is confirmed at the
// first pass of events, the way a drop key would.
struct ScriptedKeyboards {
  struct Step {
    int c1, c2, column, rotation;
  };
  std::vector<Step> script[3];
  std::vector<std::pair<int32_t, int>> asked;  // (turn, side) of every move awaited

  void Attach(TestGame& t) {
    Game& g = t.game();
    g.eng.PlayerLevel[1] = 0;
    g.eng.PlayerLevel[2] = 0;
    Refresh(g);
    t.host.onEvents = [this, &g] { OnEvents(g); };
  }

  void Refresh(Game& g) {
    for (int p = 1; p <= 2; ++p) {
      for (size_t i = static_cast<size_t>(g.eng.TwinIndex[p] - 1); i < script[p].size(); ++i) {
        g.eng.TwinSequence[p][2 * i + 1] = script[p][i].c1;
        g.eng.TwinSequence[p][2 * i + 2] = script[p][i].c2;
      }
    }
  }

  void OnEvents(Game& g) {
    Refresh(g);
    MatchControl& ctl = g.ctl;
    const int p = ctl.InputSide;
    if (!ctl.MovesOpen || (p != 1 && p != 2)) return;
    asked.push_back({g.eng.TurnNumber, p});
    const size_t n = static_cast<size_t>(g.eng.TwinIndex[p] - 2);  // the twin handed out
    TwinMove m = ctl.ShownTwin[p];
    if (n < script[p].size()) {
      m.Column = script[p][n].column;
      m.Rotation = script[p][n].rotation;
    }
    ctl.TurnMove[p] = m;
    ctl.InputSide = p + 1;
    if (ctl.InputSide == 2) ctl.InputTwin = ctl.ShownTwin[2];
  }

  bool Asked(int32_t turn, int side) const {
    for (const auto& a : asked)
      if (a.first == turn && a.second == side) return true;
    return false;
  }
};

// Runs a hand-made record as a replay from the current boards, without waiting for steps.
inline void RunReplay(TestGame& t, int32_t turns, const std::string& reason) {
  Game& g = t.game();
  g.rec.RecTurns = turns;
  g.rec.RecEndReason = reason;
  g.ctl.ReplayMode = true;
  g.eng.TurnNumber = 0;
  if (!t.host.onEvents) {
    t.host.onEvents = [&g] {
      if (g.ctl.StepWaitActive) TailClick(g);
    };
  }
  MMnotEnable(g);
  Main(g);
}

}  // namespace dalu::testing
