#include "match/ui/move_list_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

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

void MoveListWindow::SetRows(std::vector<MoveListRow> rows, bool english) {
  rows_ = std::move(rows);
  marked_ = -1;
  setWindowTitle(FromCp932(MoveListTitle(english)));
  QStringList headers;
  for (int c = 0; c < kColumns; ++c) headers << FromCp932(MoveListHeader(c, english));
  table_->setHorizontalHeaderLabels(headers);
  table_->clearContents();
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const MoveListRow& row = rows_[static_cast<size_t>(r)];
    const std::string cells[kColumns] = {TurnCellText(row.turn, english),
                                         SideCellText(row, 1, english),
                                         SideCellText(row, 2, english), CommentCellText(row)};
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(FromCp932(cells[c]));
      if (c == 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
}

void MoveListWindow::Follow(const Game& g) {
  clickable_ = CanStudy(g);
  MarkTurn(clickable_ ? StudyTurn(g) : -1);
}

void MoveListWindow::MarkTurn(int32_t turn) {
  const int count = static_cast<int>(rows_.size());
  const int32_t row = turn >= 0 && turn < count ? turn : -1;
  if (marked_ >= 0 && marked_ < count) {
    for (int c = 0; c < kColumns; ++c) {
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
  for (int c = 0; c < kColumns; ++c) {
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
