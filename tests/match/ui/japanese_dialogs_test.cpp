#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "match/ui/window_harness.h"

namespace dalu::testing {
namespace {

QString CancelText() {
  QDialogButtonBox box(QDialogButtonBox::Cancel);
  return box.button(QDialogButtonBox::Cancel)->text();
}

QString LookInText(QWidget* parent) {
  QFileDialog files(parent);
  files.setOption(QFileDialog::DontUseNativeDialog);
  const QLabel* label = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
  return label ? label->text() : QString();
}

// Qt's own dialogs speak the configured language, switch with it, and use the window's face.
TEST(JapaneseDialogs, QtsOwnTextsFollowTheLanguageInTheWindowsFace) {
  WindowRig r;
  const QString lookInEnglish = LookInText(&r.w());
  EXPECT_EQ(CancelText(), QStringLiteral("Cancel"));

  r.onConfig = [&] { r.g().cfg.EnglishUI = false; };
  r.Trigger(MenuId::kConfig);
  EXPECT_EQ(CancelText(), QStringLiteral("キャンセル"));
  EXPECT_NE(LookInText(&r.w()), lookInEnglish);
  // A message box without a parent (as at start-up) shows the window's family.
  QMessageBox box(QMessageBox::Information, QString(), QStringLiteral("棋譜"));
  EXPECT_EQ(QFontInfo(box.font()).family(), QFontInfo(r.w().font()).family());

  r.onConfig = [&] { r.g().cfg.EnglishUI = true; };
  r.Trigger(MenuId::kConfig);
  EXPECT_EQ(CancelText(), QStringLiteral("Cancel"));
  EXPECT_EQ(LookInText(&r.w()), lookInEnglish);
}

}  // namespace
}  // namespace dalu::testing
