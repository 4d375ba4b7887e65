// The hint beside the main window: the hint level's placements of the twin being steered,
// best first (column, rotation, score, as `dalumaster-cli analyse` prints them), the
// level's choice in bold. It shows texts the coach made; it decides nothing.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

class QLabel;
class QTableWidget;

namespace dalu {

class HintWindow : public QWidget {
 public:
  using Row = std::array<QString, 3>;  // column, rotation, score

  explicit HintWindow(QWidget* parent = nullptr);

  void SetHeaders(const QString& title, const Row& headers);
  // A heading alone (thinking, nothing to hint): the table empties.
  void ShowMessage(const QString& heading);
  // The candidates, best first; row `chosen` is the level's move (-1: none).
  void ShowCandidates(const QString& heading, const std::vector<Row>& rows, int chosen);

  QLabel* Heading() const { return heading_; }
  QTableWidget* Table() const { return table_; }

 private:
  QLabel* heading_;
  QTableWidget* table_;
};

}  // namespace dalu
