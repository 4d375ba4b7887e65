#include "coach/ui/hint_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace dalu {

HintWindow::HintWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool), heading_(new QLabel(this)), table_(new QTableWidget(0, 3, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(heading_);
  layout->addWidget(table_);
  heading_->setWordWrap(true);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFocusPolicy(Qt::NoFocus);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  resize(300, 200);
}

void HintWindow::SetHeaders(const QString& title, const Row& headers) {
  setWindowTitle(title);
  table_->setHorizontalHeaderLabels({headers[0], headers[1], headers[2]});
}

void HintWindow::ShowMessage(const QString& heading) {
  heading_->setText(heading);
  table_->setRowCount(0);
}

void HintWindow::ShowCandidates(const QString& heading, const std::vector<Row>& rows, int chosen) {
  heading_->setText(heading);
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    for (int c = 0; c < 3; ++c) {
      auto* item = new QTableWidgetItem(rows[static_cast<size_t>(r)][static_cast<size_t>(c)]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (r == chosen) {
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
      }
      table_->setItem(r, c, item);
    }
  }
  table_->resizeColumnsToContents();
  table_->resizeRowsToContents();
  if (chosen >= 0 && chosen < table_->rowCount()) table_->scrollToItem(table_->item(chosen, 0));
}

}  // namespace dalu
