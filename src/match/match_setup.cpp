#include "match/match_setup.h"

#include <algorithm>
#include <ctime>

#include "engine/field_draw.h"
#include "engine/twins.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "players/levels.h"
#include "records/record_file.h"
#include "util/text.h"

namespace dalu {

int LeftLevelAfterChange(int left, int right) {
  return (right == 0 && left > 0) ? 0 : left;
}

int LevelSelectorsChanged(Game& g, int left, int right) {
  const int l = LeftLevelAfterChange(left, right);
  g.eng.PlayerLevel[1] = l;
  g.eng.PlayerLevel[2] = right;
  return l;
}

std::string PlayerNameField(const std::string& text) {
  return FourDigits(static_cast<int32_t>(text.size())) + text;
}

std::string MatchTitle(const Game& g, const std::string& left, const std::string& right) {
  if (g.cfg.EnglishUI) return "DaluMaster Test: " + left + " vs " + right;
  return Utf8ToCp932("DaluMaster 練習試合: ") + left + Utf8ToCp932(" 対 ") + right;
}

std::string TodayShortDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, "%x", &local);
  std::string date(buf, n);
  // A locale's date may hold non-ASCII text; the locale's encoding is UTF-8 here.
  if (std::any_of(date.begin(), date.end(), [](char c) { return c & 0x80; })) {
    date = Utf8ToCp932(date);
  }
  return date;
}

namespace {

// Start and Play same deal. fixed[p] twins of side p are already in the sequence (the
// record's), keep their bead pictures and are never generated; with none, everything is
// dealt anew.
void StartWithDeal(Game& g, int level1, int level2, const int32_t fixed[3]) {
  Engine& e = g.eng;
  BattleRecord& rec = g.rec;
  MatchControl& ctl = g.ctl;
  const bool sameDeal = fixed[1] > 0 || fixed[2] > 0;

  // 1.
  g.view.EnableStopContinue();

  // 2. Distinct bead pictures for the colours in play. Only five pictures exist, so never
  // more than five are drawn (a damaged record could have left a larger colour count).
  // The same deal keeps the record's pictures, so the twins look as they did.
  const int colours = std::clamp<int32_t>(e.ColourCount, 0, kMaxColours);
  for (int i = 1; i <= colours && !sameDeal; ++i) {
    int32_t r;
    bool used;
    do {
      r = e.rng.Between(1, 5);
      used = false;
      for (int j = 1; j < i; ++j) used |= e.ColourImage[j] == r;
    } while (used);
    e.ColourImage[i] = r;
  }

  // 3.
  e.SequenceSplit = false;
  for (int p = 1; p <= 2; ++p) {
    e.FixedTwins[p] = fixed[p];
    std::fill(std::begin(e.TwinSequence[p]) + 2 * fixed[p] + 1, std::end(e.TwinSequence[p]), 0);
  }
  GenerateTwin(e, 1, 1);
  GenerateTwin(e, 1, 2);
  GenerateTwin(e, 2, 1);
  GenerateTwin(e, 2, 2);

  // 4.
  g.canvas.RestoreAll();
  InitBoards(e, g.canvas);
  g.canvas.Present();

  // 5-6. The selectors' texts are in the current language.
  e.PlayerLevel[1] = level1;
  e.PlayerLevel[2] = level2;
  const std::string name1 = LevelName(level1, g.cfg.EnglishUI);
  const std::string name2 = LevelName(level2, g.cfg.EnglishUI);
  rec.RecTitle = MatchTitle(g, name1, name2);

  // 7-8.
  rec.RecFileName = "Autosave.DBD";
  ctl.ReplayMode = false;
  g.view.EnableReplayButtons(false);
  e.SequenceSplit = false;
  ctl.EditSlot = 0;
  FormTitle(g);

  // 9-10.
  e.TurnNumber = 0;
  ctl.Tally = {};
  g.view.ClearMemo();
  rec.RecTime = "Not used";
  rec.RecDate = TodayShortDate();
  rec.RecInfo = "Test(Train)";
  rec.RecHandi = "Even";
  rec.RecPlayerName[1] = PlayerNameField(name1);
  rec.RecPlayerName[2] = PlayerNameField(name2);

  // 11-13.
  TF_File_SetUp(g);
  ctl.MatchReady = true;
  ctl.Requests.EndReplay = false;
  ctl.Record = RecordState::kLive;
  ctl.Requests.Jump = false;
  MMnotEnable(g);
  Main(g);
}

// A twin of colours a record may deal.
bool DealtTwin(const Engine& e, int p, int32_t n) {
  const int32_t c1 = e.TwinSequence[p][2 * n - 1];
  const int32_t c2 = e.TwinSequence[p][2 * n];
  const int32_t top = std::min<int32_t>(e.ColourCount, kMaxColours);
  return c1 >= 1 && c1 <= top && c2 >= 1 && c2 <= top;
}

}  // namespace

bool StartMatch(Game& g, int level1, int level2) {
  if (g.ctl.InLoop()) return false;
  const int32_t none[3] = {};
  StartWithDeal(g, level1, level2, none);
  return true;
}

int32_t SameDealTwins(const Game& g, int side) {
  const Engine& e = g.eng;
  if (side < 1 || side > 2) return 0;
  // The loaded record's twins: a match deals at most two twins beyond its turn counter, and
  // a record's rows always hold the twins up to three beyond its saved turns, so the run
  // never reaches beads the file did not set. A match dealt from a record keeps the
  // record's twins at the front of its sequence, so it can be dealt again.
  int32_t limit = 0;
  if (g.ctl.Record == RecordState::kLoaded) {
    limit = std::min<int32_t>(g.rec.RecTurns, kMaxTurns) + 3;
  } else {
    limit = e.FixedTwins[side];
  }
  limit = std::min<int32_t>(limit, kMaxDealtBeads / 2);
  int32_t n = 0;
  while (n < limit && DealtTwin(e, side, n + 1)) ++n;
  return n;
}

bool StartSameDeal(Game& g, int level1, int level2) {
  if (g.ctl.InLoop()) return false;
  const int32_t fixed[3] = {0, SameDealTwins(g, 1), SameDealTwins(g, 2)};
  if (fixed[1] == 0 || fixed[2] == 0) return false;
  StartWithDeal(g, level1, level2, fixed);
  return true;
}

}  // namespace dalu
