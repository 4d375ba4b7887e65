#include "match/steering.h"

#include "engine/field_draw.h"
#include "engine/twins.h"
#include "match/game.h"

namespace dalu {

namespace {

constexpr int kStartColumn = 4;

void KeyEvent(Game& g, int virtualKey, bool keyUp) {
  MatchControl& ctl = g.ctl;
  const Engine& e = g.eng;
  const uint32_t now = g.host.TickMs();
  if (now - ctl.LastKeyTime < kKeyGateMs) return;  // wrapping arithmetic, like the tick
  ctl.PendingKey = ' ';
  const char action = TranslateKey(virtualKey, keyUp, ctl.Steering);
  if (action == ' ') return;
  ctl.PendingKey = action;
  ctl.LastKeyTime = now;
  // Keys steer only while a live turn's moves are being chosen.
  if (ctl.ReplayMode || ctl.Phase != LoopPhase::kMovesOpen) {
    ctl.PendingKey = 0;
    return;
  }
  for (int side = 1; side <= 2; ++side) {
    if (ctl.InputSide == side && e.PlayerLevel[side] == 0 && e.Boards[side].ChainCount == 0) {
      SteerTwin(g);  // after a first call has consumed the key, a second does nothing
    }
  }
}

// The colour keys of edit mode: colour k goes into the next bead slot of the twins handed
// out this turn.
void EditColour(Game& g, int32_t k) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  ctl.EditSlot = (ctl.EditSlot + 1) % 4;
  if (ctl.AutoTwin) ctl.EditSlot %= 2;
  const int32_t slot = ctl.EditSlot;
  const bool chaining1 = e.Boards[1].ChainCount > 0;
  const bool chaining2 = e.Boards[2].ChainCount > 0;
  const int32_t n1 = e.TwinIndex[1] - 1;
  const int32_t n2 = e.TwinIndex[2] - 1;
  if (n1 < 1 || n2 < 1) return;  // nothing has been handed out yet
  int32_t* seq1 = e.TwinSequence[1];
  int32_t* seq2 = e.TwinSequence[2];
  if (!chaining1 && slot == 0) seq1[2 * n1 - 1] = k;
  if (!chaining1 && slot == 1) seq1[2 * n1] = k;
  if (!chaining2 && (slot == 2 || (slot == 0 && ctl.AutoTwin))) seq2[2 * n2 - 1] = k;
  if (!chaining2 && (slot == 3 || (slot == 1 && ctl.AutoTwin))) seq2[2 * n2] = k;

  // Side 1 steers the new colours; its handed twin follows them, so a Stop now drops
  // what the sequence holds.
  ctl.InputTwin.Colour1 = seq1[2 * n1 - 1];
  ctl.InputTwin.Colour2 = seq1[2 * n1];
  ctl.ShownTwin[1].Colour1 = ctl.InputTwin.Colour1;
  ctl.ShownTwin[1].Colour2 = ctl.InputTwin.Colour2;

  // Side 2's twin goes back to its start with its colours, replacing a move a computer
  // side already chose. A chaining side 2 drops nothing and keeps its empty move.
  if (chaining2) return;
  TwinMove reset = ctl.ShownTwin[2];
  reset.Colour1 = seq2[2 * n2 - 1];
  reset.Colour2 = seq2[2 * n2];
  reset.Column = kStartColumn;
  reset.Rotation = 0;
  DrawTwin(e, g.canvas, 2, reset);
  ctl.TurnMove[2] = reset;
  ctl.ShownTwin[2] = reset;
}

// The row a bead dropped into column x comes to rest in; H + 1 when the column is full.
int RestingRow(const Board& b, int x, int H) {
  for (int y = 1; y <= H; ++y) {
    if (b.Cells[x][y] == kEmpty) return y;
  }
  return H + 1;
}

bool HasBeadPicture(const Engine& e, int32_t colour) {
  return colour >= 1 && colour <= 10 && e.ColourImage[colour] >= 1 && e.ColourImage[colour] <= 6;
}

}  // namespace

char TranslateKey(int virtualKey, bool keyUp, const SteeringOptions& options) {
  if (options.DropKey != 0 && virtualKey == options.DropKey) return keyUp ? ' ' : '2';
  if (keyUp && options.MovePressOnly && (virtualKey == vk::kLeft || virtualKey == vk::kRight)) {
    return ' ';
  }
  return TranslateKey(virtualKey, keyUp);
}

char TranslateKey(int virtualKey, bool keyUp) {
  if (keyUp) {
    switch (virtualKey) {
      case vk::kLeft:
        return '4';
      case vk::kRight:
        return '6';
      case vk::kDown:
        return '2';
      default:
        return ' ';
    }
  }
  switch (virtualKey) {
    case vk::kNumpad4:
    case vk::kLeft:
    case vk::kI:
      return '4';
    case vk::kNumpad6:
    case vk::kRight:
    case vk::kP:
      return '6';
    case vk::kNumpad2:
    case vk::kL:
      return '2';
    case vk::kNumpad5:
    case vk::kO:
      return '5';
    case vk::kX:
      return 'x';
    case vk::kZ:
      return 'z';
    case vk::kQ:
      return 'q';
    case vk::kW:
      return 'w';
    case vk::kE:
      return 'e';
    case vk::kR:
      return 'r';
    default:
      return ' ';
  }
}

void KeyDown(Game& g, int virtualKey) {
  KeyEvent(g, virtualKey, false);
}
void KeyUp(Game& g, int virtualKey) {
  KeyEvent(g, virtualKey, true);
}

void SteerTwin(Game& g) {
  MatchControl& ctl = g.ctl;
  Engine& e = g.eng;
  const char key = ctl.PendingKey;
  const int side = ctl.InputSide;
  if (key == 0 || side < 1 || side > 2) return;
  TwinMove& t = ctl.InputTwin;
  const int W = e.FieldWidth;

  EraseTwin(e, g.canvas, side, t);
  switch (key) {
    case '4':
      t.Column -= 1;
      break;
    case '6':
      t.Column += 1;
      break;
    case 'z':
      t.Rotation = (t.Rotation + 1) % 4;
      break;
    case '5':
    case 'x':
      t.Rotation = (t.Rotation + 3) % 4;
      break;
    default:
      break;
  }
  if (ctl.EditMode && side == 1 && (key == 'q' || key == 'w' || key == 'e' || key == 'r')) {
    const int32_t k = key == 'q' ? 1 : key == 'w' ? 2 : key == 'e' ? 3 : 4;
    // There is no bead picture for a colour that is not in play.
    if (k <= e.ColourCount) EditColour(g, k);
  }
  // Kick the twin off the walls: one step each way suffices, since a key moves it by one.
  if (t.Column > W || (t.Column == W && t.Rotation == 3)) t.Column -= 1;
  if (t.Column < 1 || (t.Column == 1 && t.Rotation == 1)) t.Column += 1;
  DrawTwin(e, g.canvas, side, t);
  ShowLanding(g);
  g.canvas.Present();

  // Only a drop that has room is confirmed. (The keys act only while the loop waits for
  // moves, so the match is always running here.)
  if (key != '2' || IsBlocked(e, e.Boards[side], t)) {
    ctl.PendingKey = 0;
    return;
  }
  ctl.TurnMove[side] = t;
  ctl.InputSide = side + 1;
  if (ctl.AutoTwin && ctl.InputSide == 2) {
    // Side 2 mirrors side 1's placement with its own colours, whoever controls it.
    if (e.Boards[2].ChainCount == 0) {
      TwinMove mirror = ctl.ShownTwin[2];
      mirror.Column = ctl.TurnMove[1].Column;
      mirror.Rotation = ctl.TurnMove[1].Rotation;
      ctl.TurnMove[2] = mirror;
      if (e.PlayerLevel[2] == 0) {
        // A keyboard side 2 is not shown by the loop: show where its twin now drops from.
        EraseTwin(e, g.canvas, 2, ctl.ShownTwin[2]);
        DrawTwin(e, g.canvas, 2, mirror);
      }
    }
    ctl.InputSide = 3;
  }
  if (ctl.InputSide == 2) ctl.InputTwin = ctl.ShownTwin[2];
  // The second user must not see where the first one dropped.
  if (e.PlayerLevel[2] == 0 && ctl.InputSide == 2) EraseTwin(e, g.canvas, 1, ctl.TurnMove[1]);
  ShowLanding(g);  // side 1's outline goes; a second user's twin gets its own
  g.canvas.Present();
  ctl.PendingKey = 0;
}

void HideLanding(Game& g) {
  MatchControl& ctl = g.ctl;
  const Engine& e = g.eng;
  const int side = ctl.LandingSide;
  if (side < 1 || side > 2) return;
  for (const int32_t* cell : ctl.LandingCells) {
    const int x = cell[0];
    const int y = cell[1];
    if (y < 1 || y > e.FieldHeight || x < 1 || x > e.FieldWidth) continue;
    // The board does not change while a move is chosen; should it have, the bead stays.
    EraseCell(e, g.canvas, side, x, y);
    DrawSettled(e, g.canvas, side, x, y);
  }
  ctl.LandingSide = 0;
  g.canvas.Present();
}

void ShowLanding(Game& g) {
  HideLanding(g);
  MatchControl& ctl = g.ctl;
  const Engine& e = g.eng;
  const int side = ctl.InputSide;
  if (!ctl.Steering.ShowLanding || ctl.ReplayMode || !ctl.MovesOpen || side < 1 || side > 2 ||
      e.PlayerLevel[side] != 0 || e.Boards[side].ChainCount > 0) {
    return;
  }
  const TwinMove& t = ctl.InputTwin;
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  if (t.Rotation < 0 || t.Rotation > 3) return;
  const int x1 = t.Column;
  const int x2 = t.Column + DX[t.Rotation];
  if (x1 < 1 || x1 > W || x2 < 1 || x2 > W) return;
  const Board& b = e.Boards[side];
  // The bead below lands first and the other comes to rest on it; side by side, each
  // falls in its own column.
  int y1 = RestingRow(b, x1, H);
  int y2 = RestingRow(b, x2, H);
  if (t.Rotation == 0) y2 = y1 + 1;
  if (t.Rotation == 2) y1 = y2 + 1;
  const int32_t colours[2] = {t.Colour1, t.Colour2};
  const int xs[2] = {x1, x2};
  const int ys[2] = {y1, y2};
  for (int i = 0; i < 2; ++i) {
    const bool shown = ys[i] <= H && HasBeadPicture(e, colours[i]);
    ctl.LandingCells[i][0] = xs[i];
    ctl.LandingCells[i][1] = shown ? ys[i] : 0;
    if (!shown) continue;
    const Pixel px = CellPixel(e, side, xs[i], ys[i]);
    g.canvas.DrawOutline(BeadImage(e, colours[i], 0), px.x, px.y);
  }
  ctl.LandingSide = side;
  g.canvas.Present();
}

void ToggleEditMode(Game& g) {
  g.ctl.EditMode = !g.ctl.EditMode;
}

void ToggleAutoTwin(Game& g) {
  // Switching it on takes EditMode; switching it off is always possible, or a computer
  // opponent would go on copying every placement once EditMode is off.
  if (g.ctl.EditMode || g.ctl.AutoTwin) g.ctl.AutoTwin = !g.ctl.AutoTwin;
}

}  // namespace dalu
