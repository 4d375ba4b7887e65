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
constexpr int kFirstExtra = 3;  // added columns stand before the comments

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

void MoveListWindow::SetExtraColumns(QStringList headers,
                                     std::vector<std::vector<ExtraCell>> rows) {
  extraHeaders_ = std::move(headers);
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
  const int extra = static_cast<int>(extraHeaders_.size());
  QStringList headers;
  for (int c = 0; c < kColumns; ++c) headers << FromCp932(MoveListHeader(c, english));
  for (int c = 0; c < extra; ++c) headers.insert(kFirstExtra + c, extraHeaders_[c]);
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
      table_->setItem(r, c < kFirstExtra ? c : c + extra, item);
    }
    const size_t turn = static_cast<size_t>(row.turn);
    for (int c = 0; c < extra; ++c) {
      auto* item = new QTableWidgetItem;
      if (turn < extraRows_.size() && c < static_cast<int>(extraRows_[turn].size())) {
        item->setText(extraRows_[turn][static_cast<size_t>(c)].text);
        item->setToolTip(extraRows_[turn][static_cast<size_t>(c)].tip);
      }
      item->setTextAlignment(Qt::AlignCenter);
      table_->setItem(r, kFirstExtra + c, item);
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
