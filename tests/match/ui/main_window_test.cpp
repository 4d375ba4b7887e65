#include "match/ui/main_window.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "help/ui/help_form.h"
#include "match/steering.h"
#include "match/ui/key_map.h"
#include "match/ui/window_harness.h"
#include "records/battle_record.h"
#include "util/text.h"

namespace dalu::testing {
namespace {

std::string ReadFile(const QString& path) {
  std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The column of side 1 where the twin lands lowest.
int LowestColumn(const Game& g) {
  const Engine& e = g.eng;
  int best = 1, bestHeight = 1000;
  for (int x = 1; x <= e.FieldWidth; ++x) {
    int h = 0;
    while (h < e.FieldHeight && e.Boards[1].Cells[x][h + 1] != kEmpty) ++h;
    if (h < bestHeight) best = x, bestHeight = h;
  }
  return best;
}

// Steers side 1's twin to the column with arrow keys and drops it with the down arrow
// (which drops on release).
void PlayColumn(WindowRig& r, int column) {
  while (r.g().ctl.InputTwin.Column > column) r.Key(Qt::Key_Left);
  while (r.g().ctl.InputTwin.Column < column) r.Key(Qt::Key_Right);
  r.Drop();
}

// Clears the memo with its button, types the lines and ends comment mode with Ctrl+C
// pressed in the memo itself.
void WriteComment(WindowRig& r, const QStringList& lines) {
  QTest::mouseClick(r.w().ClearButton(), Qt::LeftButton);
  for (int i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(r.w().Memo(), Qt::Key_Return);
    bool ascii = true;
    for (QChar c : lines[i]) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
      QTest::keyClicks(r.w().Memo(), lines[i]);
    } else {  // Japanese arrives from the input method
      QInputMethodEvent ime;
      ime.setCommitString(lines[i]);
      QCoreApplication::sendEvent(r.w().Memo(), &ime);
    }
  }
  QTest::keyClick(r.w().Memo(), Qt::Key_C, Qt::ControlModifier);
}

std::vector<std::string> Comment(const Game& g, int index) {
  std::vector<std::string> lines;
  for (int j = 1; j <= g.rec.CommentCount[index]; ++j) lines.push_back(g.rec.CommentText[index][j]);
  return lines;
}

TEST(KeyMap, KeypadIsToldApartFromTheDigitRow) {
  EXPECT_EQ(VirtualKeyOf(Qt::Key_4, Qt::KeypadModifier), vk::kNumpad4);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_4, Qt::NoModifier), 0);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_2, Qt::KeypadModifier), vk::kNumpad2);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_5, Qt::KeypadModifier), vk::kNumpad5);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Clear, Qt::KeypadModifier), vk::kNumpad5);  // Num Lock off
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Left, Qt::KeypadModifier), vk::kLeft);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Down, Qt::NoModifier), vk::kDown);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Z, Qt::ShiftModifier), vk::kZ);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Q, Qt::NoModifier), vk::kQ);
  EXPECT_EQ(VirtualKeyOf(Qt::Key_Up, Qt::NoModifier), vk::kUp);  // a drop key to choose
}

TEST(MainWindow, StartsInEnglishAndSwitchingLanguageKeepsLevelsAndTitle) {
  WindowRig r;
  MainWindow& w = r.w();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Dalu Master    version 0.912"));
  EXPECT_EQ(w.LevelSelector(1)->count(), 10);
  EXPECT_EQ(w.LevelSelector(1)->currentText(), QStringLiteral("No Attack"));
  EXPECT_EQ(w.LevelSelector(2)->currentText(), QStringLiteral("Weaker Gutcha"));
  EXPECT_EQ(r.g().eng.PlayerLevel[1], 1);
  EXPECT_EQ(r.g().eng.PlayerLevel[2], 5);
  const QStringList welcome = w.Memo()->toPlainText().split(QLatin1Char('\n'));
  ASSERT_EQ(welcome.size(), 3);
  EXPECT_EQ(welcome[1],
            QStringLiteral("メインは通信対戦ですので、慣れたらチャレンジしてください。"));
  EXPECT_TRUE(w.Memo()->isReadOnly());
  EXPECT_EQ(w.Action(MenuId::kStart)->text(), QStringLiteral("Start(&S)"));
  EXPECT_EQ(w.Action(MenuId::kStart)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
  EXPECT_EQ(Plain(w.Action(MenuId::kFile)), QStringLiteral("File"));
  EXPECT_FALSE(w.Action(MenuId::kStopContinue)->isEnabled());
  EXPECT_EQ(Plain(w.Action(MenuId::kStopContinue)), QStringLiteral("Continue(Z)"));
  EXPECT_TRUE(QFile::exists(r.appDir.filePath(QStringLiteral("DaluCfg.txt"))));
  EXPECT_TRUE(r.host.errors.empty())
      << (r.host.errors.empty() ? "" : r.host.errors[0].toStdString());

  // A short match between the chosen computer levels sets the title.
  w.LevelSelector(1)->setCurrentIndex(3);
  w.LevelSelector(2)->setCurrentIndex(7);
  r.host.onEvents = [&] {
    if (r.g().ctl.MatchRunning) r.Trigger(MenuId::kStopContinue);
  };
  r.Trigger(MenuId::kStart);
  r.host.onEvents = nullptr;
  const QString title = w.windowTitle();
  EXPECT_EQ(title, QStringLiteral(
                       "Autosave.DBD ( DaluMaster Test: Weak Attack vs Older Reading Gutcha )"));

  r.onConfig = [&] { r.g().cfg.EnglishUI = false; };
  r.Trigger(MenuId::kConfig);
  EXPECT_EQ(Plain(w.Action(MenuId::kStart)), QStringLiteral("開始(S)"));
  EXPECT_EQ(Plain(w.Action(MenuId::kFile)), QStringLiteral("ファイル"));
  EXPECT_EQ(Plain(w.Action(MenuId::kAutoTwin)), QStringLiteral("２Ｐ自動同期"));
  EXPECT_EQ(Plain(w.Action(MenuId::kStopContinue)), QStringLiteral("再開(Z)"));
  EXPECT_EQ(w.LevelSelector(1)->currentText(), QStringLiteral("弱攻撃のみ"));
  EXPECT_EQ(w.LevelSelector(2)->currentText(), QStringLiteral("旧読むぐちゃ（先攻型）"));
  EXPECT_EQ(w.LevelSelector(2)->itemText(0), QStringLiteral("ユーザー"));
  EXPECT_EQ(w.windowTitle(), title);
  EXPECT_TRUE(w.StatusLabel()->text().contains(QStringLiteral("得点")))
      << w.StatusLabel()->text().toStdString();
}

TEST(MainWindow, AutoTwinIsTickedOnlyWhileEditModeIs) {
  WindowRig r;
  QAction* edit = r.w().Action(MenuId::kEditMode);
  QAction* autoTwin = r.w().Action(MenuId::kAutoTwin);
  autoTwin->trigger();
  EXPECT_FALSE(autoTwin->isChecked());
  EXPECT_FALSE(r.g().ctl.AutoTwin);
  EXPECT_TRUE(r.w().AutoTwinNotice()->isHidden());
  edit->trigger();
  autoTwin->trigger();
  EXPECT_TRUE(edit->isChecked());
  EXPECT_TRUE(autoTwin->isChecked());
  EXPECT_TRUE(r.g().ctl.AutoTwin);
  EXPECT_TRUE(r.w().AutoTwinNotice()->isVisible());
  EXPECT_EQ(r.w().AutoTwinNotice()->text(), QStringLiteral("AutoTwin is on"));
  // With EditMode off again, AutoTwin can still be switched off, and its notice goes.
  edit->trigger();
  autoTwin->trigger();
  EXPECT_FALSE(autoTwin->isChecked());
  EXPECT_FALSE(r.g().ctl.AutoTwin);
  EXPECT_TRUE(r.w().AutoTwinNotice()->isHidden());
  // "Default" brings back the chain tables a record may have changed.
  r.g().eng.ChainBonus[5] = 1;
  r.Trigger(MenuId::kDefault);
  EXPECT_EQ(r.g().eng.ChainBonus[5], 60);
}

TEST(MainWindow, HelpOpensTheProgramsOwnHelpFileAndGivesTheKeysBack) {
  WindowRig r;
  std::string fileName, firstTitle;
  QTimer::singleShot(100, [&] {
    if (auto* help = qobject_cast<HelpForm*>(QApplication::activeModalWidget())) {
      fileName = help->Store().HelpFileName;
      firstTitle = help->Store().Page(help->CurrentPage()).Title;
      help->accept();
    }
  });
  r.Trigger(MenuId::kHelp);
  EXPECT_EQ(fileName, r.g().cfg.AppDir + "DM_help.tfh");
  EXPECT_EQ(firstTitle, Utf8ToCp932("目次 / Contents"));  // the first page of our own help
  EXPECT_TRUE(r.host.errors.empty());
  QTRY_VERIFY_WITH_TIMEOUT(r.w().Catcher()->hasFocus(), 1000);
}

TEST(MainWindow, ASingleUserAlwaysPlaysTheLeftSide) {
  WindowRig r;
  QComboBox* left = r.w().LevelSelector(1);
  QComboBox* right = r.w().LevelSelector(2);
  left->setCurrentIndex(3);
  right->setCurrentIndex(0);  // the user on the right against a computer: the left follows
  EXPECT_EQ(left->currentIndex(), 0);
  EXPECT_EQ(r.g().eng.PlayerLevel[1], 0);
  EXPECT_EQ(r.g().eng.PlayerLevel[2], 0);
  left->setCurrentIndex(2);
  EXPECT_EQ(left->currentIndex(), 0);
  right->setCurrentIndex(4);
  left->setCurrentIndex(0);  // the user on the left against a computer stays
  EXPECT_EQ(left->currentIndex(), 0);
  EXPECT_EQ(r.g().eng.PlayerLevel[2], 4);
}

// A user against "Gutcha", played by key events to the burial, with a comment written
// during the match and one after it.
TEST(MainWindow, UserPlaysByKeysToTheBurialAndComments) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  w.LevelSelector(1)->setCurrentIndex(0);
  w.LevelSelector(2)->setCurrentIndex(6);
  bool checkedRunning = false;
  bool keysChecked = false;
  int comments = 0;
  QStringList nextComment;
  r.host.onEvents = [&] {
    MatchControl& ctl = g.ctl;
    if (w.InCommentMode()) {
      if (nextComment.isEmpty()) return;
      const QStringList lines = nextComment;
      nextComment.clear();
      WriteComment(r, lines);
      return;
    }
    if (!ctl.MovesOpen || ctl.InputSide != 1) return;
    if (!checkedRunning) {
      checkedRunning = true;
      EXPECT_FALSE(w.Action(MenuId::kStart)->isEnabled());
      EXPECT_FALSE(w.Action(MenuId::kConfig)->isEnabled());
      EXPECT_FALSE(w.LevelSelector(1)->isEnabled());
      EXPECT_TRUE(w.Action(MenuId::kStopContinue)->isEnabled());
      EXPECT_EQ(Plain(w.Action(MenuId::kStopContinue)), QStringLiteral("Stop(Z)"));
      EXPECT_TRUE(w.Catcher()->hasFocus());
      EXPECT_FALSE(w.Action(MenuId::kLoad)->isEnabled());  // it would refuse to act
      r.Trigger(MenuId::kLoad);                            // refused while a match runs: no dialog
      EXPECT_TRUE(r.askedDirs.isEmpty());
      // A disabled level selector looks disabled: its white text turns grey.
      const QImage disabled = w.LevelSelector(1)->grab().toImage();
      int brightest = 0;
      for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
          brightest = std::max(brightest, qGray(disabled.pixel(x, y)));
        }
      }
      EXPECT_LT(brightest, 200);
    }
    if (!keysChecked) {
      // Keypad 4 moves left; a second key within 100 ms is ignored; the digit row's 4 is
      // not the keypad's; the down arrow drops on release, not on press.
      keysChecked = true;
      EXPECT_EQ(ctl.InputTwin.Column, 4);
      r.host.Advance(200);
      QTest::keyPress(w.Catcher(), Qt::Key_4, Qt::KeypadModifier);
      QTest::keyPress(w.Catcher(), Qt::Key_6, Qt::KeypadModifier);
      EXPECT_EQ(ctl.InputTwin.Column, 3);
      r.Key(Qt::Key_4);
      EXPECT_EQ(ctl.InputTwin.Column, 3);
      r.host.Advance(200);
      QTest::keyPress(w.Catcher(), Qt::Key_Down);
      EXPECT_EQ(ctl.InputSide, 1);
      r.host.Advance(200);
      QTest::keyRelease(w.Catcher(), Qt::Key_Down);
      EXPECT_NE(ctl.InputSide, 1);
      return;
    }
    if (g.eng.TurnNumber == 3 && comments == 0) {
      ++comments;
      nextComment = {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("三"),
                     QStringLiteral("four"), QStringLiteral("five")};
      r.Trigger(MenuId::kComment);  // returns when comment mode ends
      EXPECT_EQ(Plain(w.Action(MenuId::kComment)), QStringLiteral("Comment(C)"));
      EXPECT_TRUE(w.Catcher()->hasFocus());
      return;
    }
    PlayColumn(r, LowestColumn(g));
  };
  r.Trigger(MenuId::kStart);
  EXPECT_EQ(g.rec.TurnRecord[1][1].Column, 3);
  EXPECT_EQ(g.ctl.EndReason, "Buried");
  EXPECT_TRUE(QFile::exists(r.GameDataPath(QStringLiteral("AutoSave.DBD"))));
  EXPECT_TRUE(w.Action(MenuId::kStart)->isEnabled());
  EXPECT_EQ(Plain(w.Action(MenuId::kStopContinue)), QStringLiteral("Continue(Z)"));
  // Stored at the position before turn 3, the last three lines only.
  EXPECT_EQ(Comment(g, 2), (std::vector<std::string>{Utf8ToCp932("三"), "four", "five"}));

  // After the burial a comment belongs to the position after the last turn.
  nextComment = {QStringLiteral("buried here")};
  r.Trigger(MenuId::kComment);
  EXPECT_FALSE(w.InCommentMode());
  EXPECT_EQ(Comment(g, g.eng.TurnNumber), (std::vector<std::string>{"buried here"}));
  EXPECT_TRUE(w.Memo()->isReadOnly());
  EXPECT_FALSE(w.ClearButton()->isEnabled());
}

TEST(MainWindow, SaveAsAndLoadThroughTheDialogs) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  // Before any match there is nothing to save: said so, no dialog, no file.
  r.Trigger(MenuId::kSaveAs);
  ASSERT_EQ(r.host.errors.size(), 1u);
  EXPECT_TRUE(r.host.errors[0].startsWith(QStringLiteral("There is no record to save yet")));
  EXPECT_TRUE(r.askedDirs.isEmpty());
  EXPECT_TRUE(r.GameDataFiles().isEmpty());
  r.host.errors.clear();
  r.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= 3) r.Trigger(MenuId::kStopContinue);
  };
  r.Trigger(MenuId::kStart);
  r.host.onEvents = nullptr;
  ASSERT_EQ(g.eng.TurnNumber, 3);

  // Cancelled: nothing changes.
  r.saveAnswer.clear();
  r.Trigger(MenuId::kSaveAs);
  EXPECT_EQ(r.askedDirs.value(0), r.GameDataPath(QString()));
  EXPECT_EQ(r.askedFilters.value(0), QStringLiteral("TrueDalu BattleData(*.DBD)"));
  EXPECT_TRUE(r.GameDataFiles().isEmpty());
  EXPECT_EQ(g.rec.RecFileName, "Autosave.DBD");

  // Completed: the file goes into the folder chosen, and the caption names it.
  QTemporaryDir elsewhere;
  r.saveAnswer = elsewhere.filePath(QStringLiteral("対局 one"));
  r.Trigger(MenuId::kSaveAs);
  const QString saved = elsewhere.filePath(QStringLiteral("対局 one.DBD"));
  EXPECT_TRUE(QFile::exists(saved));
  EXPECT_TRUE(r.GameDataFiles().isEmpty());
  EXPECT_EQ(w.windowTitle().left(15), QStringLiteral("対局 one.DBD ( Da"));
  EXPECT_EQ(ReadFile(saved).substr(0, 40), "TrueDalu BattleData  format version 2.00");

  // A damaged record is reported once and leaves the shown match as it was.
  std::string bad = ReadFile(saved);
  bad.replace(bad.find("0007:"), 4, "x7x7");
  const QString badPath = r.GameDataPath(QStringLiteral("bad.DBD"));
  {
    std::ofstream out(QFile::encodeName(badPath).toStdString(), std::ios::binary);
    out << bad;
  }
  const std::vector<std::string> rows1 = FieldRows(g, 1);
  const QString title = w.windowTitle();
  r.openAnswer = badPath;
  r.Trigger(MenuId::kLoad);
  ASSERT_EQ(r.host.errors.size(), 1u);
  EXPECT_TRUE(r.host.errors[0].contains(badPath)) << r.host.errors[0].toStdString();
  EXPECT_EQ(FieldRows(g, 1), rows1);
  EXPECT_EQ(g.eng.TurnNumber, 3);
  EXPECT_EQ(w.windowTitle(), title);
  EXPECT_FALSE(g.ctl.ReplayMode);

  // The saved record replays step by step; "x" ends it where it stands.
  r.openAnswer = saved;
  int waits = 0;
  r.host.onEvents = [&] {
    if (!g.ctl.StepWaitActive || !g.ctl.WaitForStep) return;
    ++waits;
    if (waits == 1) {
      EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("  :replay")));
      EXPECT_TRUE(w.NextButton()->isEnabled());
      EXPECT_FALSE(w.Action(MenuId::kStart)->isEnabled());
      EXPECT_FALSE(w.LevelSelector(2)->isEnabled());
      QTest::mouseClick(w.NextButton(), Qt::LeftButton);
    } else {
      QTest::mouseClick(w.EndReplayButton(), Qt::LeftButton);
    }
  };
  r.Trigger(MenuId::kLoad);
  EXPECT_EQ(waits, 2);
  EXPECT_EQ(g.eng.TurnNumber, 1);
  EXPECT_FALSE(g.ctl.ReplayMode);
  EXPECT_EQ(w.windowTitle(),
            QStringLiteral("対局 one.DBD ( DaluMaster Test: No Attack vs Weaker Gutcha )"));
  EXPECT_TRUE(w.Action(MenuId::kStart)->isEnabled());
  EXPECT_TRUE(w.NextButton()->isEnabled());  // until the next start
}

enum class CloseAt { kThinking, kAnimation, kKeyWait, kReplayWait, kCommentMode, kFastReplay };

class CloseDuring : public ::testing::TestWithParam<CloseAt> {};

TEST_P(CloseDuring, TheLoopUnwindsAtOnceAndNothingIsWritten) {
  const CloseAt at = GetParam();
  const bool replay = at == CloseAt::kReplayWait || at == CloseAt::kFastReplay;
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  if (replay) {
    r.openAnswer =
        QString::fromUtf8(DALU_TEST_DATA_DIR) + QStringLiteral("/records/halt_3turns.DBD");
  } else if (at == CloseAt::kThinking) {
    w.LevelSelector(1)->setCurrentIndex(9);
    w.LevelSelector(2)->setCurrentIndex(9);
  } else if (at == CloseAt::kAnimation) {
    w.LevelSelector(2)->setCurrentIndex(1);
  } else {
    w.LevelSelector(1)->setCurrentIndex(0);
  }
  bool closed = false;
  auto close = [&] {
    closed = true;
    r.host.watchSleeps = true;
    w.close();
  };
  r.host.onEvents = [&] {
    const MatchControl& ctl = g.ctl;
    if (closed) return;
    switch (at) {
      case CloseAt::kThinking:  // both sides are computers: events run only while they think
        if (ctl.MovesOpen && g.eng.TurnNumber >= 2) close();
        break;
      case CloseAt::kAnimation:
        if (ctl.TurnInProgress && !ctl.MovesOpen && g.eng.TurnNumber >= 2) close();
        break;
      case CloseAt::kKeyWait:
        if (ctl.MovesOpen && ctl.InputSide == 1) close();
        break;
      case CloseAt::kReplayWait:
        if (ctl.StepWaitActive) close();
        break;
      case CloseAt::kCommentMode:
        if (w.InCommentMode()) {
          close();
        } else if (ctl.MovesOpen && ctl.InputSide == 1) {
          r.Trigger(MenuId::kComment);
        }
        break;
      case CloseAt::kFastReplay:
        if (ctl.StepWaitActive && !ctl.FastReplay) {
          QTest::mouseClick(w.TailButton(), Qt::LeftButton);
        } else if (ctl.FastReplay && ctl.TurnInProgress && !ctl.StepWaitActive) {
          close();
        }
        break;
    }
  };
  r.Trigger(replay ? MenuId::kLoad : MenuId::kStart);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(g.ctl.LoopActive);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.InCommentMode());
  EXPECT_EQ(r.host.sleepsWatched, 0);  // no paced wait slept once the window was closing
  EXPECT_TRUE(r.GameDataFiles().isEmpty())
      << r.GameDataFiles().join(QLatin1Char(' ')).toStdString();
  // Nothing starts again once the window is closing.
  r.Trigger(MenuId::kStart);
  EXPECT_FALSE(g.ctl.LoopActive);
}

std::string CloseAtName(const ::testing::TestParamInfo<CloseAt>& info) {
  static const char* const kNames[] = {"Thinking",   "Animation",   "KeyWait",
                                       "ReplayWait", "CommentMode", "FastReplay"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryWait, CloseDuring,
                         ::testing::Values(CloseAt::kThinking, CloseAt::kAnimation,
                                           CloseAt::kKeyWait, CloseAt::kReplayWait,
                                           CloseAt::kCommentMode, CloseAt::kFastReplay),
                         CloseAtName);

}  // namespace
}  // namespace dalu::testing
