// What a computer player may use while it decides, and nothing more: the engine (the live
// boards and twin sequences to read; the work board, the placement blocks, the fall list and
// the landing rows to work on), its own scratch state, and the host's event pump so a long
// search keeps the window alive. The canvas, the sound, the view, the record and the match
// control stay out of reach: a player returns its move and the match loop stores it.
#pragma once

#include "engine/engine.h"
#include "players/think_state.h"

namespace dalu {

class Host;

class ThinkContext {
 public:
  ThinkContext(Engine& engine, ThinkState& scratch, Host& host)
      : eng(engine), think(scratch), host_(host) {}

  Engine& eng;
  ThinkState& think;

  // Runs the pending events once (the searches call it once per candidate).
  void ProcessEvents() const;

 private:
  Host& host_;
};

}  // namespace dalu
