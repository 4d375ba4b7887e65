// The review under the main window: the progress of a running review with its Cancel
// button, the graph of side 1's chance, the side whose mistakes are looked for, the Next
// mistake and Try again buttons, and a line that tells about the move on the screen or the
// last try. It shows texts the coach made and passes clicks on; it decides nothing.
#pragma once

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace dalu {

class ChanceGraph;

class ReviewWindow : public QWidget {
 public:
  explicit ReviewWindow(QWidget* parent = nullptr);

  // Captions in the current language.
  struct Captions {
    QString title, cancel, graph, side1, side2, nextMistake, tryAgain, anotherTry;
  };
  void SetCaptions(const Captions& c);

  // A running review: `done` of `total` turns; the bar and Cancel show only while it runs.
  void ShowProgress(int done, int total, const QString& text);
  void ShowFinished(const QString& text);
  // The line under the graph (the move shown, the try's result).
  void ShowNote(const QString& text);
  // anotherTry: a try has been compared; the try button offers another one.
  void EnableActions(bool nextMistake, bool tryAgain, bool anotherTry);

  int ChosenSide() const;  // 1 or 2

  ChanceGraph* Graph() const { return graph_; }
  QProgressBar* Progress() const { return progress_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* NextMistakeButton() const { return next_; }
  QPushButton* TryAgainButton() const { return try_; }
  QLabel* Status() const { return status_; }
  QLabel* Note() const { return note_; }
  QComboBox* SideChoice() const { return side_; }

  std::function<void()> onCancel;
  std::function<void()> onNextMistake;
  std::function<void()> onTryAgain;
  std::function<void(int side)> onSideChanged;

 private:
  QLabel* status_;
  QProgressBar* progress_;
  QPushButton* cancel_;
  ChanceGraph* graph_;
  QComboBox* side_;
  QPushButton* next_;
  QPushButton* try_;
  QString tryCaption_;
  QString anotherTryCaption_;
  QLabel* note_;
};

}  // namespace dalu
