#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include "engine/field_draw.h"
#include "match/steering.h"
#include "match/ui/controls_dialog.h"
#include "match/ui/window_harness.h"

namespace dalu::testing {
namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether cell (x, y) of side 1 on the screen's picture differs from the empty playfield.
bool CellDrawn(WindowRig& r, int x, int y) {
  const Pixel px = CellPixel(r.g().eng, 1, x, y);
  const QImage shown = r.canvas.image().copy(px.x, px.y, kCellSize, kCellSize);
  const QImage back = r.pictures.Im_Back.copy(px.x, px.y, kCellSize, kCellSize);
  return shown.convertToFormat(QImage::Format_RGB32) != back.convertToFormat(QImage::Format_RGB32);
}

// The user ticks every option in the Controls dialog; they steer a match at once and are
// kept in the program's settings file, never in DaluCfg.txt.
TEST(ControlsWindow, ChosenOptionsSteerAMatchAndAreKeptBesideTheConfiguration) {
  WindowRig r;
  const QString cfg = r.appDir.filePath(QStringLiteral("DaluCfg.txt"));
  const QByteArray cfgBefore = FileBytes(cfg);
  QString title;
  QTimer::singleShot(0, [&] {
    auto* d = dynamic_cast<ControlsDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    title = d->windowTitle();
    EXPECT_FALSE(d->PressOnlyBox()->isChecked());
    EXPECT_FALSE(d->LandingBox()->isChecked());
    QTest::mouseClick(d->PressOnlyBox(), Qt::LeftButton);
    QTest::mouseClick(d->LandingBox(), Qt::LeftButton);
    d->DropKeyBox()->setCurrentIndex(DropKeyIndex(vk::kSpace));
    QTest::mouseClick(d->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
  });
  r.Trigger(MenuId::kControls);
  EXPECT_EQ(title, QStringLiteral("Controls"));
  const SteeringOptions kept = LoadSteeringOptions(r.g().cfg.AppDir);
  EXPECT_TRUE(kept.MovePressOnly && kept.ShowLanding);
  EXPECT_EQ(kept.DropKey, vk::kSpace);
  EXPECT_EQ(FileBytes(cfg), cfgBefore);

  r.w().LevelSelector(1)->setCurrentIndex(0);
  r.w().LevelSelector(2)->setCurrentIndex(1);
  bool steered = false;
  r.host.onEvents = [&] {
    MatchControl& ctl = r.g().ctl;
    if (!ctl.MovesOpen || ctl.InputSide != 1) return;
    if (steered) {  // the next turn: the first one has been logged
      r.Trigger(MenuId::kStopContinue);
      return;
    }
    steered = true;
    EXPECT_TRUE(CellDrawn(r, 4, 1) && CellDrawn(r, 4, 2));  // the outline below the twin
    // A press held for 150 ms moves one column, not two.
    r.host.Advance(150);
    QTest::keyPress(r.w().Catcher(), Qt::Key_Left);
    r.host.Advance(150);
    QTest::keyRelease(r.w().Catcher(), Qt::Key_Left);
    EXPECT_EQ(ctl.InputTwin.Column, 3);
    EXPECT_FALSE(CellDrawn(r, 4, 1));
    EXPECT_TRUE(CellDrawn(r, 3, 1));
    r.Key(Qt::Key_Space);  // drops at once
    EXPECT_NE(ctl.InputSide, 1);
  };
  r.Trigger(MenuId::kStart);
  EXPECT_TRUE(steered);
  EXPECT_EQ(r.g().rec.TurnRecord[1][1].Column, 3);
}

}  // namespace
}  // namespace dalu::testing
