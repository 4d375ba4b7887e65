#include "match/match_view.h"

#include <ostream>

#include "match/game.h"
#include "util/text.h"

namespace dalu {

std::vector<std::string> FieldRows(const Game& g, int side) {
  const Engine& e = g.eng;
  const Board& b = e.Boards[side];
  std::vector<std::string> rows;
  rows.reserve(e.FieldHeight);
  for (int y = e.FieldHeight; y >= 1; --y) {
    std::string line;
    for (int x = 1; x <= e.FieldWidth; ++x) {
      const int32_t c = b.Cells[x][y];
      line += c == kObstruct ? 'X' : IsColour(c) ? static_cast<char>('0' + c) : '.';
    }
    rows.push_back(std::move(line));
  }
  return rows;
}

void PrintingView::AddMemoLine(const std::string& line) {
  out_ << Cp932ToUtf8(line) << '\n';
}

void PrintingView::TurnEnded(const Game& g) {
  if (!showFields_) return;
  const std::vector<std::string> left = FieldRows(g, 1);
  const std::vector<std::string> right = FieldRows(g, 2);
  out_ << "-- turn " << g.eng.TurnNumber << " --\n";
  for (size_t i = 0; i < left.size(); ++i) out_ << left[i] << "   " << right[i] << '\n';
  out_.flush();
}

}  // namespace dalu
