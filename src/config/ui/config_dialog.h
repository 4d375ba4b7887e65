// The configuration dialog TF_CFG: the eight timing edits, Fast and Default, the two drawing
// options, the field size, the obstruct rates of both sides and the language. It has no
// cancel: closing it in any way (OK, the close box, Escape) applies every value and rewrites
// the configuration file.
//
// The widgets carry the names of the controls they stand for ("Edit1".."Edit8", "Bt_Fast",
// "Bt_Default", "ChB1", "ChB2", "Ed_Wd", "Ed_Hg", "Button1".."Button4", "CBx_ojp1",
// "CBx_ojp2", "CBx_Engl", "Bt_OK", ...) as their object names. Every decision is the core's
// (config/config_dialog.h); the dialog moves values between the widgets and the core.
#pragma once

#include <QDialog>
#include <array>

#include "config/config_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dalu {

struct Game;
struct FieldPictures;

// Shows the configuration dialog modally and applies everything when it closes. When the
// field size or a drawing option changed, the background is rebuilt (TF_File_BGPLoad) and
// copied whole onto the playfield, whose fields are then gone until the next match draws
// them. The caller then sets its own menus and level names in the (possibly new) language.
void RunConfigDialog(Game& g, FieldPictures& pictures, QWidget* parent);

class TF_CFG : public QDialog {
  Q_OBJECT

 public:
  // The client area as the dialog was laid out.
  static constexpr int kClientWidth = 451;
  static constexpr int kClientHeight = 447;

  explicit TF_CFG(Game& g, QWidget* parent = nullptr);

  // What the last close did (whether the background needs rebuilding, whether the file was
  // written).
  const ConfigCloseResult& closeResult() const { return closeResult_; }

  // Closing in any way ends here: applies the dialog's values to the game (FormClose).
  void done(int result) override;

 protected:
  // Fills every widget from the game, in the current language (FormActivate).
  void showEvent(QShowEvent* event) override;
  // The Enter ring of the timing edits, and the rule applied when an edit is left.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormActivate();
  void SetTexts(bool english);
  void LeaveEdit(QLineEdit* edit);
  void StepSize(QLineEdit* edit, int step, int32_t min, int32_t max, int32_t fallback);
  ConfigDialogValues Values();

  Game& g_;
  ConfigCloseResult closeResult_;
  bool applied_ = true;   // the values of the current showing have been applied
  bool leaving_ = false;  // an edit's rule is running (its message box takes the focus)
  ConfigDialogValues shown_;

  QGroupBox* GBx1_;
  QGroupBox* GBx2_;
  std::array<QLabel*, kTimingItems> labels_{};    // Label1..Label8
  std::array<QLineEdit*, kTimingItems> edits_{};  // Edit1..Edit8
  QPushButton* Bt_Fast_;
  QPushButton* Bt_Default_;
  QCheckBox* ChB1_;
  QCheckBox* ChB2_;
  QLabel* Label21_;
  QLabel* Label22_;
  QLabel* Label23_;
  QLabel* Label231_;
  QLabel* Label232_;
  QLineEdit* Ed_Wd_;
  QLineEdit* Ed_Hg_;
  QComboBox* CBx_ojp1_;
  QComboBox* CBx_ojp2_;
  QLabel* Label0_;
  QComboBox* CBx_Engl_;
  QPushButton* Bt_OK_;
};

}  // namespace dalu
