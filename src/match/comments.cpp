#include "match/comments.h"

#include <algorithm>

#include "match/game.h"

namespace dalu {

int CommentIndex(const Game& g) {
  const int32_t i = g.ctl.InTurn() ? g.eng.TurnNumber - 1 : g.eng.TurnNumber;
  return std::clamp<int32_t>(i, 0, kMaxCommentIndex);
}

void StoreComment(Game& g, const std::vector<std::string>& memoLines) {
  const int i = CommentIndex(g);
  BattleRecord& rec = g.rec;
  rec.CommentCount[i] = 0;
  const size_t n = memoLines.size();
  for (size_t line = n > kCommentsPerIndex ? n - kCommentsPerIndex : 0; line < n; ++line) {
    std::string text = memoLines[line];
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    rec.CommentText[i][++rec.CommentCount[i]] = std::move(text);
  }
}

}  // namespace dalu
