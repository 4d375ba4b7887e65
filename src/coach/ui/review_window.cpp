#include "coach/ui/review_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "coach/ui/chance_graph.h"

namespace dalu {

ReviewWindow::ReviewWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool),
      status_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      cancel_(new QPushButton(this)),
      graph_(new ChanceGraph(this)),
      side_(new QComboBox(this)),
      next_(new QPushButton(this)),
      try_(new QPushButton(this)),
      note_(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(3);
  auto* top = new QHBoxLayout;
  top->addWidget(status_, 1);
  top->addWidget(progress_, 1);
  top->addWidget(cancel_);
  layout->addLayout(top);
  layout->addWidget(graph_, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(side_);
  row->addWidget(next_);
  row->addWidget(try_);
  row->addStretch(1);
  layout->addLayout(row);
  layout->addWidget(note_);
  note_->setWordWrap(true);
  side_->addItems({QString(), QString()});
  // The buttons never take the keyboard from the game (a try steers with the arrows).
  for (QWidget* w : std::initializer_list<QWidget*>{cancel_, side_, next_, try_}) {
    w->setFocusPolicy(Qt::NoFocus);
  }
  progress_->hide();
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (onCancel) onCancel();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    if (onNextMistake) onNextMistake();
  });
  connect(try_, &QPushButton::clicked, this, [this] {
    if (onTryAgain) onTryAgain();
  });
  connect(side_, &QComboBox::currentIndexChanged, this, [this](int i) {
    graph_->SetSide(i + 1);
    if (onSideChanged) onSideChanged(i + 1);
  });
  EnableActions(false, false, false);
  resize(340, 230);
}

void ReviewWindow::SetCaptions(const Captions& c) {
  setWindowTitle(c.title);
  cancel_->setText(c.cancel);
  graph_->SetCaption(c.graph);
  side_->setItemText(0, c.side1);
  side_->setItemText(1, c.side2);
  next_->setText(c.nextMistake);
  tryCaption_ = c.tryAgain;
  anotherTryCaption_ = c.anotherTry;
  try_->setText(tryCaption_);
}

void ReviewWindow::ShowProgress(int done, int total, const QString& text) {
  status_->setText(text);
  progress_->setRange(0, std::max(total, 1));
  progress_->setValue(done);
  progress_->show();
  cancel_->show();
}

void ReviewWindow::ShowFinished(const QString& text) {
  status_->setText(text);
  progress_->hide();
  cancel_->hide();
}

void ReviewWindow::ShowNote(const QString& text) {
  note_->setText(text);
}

void ReviewWindow::EnableActions(bool nextMistake, bool tryAgain, bool anotherTry) {
  next_->setEnabled(nextMistake);
  try_->setEnabled(tryAgain);
  try_->setText(anotherTry ? anotherTryCaption_ : tryCaption_);
}

int ReviewWindow::ChosenSide() const {
  return side_->currentIndex() == 1 ? 2 : 1;
}

}  // namespace dalu
