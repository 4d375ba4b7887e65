#include "match/move_list.h"

#include <algorithm>

#include "engine/chain.h"
#include "match/game.h"
#include "match/shadow_replay.h"
#include "match/study.h"
#include "util/text.h"

namespace dalu {

bool CanListMoves(const Game& g) {
  return CanStudy(g) ||
         (g.ctl.Record == RecordState::kLive && g.ctl.MatchReady && !g.ctl.Requests.Quit);
}

std::vector<MoveListRow> BuildMoveList(const Game& g) {
  std::vector<MoveListRow> rows;
  if (!CanListMoves(g)) return rows;
  const int32_t last = LastTurn(g);
  rows.resize(static_cast<size_t>(last) + 1);
  for (int32_t t = 0; t <= last; ++t) {
    MoveListRow& row = rows[static_cast<size_t>(t)];
    row.turn = t;
    const int32_t count = std::clamp<int32_t>(g.rec.CommentCount[t], 0, kCommentsPerIndex);
    for (int j = 1; j <= count; ++j) row.comments.push_back(g.rec.CommentText[t][j]);
    if (t == 0) continue;
    for (int p = 1; p <= 2; ++p) {
      row.move[p] = g.rec.TurnRecord[t][p];
      row.placed[p] = row.move[p].Column != 0;
    }
  }

  // The chain a move starts is the instant resolution of it on the board before the turn,
  // as the attack forecast of the turn computes it; a scratch engine keeps the replay's own
  // work board untouched.
  ShadowReplay shadow(g);
  auto scratch = std::make_unique<Engine>(shadow.game().eng);
  shadow.RunTo(last, [&rows, &scratch, last](Game& s) {
    const int32_t t = s.eng.TurnNumber;
    if (t < 1 || t > last) return;
    MoveListRow& row = rows[static_cast<size_t>(t)];
    for (int p = 1; p <= 2; ++p) {
      row.placed[p] = s.eng.Boards[p].ChainCount == 0;
      row.move[p] = s.ctl.TurnMove[p];
      row.chain[p] = 0;
      if (!row.placed[p]) continue;
      scratch->WorkBoard = s.eng.Boards[p];
      ResolveChains(*scratch, s.ctl.TurnMove[p], 2);
      row.chain[p] = scratch->WorkBoard.ResultChains;
    }
  });
  return rows;
}

namespace {

std::string Say(bool english, const char* en, const char* jaUtf8) {
  return english ? std::string(en) : Utf8ToCp932(jaUtf8);
}

}  // namespace

std::string MoveText(const TwinMove& m, bool english) {
  static constexpr const char* kEnglish[4] = {"up", "left", "down", "right"};
  static constexpr const char* kJapanese[4] = {"上", "左", "下", "右"};
  const int r = m.Rotation >= 0 && m.Rotation <= 3 ? m.Rotation : 0;
  if (english) return "col " + IntToText(m.Column) + " " + kEnglish[r];
  return IntToText(m.Column) + Utf8ToCp932("列 ") + Utf8ToCp932(kJapanese[r]);
}

std::string SideCellText(const MoveListRow& row, int side, bool english) {
  if (row.turn == 0 || side < 1 || side > 2) return {};
  if (!row.placed[side]) return "-";
  std::string text = MoveText(row.move[side], english);
  if (row.chain[side] > 0) {
    text += english ? ", " + IntToText(row.chain[side]) + " chain"
                    : Utf8ToCp932("、") + IntToText(row.chain[side]) + Utf8ToCp932("連鎖");
  }
  return text;
}

std::string CommentCellText(const MoveListRow& row) {
  std::string text;
  for (const std::string& c : row.comments) {
    if (!text.empty()) text += " / ";
    text += c;
  }
  return text;
}

std::string MoveListHeader(int column, bool english) {
  switch (column) {
    case 0:
      return Say(english, "Turn", "手");
    case 1:
      return Say(english, "Side 1", "１Ｐ");
    case 2:
      return Say(english, "Side 2", "２Ｐ");
    case 3:
      return Say(english, "Comments", "コメント");
    default:
      return {};
  }
}

std::string MoveListTitle(bool english) {
  return Say(english, "Move list", "手順一覧");
}

std::string TurnCellText(int32_t turn, bool english) {
  return turn == 0 ? Say(english, "Start", "開始") : IntToText(turn);
}

}  // namespace dalu
