#include "config/ui/config_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "config/config_file.h"
#include "engine/field_canvas.h"
#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "records/file_test_helpers.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/ui/qt_test_app.h"

namespace dalu {
namespace {

using testing::CrLfLines;
using testing::ReadFile;
using testing::TempDir;

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    g->cfg.AppDir = dir.path();
    ConfigLoad(*g);  // writes the default file
    ASSERT_TRUE(host.errors.empty());
  }

  // Shows the dialog as the active window, so the focus moves as it does for a user.
  void Open(TF_CFG& dlg) {
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  }
  template <typename W>
  static W* Child(const QWidget& dlg, const char* name) {
    W* w = dlg.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static QLineEdit* Edit(const QWidget& dlg, int k) {
    return Child<QLineEdit>(dlg, ("Edit" + std::to_string(k)).c_str());
  }
  static void Click(const QWidget& dlg, const char* name) {
    QTest::mouseClick(Child<QWidget>(dlg, name), Qt::LeftButton);
  }
  // Replaces an edit's text by typing, and presses Enter in it.
  static void TypeAndEnter(QLineEdit* edit, const char* text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromLatin1(text));
    QTest::keyClick(edit, Qt::Key_Return);
  }
  // Runs RunConfigDialog, doing `act` on the dialog while it is shown, then closing it with
  // the close box.
  void Run(const std::function<void(TF_CFG&)>& act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dlg = qobject_cast<TF_CFG*>(w); dlg != nullptr && dlg->isVisible()) {
          act(*dlg);
          acted = true;
          dlg->close();
        }
      }
    });
    RunConfigDialog(*g, pictures, nullptr);
    EXPECT_TRUE(acted);
  }
  std::string FileLine(int n) const {
    const auto lines = CrLfLines(ReadFile(dir.path() + kConfigFileName));
    return n < static_cast<int>(lines.size()) ? lines[n] : "";
  }

  TempDir dir;
  VirtualHost host;
  RecordingCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
  FieldPictures pictures;
};

TEST_F(ConfigDialogTest, SizeButtonsStopAtTheirLimits) {
  TF_CFG dlg(*g);
  Open(dlg);
  QLineEdit* width = Child<QLineEdit>(dlg, "Ed_Wd");
  QLineEdit* height = Child<QLineEdit>(dlg, "Ed_Hg");
  EXPECT_EQ(width->text(), "7");
  for (int i = 0; i < 3; ++i) Click(dlg, "Button1");
  EXPECT_EQ(width->text(), "9");
  for (int i = 0; i < 6; ++i) Click(dlg, "Button2");
  EXPECT_EQ(width->text(), "4");
  for (int i = 0; i < 5; ++i) Click(dlg, "Button4");
  EXPECT_EQ(height->text(), "7");
  Click(dlg, "Button3");
  // A height typed beyond the boards is held to 13 when the edit is left.
  TypeAndEnter(height, "40");
  Child<QWidget>(dlg, "Bt_OK")->setFocus();
  EXPECT_EQ(height->text(), "13");

  Click(dlg, "Bt_OK");
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(g->eng.FieldWidth, 4);
  EXPECT_EQ(g->eng.FieldHeight, 13);
  EXPECT_TRUE(dlg.closeResult().RebuildBackground);
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(ConfigDialogTest, TimingEditsFollowTheEnterRingAndAreHeldWhenLeft) {
  TF_CFG dlg(*g);
  Open(dlg);
  TypeAndEnter(Edit(dlg, 1), "5000");
  EXPECT_EQ(Edit(dlg, 1)->text(), "2000");
  EXPECT_TRUE(Edit(dlg, 2)->hasFocus());
  TypeAndEnter(Edit(dlg, 7), "-60");
  EXPECT_EQ(Edit(dlg, 7)->text(), "-50");
  EXPECT_TRUE(Edit(dlg, 8)->hasFocus());
  QTest::keyClick(Edit(dlg, 8), Qt::Key_Return);
  EXPECT_TRUE(Edit(dlg, 1)->hasFocus());  // the ring closes
  EXPECT_TRUE(host.errors.empty());

  // An empty edit: the message once, then its Default.
  TypeAndEnter(Edit(dlg, 3), "");
  EXPECT_EQ(host.errors, std::vector<std::string>{kPleaseInputInteger});
  EXPECT_EQ(Edit(dlg, 3)->text(), "150");

  // Fast fills all eight; text typed into an edit that is never left still counts, held.
  Click(dlg, "Bt_Fast");
  EXPECT_EQ(Edit(dlg, 5)->text(), "10");
  Edit(dlg, 2)->setFocus();
  QTest::keyClicks(Edit(dlg, 2), "0");  // "200"
  dlg.close();
  EXPECT_EQ(g->cfg.Cfg[0], 200);
  EXPECT_EQ(g->cfg.Cfg[1], 50);
  EXPECT_EQ(g->cfg.Cfg[4], 10);
  EXPECT_EQ(FileLine(3), "50");
  EXPECT_EQ(host.errors.size(), 1u);
}

TEST_F(ConfigDialogTest, BackgroundIsRebuiltOnlyWhenSizeOrDrawingChanged) {
  Run([](TF_CFG& dlg) {
    Click(dlg, "Bt_Fast");  // timing only
    Click(dlg, "Button1");  // up and down again: the same width
    Click(dlg, "Button2");
  });
  EXPECT_TRUE(canvas.ops.empty());
  EXPECT_TRUE(pictures.Im_Back.isNull());
  EXPECT_EQ(g->cfg.Cfg[kAnimationWait], 10);

  Run([](TF_CFG& dlg) { Click(dlg, "ChB1"); });
  ASSERT_EQ(canvas.ops.size(), 2u);
  EXPECT_EQ(canvas.ops[0].kind, RecordingCanvas::Kind::kRestoreAll);
  EXPECT_EQ(canvas.ops[1].kind, RecordingCanvas::Kind::kPresent);
  EXPECT_EQ(pictures.Im_Back.size(), QSize(kImageWidth, kImageHeight));
  EXPECT_EQ(g->cfg.Cfg[kDrawFieldLines], 1);
}

TEST_F(ConfigDialogTest, RateListsAndLanguageAreApplied) {
  g->eng.ObstructRate[1] = 50;
  g->eng.ObstructRate[2] = 90;  // no entry: the list shows none and the rate stays
  Run([](TF_CFG& dlg) {
    EXPECT_EQ(Child<QComboBox>(dlg, "CBx_ojp1")->currentText(), "50%");
    EXPECT_EQ(Child<QComboBox>(dlg, "CBx_ojp2")->currentIndex(), -1);
  });
  EXPECT_EQ(g->eng.ObstructRate[1], 50);
  EXPECT_EQ(g->eng.ObstructRate[2], 90);

  Run([](TF_CFG& dlg) {
    for (const char* name : {"CBx_ojp1", "CBx_ojp2"}) {
      QComboBox* list = Child<QComboBox>(dlg, name);
      list->setCurrentIndex(list->findText("Normal"));
    }
    Child<QComboBox>(dlg, "CBx_Engl")->setCurrentIndex(1);
  });
  EXPECT_EQ(g->eng.ObstructRate[1], 100);
  EXPECT_EQ(g->eng.ObstructRate[2], 100);
  EXPECT_FALSE(g->cfg.EnglishUI);
  EXPECT_EQ(FileLine(2 * kLanguage + 1), "1");

  // Shown again, everything speaks Japanese.
  Run([](TF_CFG& dlg) {
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ダル設定"));
    EXPECT_EQ(Child<QPushButton>(dlg, "Bt_Default")->text(), QString::fromUtf8("標準"));
    EXPECT_EQ(Child<QComboBox>(dlg, "CBx_Engl")->currentIndex(), 1);
  });
  EXPECT_TRUE(host.errors.empty());
}

// The dialog in both languages, saved for looking at.
TEST_F(ConfigDialogTest, RendersInBothLanguages) {
  const QString outDir = QString::fromUtf8(DALU_TEST_OUTPUT_DIR) + QStringLiteral("config");
  ASSERT_TRUE(QDir().mkpath(outDir));
  for (bool english : {true, false}) {
    g->cfg.EnglishUI = english;
    TF_CFG dlg(*g);
    Open(dlg);
    // No text is cut off by its control.
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
      EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    }
    for (QCheckBox* box : dlg.findChildren<QCheckBox*>()) {
      EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
    }
    for (QPushButton* b : dlg.findChildren<QPushButton*>()) {
      EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), b->width() - 4)
          << b->text().toStdString();
    }
    const QString file = outDir + (english ? "/config_dialog_en.png" : "/config_dialog_ja.png");
    EXPECT_TRUE(dlg.grab().save(file)) << file.toStdString();
    dlg.close();
  }
}

}  // namespace
}  // namespace dalu
