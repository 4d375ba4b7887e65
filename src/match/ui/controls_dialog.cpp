#include "match/ui/controls_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "util/ui/program_settings.h"
#include "util/ui/qt_text.h"

namespace dalu {

namespace {

// Keys of the program's settings file.
const char kPressOnlyKey[] = "Controls/MovePressOnly";
const char kDropKeyKey[] = "Controls/DropKey";
const char kLandingKey[] = "Controls/ShowLanding";

}  // namespace

ControlsDialog::ControlsDialog(const SteeringOptions& options, bool english, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("ControlsDialog"));
  setWindowTitle(FromCp932(ControlsCaption(ControlsText::kTitle, english)));
  pressOnly_ = new QCheckBox(FromCp932(ControlsCaption(ControlsText::kMovePressOnly, english)));
  pressOnly_->setChecked(options.MovePressOnly);
  dropKey_ = new QComboBox;
  const auto choices = DropKeyChoices();
  for (size_t i = 0; i < choices.size(); ++i) {
    dropKey_->addItem(FromCp932(DropKeyName(static_cast<int>(i), english)), choices[i].virtualKey);
  }
  dropKey_->setCurrentIndex(std::max(DropKeyIndex(options.DropKey), 0));
  landing_ = new QCheckBox(FromCp932(ControlsCaption(ControlsText::kShowLanding, english)));
  landing_->setChecked(options.ShowLanding);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* dropRow = new QFormLayout;
  dropRow->addRow(FromCp932(ControlsCaption(ControlsText::kDropKey, english)), dropKey_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pressOnly_);
  layout->addLayout(dropRow);
  layout->addWidget(landing_);
  layout->addWidget(buttons_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

SteeringOptions ControlsDialog::Options() const {
  SteeringOptions o;
  o.MovePressOnly = pressOnly_->isChecked();
  o.DropKey = dropKey_->currentData().toInt();
  o.ShowLanding = landing_->isChecked();
  return o;
}

SteeringOptions LoadSteeringOptions(const std::string& appDir) {
  const auto settings = OpenProgramSettings(appDir);
  SteeringOptions o;
  o.MovePressOnly = settings->value(QLatin1String(kPressOnlyKey), false).toBool();
  o.DropKey = settings->value(QLatin1String(kDropKeyKey), 0).toInt();
  o.ShowLanding = settings->value(QLatin1String(kLandingKey), false).toBool();
  return CheckedSteeringOptions(o);
}

void SaveSteeringOptions(const std::string& appDir, const SteeringOptions& options) {
  const auto settings = OpenProgramSettings(appDir);
  settings->setValue(QLatin1String(kPressOnlyKey), options.MovePressOnly);
  settings->setValue(QLatin1String(kDropKeyKey), options.DropKey);
  settings->setValue(QLatin1String(kLandingKey), options.ShowLanding);
}

}  // namespace dalu
