#include "match/match_commands.h"

#include "engine/field_draw.h"
#include "match/game.h"
#include "match/match_loop.h"
#include "match/notices.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

void MMnotEnable(Game& g) {
  g.view.SetMatchRunning(true);
  g.ctl.MatchRunning = true;
}

void MMEnable(Game& g) {
  g.view.SetMatchRunning(false);
  g.ctl.MatchRunning = false;
}

void ShowFieldsOnNewBackground(Game& g, bool sizeChanged) {
  if (g.ctl.MatchReady && !sizeChanged) {
    DrawPosition(g.eng, g.canvas);
  } else {
    g.canvas.RestoreAll();
  }
  g.canvas.Present();
}

std::string CaptionText(const Game& g) {
  // A record's title may be as long as its file allows; the caption keeps the start of it.
  std::string caption =
      PathText(g.rec.RecFileName) + " ( " + ShortenText(g.rec.RecTitle, kCaptionTitleBytes) + " )";
  if (g.ctl.ReplayMode) caption += "  :replay";
  return caption;
}

void FormTitle(Game& g) {
  g.view.SetCaption(CaptionText(g));
}

bool CanSaveAs(Game& g) {
  if (HasRecordHeader(g.rec)) return true;
  g.host.ShowError(NoticeText(Notice::kNothingToSave, g.cfg.EnglishUI));
  return false;
}

bool SaveAs(Game& g, const std::string& chosenPath) {
  if (!CanSaveAs(g)) return false;
  const bool saved = TF_File_SaveAs(g, chosenPath, g.ctl.MatchRunning);
  FormTitle(g);  // the record now goes by the chosen name, even when writing it failed
  return saved;
}

void StopContinueClick(Game& g) {
  MatchControl& ctl = g.ctl;
  Engine& e = g.eng;
  if (ctl.MatchRunning) {
    // Stop. Only moves that are still being chosen are replaced: once logged, the turn is
    // played as logged. A replay plays its recorded moves.
    if (!ctl.ReplayMode && ctl.Phase == LoopPhase::kMovesOpen) {
      const int s = ctl.InputSide;
      if ((s == 1 || s == 2) && e.PlayerLevel[s] == 0 && e.Boards[s].ChainCount == 0) {
        // The steered twin goes back to where the drop now starts.
        EraseTwin(e, g.canvas, s, ctl.InputTwin);
        DrawTwin(e, g.canvas, s, ctl.ShownTwin[s]);
        g.canvas.Present();
      }
      ctl.InputSide = 3;
      for (int p = 1; p <= 2; ++p) {
        if (e.Boards[p].ChainCount == 0) ctl.TurnMove[p] = ctl.ShownTwin[p];
      }
    }
    MMEnable(g);
    return;
  }
  // Continue.
  if (!ctl.MatchReady || ctl.Requests.Quit) return;
  if (!ctl.InLoop() && !BoardsFitFieldSize(e)) {
    g.host.ShowError(NoticeText(Notice::kFieldSizeChanged, g.cfg.EnglishUI));
    return;
  }
  MMnotEnable(g);
  if (ctl.InLoop()) return;  // the loop still finishing its turn simply goes on
  Main(g);
}

void NextStepClick(Game& g) {
  g.ctl.WaitForStep = false;
}

void TailClick(Game& g) {
  g.ctl.FastReplay = true;
  g.ctl.WaitForStep = false;
}

void PauseReplayClick(Game& g) {
  g.ctl.FastReplay = false;
}

void EndReplayClick(Game& g) {
  MatchControl& ctl = g.ctl;
  // Only a turn that waits for its step can be taken back; at any other moment the
  // position does not fit the setting back, so the click is ignored.
  if (ctl.Phase != LoopPhase::kStepWait || !ctl.ReplayMode || ctl.Requests.EndReplay) return;
  ctl.Requests.EndReplay = true;
  ctl.WaitForStep = false;
  MMEnable(g);
}

void CloseRequested(Game& g) {
  g.ctl.Requests.Quit = true;
  g.ctl.MatchRunning = false;
  g.ctl.WaitForStep = false;
  g.ctl.InputSide = 3;
}

}  // namespace dalu
