#include "match/ui/move_list_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "match/game.h"
#include "match/study.h"
#include "util/text.h"
#include "util/ui/qt_text.h"

namespace dalu {

namespace {

constexpr int kColumns = 4;  // turn, side 1, side 2, comments

}  // namespace

MoveListWindow::MoveListWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool), table_(new QTableWidget(0, kColumns, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(table_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);
  resize(480, 520);
  connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) { CellClicked(row); });
  SetRows({}, true);
}

void MoveListWindow::ShowRecord(const Game& g) {
  SetRows(BuildMoveList(g), g.cfg.EnglishUI);
  Follow(g);
}

void MoveListWindow::SetExtraColumns(std::vector<ExtraColumn> columns,
                                     std::vector<std::vector<ExtraCell>> rows) {
  extraColumns_ = std::move(columns);
  extraRows_ = std::move(rows);
  const int32_t marked = marked_;
  SetRows(std::move(rows_), english_);
  MarkTurn(marked);
}

void MoveListWindow::SetRows(std::vector<MoveListRow> rows, bool english) {
  rows_ = std::move(rows);
  english_ = english;
  marked_ = -1;
  setWindowTitle(FromCp932(MoveListTitle(english)));
  // The table's column of each list column and of each added one, which stands after the
  // list column it names (never after the comments, which stretch to the edge).
  const int extra = static_cast<int>(extraColumns_.size());
  std::vector<int> at(kColumns), extraAt(static_cast<size_t>(extra));
  QStringList headers;
  for (int c = 0, next = 0; c < kColumns; ++c) {
    at[static_cast<size_t>(c)] = next++;
    headers << FromCp932(MoveListHeader(c, english));
    for (int x = 0; x < extra; ++x) {
      const ExtraColumn& e = extraColumns_[static_cast<size_t>(x)];
      if (std::clamp(e.after, 0, kColumns - 2) != c) continue;
      extraAt[static_cast<size_t>(x)] = next++;
      headers << e.header;
    }
  }
  table_->clearContents();
  table_->setColumnCount(kColumns + extra);
  table_->setHorizontalHeaderLabels(headers);
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const MoveListRow& row = rows_[static_cast<size_t>(r)];
    const std::string cells[kColumns] = {TurnCellText(row.turn, english),
                                         SideCellText(row, 1, english),
                                         SideCellText(row, 2, english), CommentCellText(row)};
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(FromCp932(cells[c]));
      if (c == 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, at[static_cast<size_t>(c)], item);
    }
    const size_t turn = static_cast<size_t>(row.turn);
    for (int x = 0; x < extra; ++x) {
      auto* item = new QTableWidgetItem;
      if (turn < extraRows_.size() && x < static_cast<int>(extraRows_[turn].size())) {
        item->setText(extraRows_[turn][static_cast<size_t>(x)].text);
        item->setToolTip(extraRows_[turn][static_cast<size_t>(x)].tip);
      }
      item->setTextAlignment(Qt::AlignCenter);
      table_->setItem(r, extraAt[static_cast<size_t>(x)], item);
    }
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
}

void MoveListWindow::Follow(const Game& g) {
  // A live match's rows show its turns so far; its last is marked, but a click cannot go
  // back into a match in play.
  clickable_ = CanStudy(g);
  MarkTurn(clickable_ ? StudyTurn(g) : CanListMoves(g) ? ShownTurn(g) : -1);
}

void MoveListWindow::MarkTurn(int32_t turn) {
  const int count = static_cast<int>(rows_.size());
  const int32_t row = turn >= 0 && turn < count ? turn : -1;
  if (marked_ >= 0 && marked_ < count) {
    for (int c = 0; c < table_->columnCount(); ++c) {
      QTableWidgetItem* item = table_->item(marked_, c);
      QFont font = item->font();
      font.setBold(false);
      item->setFont(font);
    }
  }
  marked_ = row;
  if (row < 0) {
    table_->clearSelection();
    return;
  }
  for (int c = 0; c < table_->columnCount(); ++c) {
    QTableWidgetItem* item = table_->item(row, c);
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
  }
  table_->selectRow(row);
  table_->scrollToItem(table_->item(row, 0));
}

void MoveListWindow::CellClicked(int row) {
  if (!clickable_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
  const int32_t turn = rows_[static_cast<size_t>(row)].turn;
  emit turnRequested(turn);
  if (onTurnClicked) onTurnClicked(turn);
}

}  // namespace dalu
