#include "match/match_loop.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <string_view>

#include "engine/chain.h"
#include "engine/field_draw.h"
#include "engine/twins.h"
#include "engine/vanish_step.h"
#include "match/game.h"
#include "match/history.h"
#include "match/just_played.h"
#include "match/match_commands.h"
#include "match/replay.h"
#include "match/status_line.h"
#include "match/steering.h"
#include "match/study.h"
#include "players/think.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

// Waits of the turn, in half-milliseconds.
constexpr uint32_t kMovesShownWait = 150;  // after logging; a shown move stands turned
constexpr uint32_t kMovePlacedWait = 200;  // a shown move stands in place before the drop
constexpr uint32_t kBurialRowWait = 70;    // one row of the burial filler

constexpr int kStartColumn = 4;

std::string Say(const Game& g, std::string_view english, std::string_view japaneseUtf8) {
  return g.cfg.EnglishUI ? std::string(english) : Utf8ToCp932(japaneseUtf8);
}

bool Chaining(const Engine& e, int p) {
  return e.Boards[p].ChainCount > 0;
}

// A bead colour the sequence may hand out: one of the colours in play.
bool PlayableColour(const Engine& e, int32_t c) {
  return c >= 1 && c <= e.ColourCount && c <= 9;
}

// Twin n of side p exists in the sequence with colours in play.
bool TwinDealt(const Engine& e, int p, int32_t n) {
  if (n < 1 || 2 * n > kMaxDealtBeads) return false;
  return PlayableColour(e, e.TwinSequence[p][2 * n - 1]) &&
         PlayableColour(e, e.TwinSequence[p][2 * n]);
}

// Only colours with a picture are drawn; a damaged record's bead stays blank instead of
// asking for an image that does not exist.
bool HasPicture(const Engine& e, int32_t c) {
  return c >= 1 && c <= 10 && e.ColourImage[c] >= 1 && e.ColourImage[c] <= 6;
}

void ShowTwin(Game& g, int p, const TwinMove& t) {
  if (HasPicture(g.eng, t.Colour1) && HasPicture(g.eng, t.Colour2)) DrawTwin(g.eng, g.canvas, p, t);
}

// The column and rotation keep both beads of the twin inside the field.
bool FitsField(const Engine& e, const TwinMove& m) {
  if (m.Rotation < 0 || m.Rotation > 3) return false;
  const int second = m.Column + DX[m.Rotation];
  return m.Column >= 1 && m.Column <= e.FieldWidth && second >= 1 && second <= e.FieldWidth;
}

int LowestEmptyRow(const Engine& e, const Board& b, int x) {
  for (int y = 1; y <= e.FieldHeight; ++y) {
    if (b.Cells[x][y] == kEmpty) return y;
  }
  return e.FieldHeight + 1;
}

// ---- The ends of a match ----

// Ends a replay at the position shown: the turn that was being dealt is taken back, so a
// later Continue deals the same twins again.
void EndReplayHere(Game& g) {
  MatchControl& ctl = g.ctl;
  Engine& e = g.eng;
  MMEnable(g);
  ctl.ReplayMode = false;
  ctl.WaitForStep = false;
  e.TurnNumber -= 1;
  for (int p = 1; p <= 2; ++p) {
    if (!Chaining(e, p)) e.TwinIndex[p] -= 1;
  }
  FormTitle(g);
}

// Stops a live match that cannot go on, and saves it as cut off.
void HaltMatch(Game& g, const std::string& why) {
  g.view.AddMemoLine(why);
  MMEnable(g);
  g.ctl.EndReason = "Halt";
  if (g.ctl.AutoSave) {
    g.rec.RecFileName = "AutoSave.DBD";
    TF_File_Save(g, g.eng.TurnNumber, "Halt");
    KeepAutoSaved(g, g.eng.TurnNumber, "Halt", std::time(nullptr));
  }
}

// Live play only: is there room for one more turn? Returns false after halting the match.
bool RoomForAnotherTurn(Game& g) {
  Engine& e = g.eng;
  if (e.TurnNumber >= kMaxTurns) {
    HaltMatch(g, Say(g, "Halt: the match has reached turn 1000, the last turn a record holds.",
                     "中断: 1000手に達しました。棋譜に残せるのは1000手までです。"));
    return false;
  }
  for (int p = 1; p <= 2; ++p) {
    if (Chaining(e, p) || TwinDealt(e, p, e.TwinIndex[p])) continue;
    HaltMatch(g, Say(g, "Halt: side " + IntToText(p) + " has no further twin in its sequence.",
                     IntToText(p) + "P側の配珠がもうありません。中断します。"));
    return false;
  }
  return true;
}

// Replay only: does the record still hold the twins of the coming turn? Ends the replay
// when it does not (a damaged record).
bool RecordHoldsNextTwins(Game& g) {
  Engine& e = g.eng;
  const int32_t next = e.TurnNumber + 1;
  if (next > std::min<int32_t>(g.rec.RecTurns, kMaxTurns)) return true;  // its end comes first
  for (int p = 1; p <= 2; ++p) {
    if (Chaining(e, p) || TwinDealt(e, p, e.TwinIndex[p])) continue;
    g.view.AddMemoLine(Say(g,
                           "The record's twin sequence ends before turn " + IntToText(next) + ".",
                           "棋譜の配珠が" + IntToText(next) + "手目の前で終わっています。"));
    MMEnable(g);
    g.ctl.ReplayMode = false;
    FormTitle(g);
    return false;
  }
  return true;
}

// ---- Steps of the turn ----

// Step 2: every side that is not chaining is handed its next twin.
void HandOutTwins(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  for (int p = 1; p <= 2; ++p) {
    if (Chaining(e, p)) continue;  // no twin, and the index stays
    const int32_t n = e.TwinIndex[p];
    if (n < 1 || 2 * n > kSequenceBeads) continue;  // cannot happen: the turn limit comes first
    const int32_t* seq = e.TwinSequence[p];
    TwinMove& shown = ctl.ShownTwin[p];
    shown.Colour1 = seq[2 * n - 1];
    shown.Colour2 = seq[2 * n];
    shown.Column = kStartColumn;
    shown.Rotation = 0;
    ShowTwin(g, p, shown);
    if (!ctl.ReplayMode) GenerateTwin(e, p, n + 2);
    DrawPreviews(e, g.canvas, p, n + 1);
    e.TwinIndex[p] = n + 1;
  }
  g.canvas.Present();
}

// Step 4: comments, the recorded end, the recorded moves and the wait for a step.
// Returns false when the loop is to return at once.
bool ReplayTurnStart(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  BattleRecord& rec = g.rec;
  const int32_t t = e.TurnNumber;

  // 4.1 The comments written after the previous turn replace the memo.
  const int32_t shown = std::min<int32_t>(rec.CommentCount[t - 1], kCommentsPerIndex);
  if (shown > 0) {
    g.view.ClearMemo();
    for (int j = 1; j <= shown; ++j) g.view.AddMemoLine(rec.CommentText[t - 1][j]);
  }

  // 4.2 The recorded end. A record that should end in a burial but holds no more turns
  // ends here like a cut-off record, instead of reading moves that do not exist.
  if (t > std::min<int32_t>(rec.RecTurns, kMaxTurns)) {
    if (rec.RecEndReason != "Halt" && rec.RecEndReason != "Surrender") {
      g.view.AddMemoLine(
          Say(g, "The record ends after turn " + IntToText(t - 1) + " without a burial.",
              "棋譜は" + IntToText(t - 1) + "手目で終わっています（埋まっていません）。"));
    }
    EndReplayHere(g);
    return false;
  }

  // 4.3 The recorded moves, with the colours each side was handed.
  for (int p = 1; p <= 2; ++p) {
    ctl.TurnMove[p] = ctl.ShownTwin[p];
    ctl.TurnMove[p].Column = rec.TurnRecord[t][p].Column;
    ctl.TurnMove[p].Rotation = rec.TurnRecord[t][p].Rotation;
    if (Chaining(e, p) || FitsField(e, ctl.TurnMove[p])) continue;
    g.view.AddMemoLine(Say(g,
                           "The record's move of side " + IntToText(p) + " in turn " +
                               IntToText(t) + " does not fit the field; the replay ends here.",
                           IntToText(t) + "手目の" + IntToText(p) +
                               "P側の手が盤面に合わないため、再生を終わります。"));
    EndReplayHere(g);
    return false;
  }

  // 4.4 Wait for the step command.
  ctl.WaitForStep = !ctl.FastReplay;
  ctl.Phase = LoopPhase::kStepWait;
  while (ctl.WaitForStep && ctl.MatchRunning && !ctl.Requests.Quit && !ctl.Requests.Jump) {
    g.host.WaitForPerson();
  }
  ctl.Phase = LoopPhase::kTurn;
  if (ctl.Requests.Quit) return false;
  g.host.SetPaceDivisor(ReplayPaceDivisor(g));  // "<>" or ">>" may have changed the pace
  // A jump replaces this turn: Main rebuilds the position it asks for.
  if (ctl.Requests.Jump) {
    ctl.Requests.EndReplay = false;
    return false;
  }
  if (ctl.Requests.EndReplay) {
    ctl.Requests.EndReplay = false;
    EndReplayHere(g);
    return false;
  }
  return true;
}

// Step 6: the computer sides choose, then the keyboard sides steer. Returns false when the
// window is closing.
bool ChooseLiveMoves(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  for (int p = 1; p <= 2; ++p) {
    ctl.TurnMove[p].Column = 0;
    ctl.TurnMove[p].Rotation = 0;
  }
  // Side 2 is always asked before side 1.
  for (int p = 2; p >= 1; --p) {
    if (e.PlayerLevel[p] > 0 && !Chaining(e, p)) ThinkMove(g, p, ctl.ShownTwin[p]);
  }
  // A take back asked for during the previous turn's animations is acted on before waiting.
  auto waiting = [&](int p) {
    return !Chaining(e, p) && ctl.InputSide == p && e.PlayerLevel[p] == 0 && !ctl.Requests.Quit &&
           !ctl.Requests.TakeBack;
  };
  ShowLanding(g);  // when the user asked for it, and side 1 steers
  while (waiting(1)) {
    g.host.WaitForPerson();
  }
  if (ctl.InputSide == 1) {
    ctl.InputSide = 2;
    ctl.InputTwin = ctl.ShownTwin[2];
    ShowLanding(g);
  }
  while (waiting(2)) {
    g.host.WaitForPerson();
  }
  HideLanding(g);
  return !ctl.Requests.Quit && !ctl.Requests.TakeBack;
}

// Before the moves are logged: every side that drops a twin drops the colours it was
// handed, at a place inside its field. Choices always satisfy this; the check keeps the
// record and the play in agreement even if one did not (a replay plays the sequence's
// colours).
void SettleMoves(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  for (int p = 1; p <= 2; ++p) {
    if (Chaining(e, p)) continue;
    TwinMove& m = ctl.TurnMove[p];
    const int32_t n = e.TwinIndex[p] - 1;
    m.Colour1 = e.TwinSequence[p][2 * n - 1];
    m.Colour2 = e.TwinSequence[p][2 * n];
    if (!FitsField(e, m)) {
      m.Column = kStartColumn;
      m.Rotation = 0;
    }
  }
}

// Step 9: the attack forecast, queued against the opponent.
void ForecastAttacks(Game& g) {
  Engine& e = g.eng;
  for (int p = 1; p <= 2; ++p) {
    if (Chaining(e, p)) continue;
    e.WorkBoard = e.Boards[p];
    ResolveChains(e, g.ctl.TurnMove[p], 2);
    MatchTally& tally = g.ctl.Tally;
    tally.Score[p] += e.WorkBoard.ResultObstruct;
    tally.LongestChain[p] = std::max(tally.LongestChain[p], e.WorkBoard.ResultChains);
    if (e.WorkBoard.ResultObstruct > 0) {
      QueueObstruct(e, 3 - p, e.WorkBoard.ResultObstruct,
                    e.WorkBoard.ResultChains + e.TurnNumber + 1);
    }
  }
}

// Step 10: computer and replayed moves are shown turned, then in place. Keyboard sides
// already stand where the user put them.
void ShowChosenMoves(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  auto shownSide = [&](int p) {
    return !Chaining(e, p) && (e.PlayerLevel[p] > 0 || ctl.ReplayMode);
  };
  TwinMove turned[3] = {};
  g.host.MarkTime();
  for (int p = 1; p <= 2; ++p) {
    if (!shownSide(p)) continue;
    EraseTwin(e, g.canvas, p, ctl.ShownTwin[p]);
    turned[p] = ctl.ShownTwin[p];
    turned[p].Rotation = ctl.TurnMove[p].Rotation;
    ShowTwin(g, p, turned[p]);
  }
  g.canvas.Present();
  g.host.WaitFromMark(kMovesShownWait);
  g.host.MarkTime();
  for (int p = 1; p <= 2; ++p) {
    if (!shownSide(p)) continue;
    EraseTwin(e, g.canvas, p, turned[p]);
    ShowTwin(g, p, ctl.TurnMove[p]);
  }
  g.canvas.Present();
  g.host.WaitFromMark(kMovePlacedWait);
}

// Steps 11 to 13: the twins drop (stored on the boards before the animation shows them),
// and the chaining sides get their gravity pass.
void BuildDrop(Game& g) {
  Engine& e = g.eng;
  const int H = e.FieldHeight;
  e.FallCount = 0;
  for (int p = 1; p <= 2; ++p) {
    if (Chaining(e, p)) continue;
    const TwinMove& m = g.ctl.TurnMove[p];
    e.WorkBoard = e.Boards[p];
    LandingRows(e, m);
    FallingBead first = {};
    first.Owner = p;
    first.Column = m.Column;
    first.Position = H + 2;
    first.Colour = m.Colour1;
    first.TargetRow = e.LandRow[1];
    FallingBead second = {};
    second.Owner = p;
    second.Column = m.Column + DX[m.Rotation];
    second.Position = H + 2 + DY[m.Rotation];
    second.Colour = m.Colour2;
    second.TargetRow = e.LandRow[2];
    if (DY[m.Rotation] == -1) std::swap(first, second);  // the lower bead comes first
    const int i = e.FallCount + 1;
    first.BounceState = -(i + 1);
    second.BounceState = -i;
    e.FallList[i] = first;
    e.FallList[i + 1] = second;
    e.FallCount += 2;
  }
  const double speed = g.cfg.Cfg[kDropHitSpeed] / 100.0;
  for (int i = 1; i <= e.FallCount; ++i) {
    FallingBead& f = e.FallList[i];
    f.Speed = speed;
    // A bead that lands above the field is lost.
    if (f.TargetRow <= H) e.Boards[f.Owner].Cells[f.Column][f.TargetRow] = f.Colour;
  }
  for (int p = 1; p <= 2; ++p) {
    if (!Chaining(e, p)) continue;
    e.WorkBoard = e.Boards[p];
    ApplyGravity(e);
    e.Boards[p] = e.WorkBoard;
  }
}

// Step 16: a chain of more than four steps that ended is reported in the memo.
void ReportChains(Game& g) {
  for (int p = 1; p <= 2; ++p) {
    if (g.eng.LongChainReport[p] > 0) {
      g.view.AddMemoLine(ChainReportLine(g, p, g.eng.LongChainReport[p]));
    }
  }
}

// Step 17: the incoming notices are offset against each other.
void OffsetNotices(Game& g) {
  Engine& e = g.eng;
  const int s = e.Boards[1].PendingShown >= e.Boards[2].PendingShown ? 1 : 2;
  e.Boards[s].PendingShown -= e.Boards[3 - s].PendingShown;
  e.Boards[3 - s].PendingShown = 0;
  DrawNotice(e, g.canvas, 1);
  DrawNotice(e, g.canvas, 2);
}

// Step 20: due obstruct points fall on side s as obstruct beads.
void ObstructFall(Game& g, int s, int32_t fall) {
  Engine& e = g.eng;
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  Board& b = e.Boards[s];
  // The rate applies to the beads, capped at a full field and its first hidden row.
  int64_t n = static_cast<int64_t>(e.ObstructRate[s]) * fall / 100;
  n = std::clamp<int64_t>(n, 0, static_cast<int64_t>(W) * (H + 1));

  e.FallCount = 0;
  int c = (b.ObstructColumn >= 1 && b.ObstructColumn <= W) ? b.ObstructColumn : W;
  for (int k = 1; k <= n; ++k) {
    const int layer = (k - 1) / W;  // the k-th bead lands above the batch's earlier beads
    FallingBead& f = e.FallList[++e.FallCount];
    f = {};
    f.Owner = s;
    f.Column = c;
    f.Position = layer + H + 2;
    f.Colour = kObstruct;
    f.TargetRow = std::min(LowestEmptyRow(e, b, c) + layer, H + 1);
    c = c - 1 == 0 ? W : c - 1;  // the cursor walks leftward and wraps
  }
  b.ObstructColumn = c;
  // The notice goes down by the points, whatever the rate made of them; it never shows
  // less than nothing.
  b.PendingShown = std::max<int32_t>(b.PendingShown - fall, 0);
  DrawNotice(e, g.canvas, s);
  for (int i = 1; i <= e.FallCount; ++i) {
    const FallingBead& f = e.FallList[i];
    if (f.TargetRow <= H) b.Cells[f.Column][f.TargetRow] = kObstruct;
  }
  AnimateFalls(e, g.canvas, g.host, g.cfg);
  DrawMarkers(e, g.canvas, s);
  g.canvas.Present();
}

// Step 21.1: the field and its walls fill with the burial picture from the floor upward.
void AnimateBurial(Game& g, int p) {
  Engine& e = g.eng;
  for (int r = 0; r <= e.FieldHeight + 5 && !g.ctl.Requests.Quit; ++r) {
    g.host.MarkTime();
    DrawBurialRow(e, g.canvas, p, r);
    g.canvas.Present();
    g.host.WaitFromMark(kBurialRowWait);
  }
}

// Step 21: a buried side ends the match, which is saved. Both sides buried in one turn are
// both animated, and the record is saved once.
void CheckBurial(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  bool any = false;
  for (int p = 1; p <= 2; ++p) {
    if (!IsBuried(e, p)) continue;
    any = true;
    AnimateBurial(g, p);
  }
  if (!any || ctl.Requests.Quit) return;

  const int32_t t = e.TurnNumber;
  const int32_t count = std::min<int32_t>(g.rec.CommentCount[t], kCommentsPerIndex);
  for (int j = 1; j <= count; ++j) g.view.AddMemoLine(g.rec.CommentText[t][j]);
  MMEnable(g);
  ctl.EndReason = "Buried";
  if (ctl.AutoSave) {
    g.rec.RecFileName = ctl.ReplayMode ? "Re_AutoSv.DBD" : "AutoSave.DBD";
    TF_File_Save(g, t, "Buried");
    KeepAutoSaved(g, t, "Buried", std::time(nullptr));
  }
  // The record holds no turns beyond its burial, so the replay is over: Continue plays on
  // live.
  if (ctl.ReplayMode) {
    ctl.ReplayMode = false;
    FormTitle(g);
  }
}

// One turn. Returns false when the loop is to return at once.
bool PlayTurn(Game& g) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  Host& host = g.host;

  if (ctl.ReplayMode ? !RecordHoldsNextTwins(g) : !RoomForAnotherTurn(g)) return false;
  // A live turn writes its own moves and twins over the loaded record's.
  if (!ctl.ReplayMode) ctl.Record = RecordState::kLive;

  // 1-3.
  e.TurnNumber += 1;
  ctl.Phase = LoopPhase::kTurn;
  // Marked before the twins are drawn: drawing them counts in the turn's first wait.
  host.MarkTime();
  host.SetPaceDivisor(ReplayPaceDivisor(g));
  HandOutTwins(g);
  ShowStatus(g);

  // 4. Replay.
  if (ctl.ReplayMode && !ReplayTurnStart(g)) return false;

  // 5-6. The moves.
  ctl.InputSide = 1;
  ctl.InputTwin = ctl.ShownTwin[1];
  if (!ctl.ReplayMode) {
    ctl.Phase = LoopPhase::kMovesOpen;
    const bool go = ChooseLiveMoves(g);
    if (!go) return false;
    SettleMoves(g);
  }
  ctl.Phase = LoopPhase::kTurn;

  // 7. Log the turn, for a chaining side too (its entry holds the empty move).
  for (int p = 1; p <= 2; ++p) g.rec.TurnRecord[e.TurnNumber][p] = ctl.TurnMove[p];

  // 8-10.
  host.WaitFromMark(kMovesShownWait);
  if (ctl.Requests.Quit) return false;
  ForecastAttacks(g);
  ShowChosenMoves(g);
  if (ctl.Requests.Quit) return false;

  // 11-15. Drop, fall, one chain step.
  BuildDrop(g);
  AnimateFalls(e, g.canvas, host, g.cfg);
  if (ctl.Requests.Quit) return false;
  VanishStep(e, g.canvas, host, g.sound, g.cfg);
  if (ctl.Requests.Quit) return false;

  // 16-20. Reports, offsets, arrivals.
  ReportChains(g);
  OffsetNotices(g);
  const OffsetResult due = OffsetQueues(e);
  if (due.fall > 0) ObstructFall(g, due.side, due.fall);
  if (ctl.Requests.Quit) return false;
  ctl.Phase = LoopPhase::kBetweenTurns;

  // 21-22.
  CheckBurial(g);
  if (ctl.Requests.Quit) return false;
  ShowStatus(g);
  g.view.TurnEnded(g);
  return true;
}

}  // namespace

void ThinkMove(Game& g, int player, const TwinMove& current) {
  const std::optional<TwinMove> move = ThinkMove(ThinkContext(g), player, current);
  if (move) g.ctl.TurnMove[player] = *move;
}

std::string PlayerLabel(const std::string& recPlayerName) {
  if (recPlayerName == "No Info" || recPlayerName.size() < 4) return recPlayerName;
  const std::optional<int32_t> n = ParseInt(std::string_view(recPlayerName).substr(0, 4));
  if (!n || *n < 0) return recPlayerName;
  return recPlayerName.substr(4, static_cast<size_t>(*n));
}

std::string ChainReportLine(const Game& g, int side, int32_t chain) {
  // " 連鎖" in CP932.
  static constexpr char kRensa[] = " \x98\x41\x8D\xBD";
  return PlayerLabel(g.rec.RecPlayerName[side]) + "(" + IntToText(side) +
         ") : " + IntToText(chain) + (g.cfg.EnglishUI ? " Chain" : kRensa);
}

void QueueObstruct(Engine& e, int q, int32_t amount, int32_t turn) {
  int32_t& len = e.ObstructQueueLen[q];
  if (len >= kQueueCapacity) {
    e.ObstructQueueAmount[q][kQueueCapacity] += amount;
    return;
  }
  ++len;
  e.ObstructQueueAmount[q][len] = amount;
  e.ObstructQueueTurn[q][len] = turn;
}

OffsetResult OffsetQueues(Engine& e) {
  int32_t total[3] = {};
  for (int q = 1; q <= 2; ++q) {
    for (int i = 1; i <= e.ObstructQueueLen[q]; ++i) total[q] += e.ObstructQueueAmount[q][i];
  }
  const int s = total[1] >= total[2] ? 1 : 2;
  const int o = 3 - s;
  // The smaller total is spent entirely against the larger queue, oldest first.
  e.ObstructQueueLen[o] = 0;
  int32_t rest = total[o];
  int32_t* amount = e.ObstructQueueAmount[s];
  const int32_t* turn = e.ObstructQueueTurn[s];
  const int32_t len = e.ObstructQueueLen[s];
  for (int i = 1; i <= len; ++i) {
    if (amount[i] <= rest) {
      rest -= amount[i];
      amount[i] = 0;
    } else {
      amount[i] -= rest;
      rest = 0;
    }
  }
  // Arrivals: only on a side that is not chaining.
  OffsetResult r{s, 0};
  if (e.Boards[s].ChainCount == 0) {
    for (int i = 1; i <= len; ++i) {
      if (turn[i] <= e.TurnNumber) {
        r.fall += amount[i];
        amount[i] = 0;
      }
    }
  }
  // Exactly the emptied consignments go; the rest keep their order.
  int32_t kept = 0;
  for (int i = 1; i <= len; ++i) {
    if (amount[i] == 0) continue;
    ++kept;
    e.ObstructQueueAmount[s][kept] = amount[i];
    e.ObstructQueueTurn[s][kept] = turn[i];
  }
  e.ObstructQueueLen[s] = kept;
  return r;
}

void Main(Game& g) {
  MatchControl& ctl = g.ctl;
  if (ctl.InLoop()) return;
  ctl.Phase = LoopPhase::kBetweenTurns;
  ctl.EndReason.clear();
  g.view.ShowLevels(g.eng.PlayerLevel[1], g.eng.PlayerLevel[2]);
  ctl.FastReplay = false;
  // A jump to a turn of the loaded record (study.h) is acted on here: asked for while no
  // loop ran, at a replay step wait, or while the loop was finishing a turn, it rebuilds
  // the position and the replay goes on from there.
  for (;;) {
    if (ctl.Requests.Jump && !ctl.Requests.Quit) ApplyRequestedJump(g);
    if (ctl.Requests.TakeBack && !ctl.Requests.Quit) ApplyTakeBack(g);
    while (ctl.MatchRunning && !ctl.Requests.Quit) {
      if (!PlayTurn(g)) break;
    }
    if (!(ctl.Requests.Jump || ctl.Requests.TakeBack) || ctl.Requests.Quit) break;
  }
  ctl.Requests.Jump = false;
  ctl.Requests.TakeBack = false;
  ctl.Phase = LoopPhase::kIdle;
  g.host.SetPaceDivisor(1);
  KeepPlayedMatch(g);
  if (ctl.Requests.Quit) return;
  ShowStatus(g);
  g.view.LoopReturned(g);
}

}  // namespace dalu
