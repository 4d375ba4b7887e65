// A silent copy of a game's record replay: the real turn code on a separate game with a
// virtual clock, no drawing and no sound, nothing saved. It replays the record from its
// start in thousands of turns per second, and is how study.h rebuilds positions and
// move_list.h learns what each turn did.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/field_canvas.h"
#include "match/match_view.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {

struct Game;
struct StudyCheckpoint;

class ShadowReplay {
 public:
  // A copy of g's engine (rules, twin sequences, colour pictures), record and
  // configuration, set up as the start of a replay: empty fields, turn 0.
  explicit ShadowReplay(const Game& g);
  ~ShadowReplay();
  ShadowReplay(const ShadowReplay&) = delete;
  ShadowReplay& operator=(const ShadowReplay&) = delete;

  // Replays up to the end of turn t, or until the replay ends by itself before that (its
  // recorded end, a burial, a damaged record). onStep, when given, runs at every replay
  // step wait: turn TurnNumber's twins are handed out and its recorded moves are in
  // TurnMove, the boards are those before the turn.
  void RunTo(int32_t t, const std::function<void(Game&)>& onStep = {});

  // Puts a saved position into the replaying game; the replay goes on from there.
  void Resume(const StudyCheckpoint& from);
  // Saves the replaying game's position (between two turns).
  void Save(StudyCheckpoint& to) const;

  Game& game() { return *game_; }
  // The memo as the replay left it.
  const std::vector<std::string>& memo() const { return view_.memo; }

 private:
  // Keeps the memo and stops the loop at the end of the turn asked for.
  class MemoView final : public QuietView {
   public:
    void ClearMemo() override { memo.clear(); }
    void AddMemoLine(const std::string& line) override { memo.push_back(line); }
    void TurnEnded(const Game& g) override;

    std::vector<std::string> memo;
    int32_t stopAfter = 0;
    bool* quit = nullptr;
  };

  VirtualHost host_;
  NullCanvas canvas_;
  NullSound sound_;
  MemoView view_;
  std::unique_ptr<Game> game_;
};

}  // namespace dalu
