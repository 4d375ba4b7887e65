// The Controls dialog of the Edit menu: how the keyboard steers (controls.h). It shows the
// options it is given and hands back what the user chose; the main window applies them and
// keeps them in the program's settings file. Every text comes from the core's table.
#pragma once

#include <QDialog>

#include "match/controls.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;

namespace dalu {

class ControlsDialog : public QDialog {
 public:
  ControlsDialog(const SteeringOptions& options, bool english, QWidget* parent = nullptr);

  // What the widgets show now.
  SteeringOptions Options() const;

  // ---- For tests ----
  QCheckBox* PressOnlyBox() const { return pressOnly_; }
  QComboBox* DropKeyBox() const { return dropKey_; }
  QCheckBox* LandingBox() const { return landing_; }
  QDialogButtonBox* Buttons() const { return buttons_; }

 private:
  QCheckBox* pressOnly_;
  QComboBox* dropKey_;
  QCheckBox* landing_;
  QDialogButtonBox* buttons_;
};

// Reads the options from the program's settings file of appDir (defaults where it holds
// none), and writes them there.
SteeringOptions LoadSteeringOptions(const std::string& appDir);
void SaveSteeringOptions(const std::string& appDir, const SteeringOptions& options);

}  // namespace dalu
