// Helpers for building boards by hand in tests.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/field_canvas.h"

namespace dalu::testing {

// Resets e's boards to empty fields of the current size.
inline void FreshBoards(Engine& e) {
  NullCanvas canvas;
  InitBoards(e, canvas);
}

// Fills side p's board from rows given top to bottom; the last string is row 1.
// '.' empty, '1'..'9' a colour, 'X' an obstruct bead.
inline void SetRows(Engine& e, int p, const std::vector<std::string>& rows) {
  Board& b = e.Boards[p];
  const int n = static_cast<int>(rows.size());
  for (int i = 0; i < n; ++i) {
    const int y = n - i;
    for (int x = 1; x <= static_cast<int>(rows[i].size()); ++x) {
      const char ch = rows[i][x - 1];
      b.Cells[x][y] = ch == '.' ? kEmpty : ch == 'X' ? kObstruct : ch - '0';
    }
  }
}

// Rows H down to 1 of board b, in the same notation.
inline std::vector<std::string> Rows(const Engine& e, const Board& b) {
  std::vector<std::string> out;
  for (int y = e.FieldHeight; y >= 1; --y) {
    std::string line;
    for (int x = 1; x <= e.FieldWidth; ++x) {
      const int32_t c = b.Cells[x][y];
      line += c == kEmpty ? '.' : c == kObstruct ? 'X' : (c >= 1 && c <= 9) ? char('0' + c) : '?';
    }
    out.push_back(line);
  }
  return out;
}

inline int CountBeads(const Engine& e, const Board& b) {
  int n = 0;
  for (int x = 1; x <= e.FieldWidth; ++x)
    for (int y = 1; y <= e.FieldHeight; ++y) n += b.Cells[x][y] > 0;
  return n;
}

}  // namespace dalu::testing
