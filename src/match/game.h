// One game: all the state that the rules call program-wide, in one object passed by
// reference. Tests, the command-line tool and benchmarks create as many as they like.
// The object is large (the record alone holds 1000 turns); allocate it on the heap.
#pragma once

#include <string>

#include "config/config.h"
#include "config/config_dialog.h"
#include "config/config_file.h"
#include "engine/engine.h"
#include "match/match_control.h"
#include "match/match_view.h"
#include "match/study_checkpoints.h"
#include "players/think_context.h"
#include "records/battle_record.h"
#include "records/record_file.h"

namespace dalu {

class Host;
class FieldCanvas;
class SoundPlayer;

struct Game {
  // Without a view the game talks to nobody: memo, caption and menu states go nowhere.
  Game(Host& h, FieldCanvas& c, SoundPlayer& s) : host(h), canvas(c), sound(s), view(quiet_) {}
  Game(Host& h, FieldCanvas& c, SoundPlayer& s, MatchView& v)
      : host(h), canvas(c), sound(s), view(v) {}
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // What a computer player of this game may use: the engine, its scratch and the event pump.
  operator ThinkContext() { return ThinkContext(eng, think, host); }
  // What the configuration file's reader and writer, and the record files' glue, may use.
  operator ConfigContext() { return {cfg, host}; }
  operator RecordContext() { return {rec, eng, cfg, host}; }
  operator ConfigDialogContext() { return {cfg, eng, host}; }

  Engine eng;
  ThinkState think;
  BattleRecord rec;
  Config cfg;
  MatchControl ctl;
  StudyCheckpoints checkpoints;  // of the record being studied (study.h)
  std::string keptText;          // the record last kept in History (history.h)

  Host& host;
  FieldCanvas& canvas;
  SoundPlayer& sound;
  MatchView& view;

 private:
  QuietView quiet_;
};

}  // namespace dalu
