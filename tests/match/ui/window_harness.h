// The real main window for tests: a program directory of its own (with the build's
// pictures and help file), a Qt host on a virtual clock whose every pass of event
// processing can run a test's hook, recorded message boxes and sounds, and scripted file
// dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "match/ui/main_window.h"
#include "util/sound.h"
#include "util/ui/qt_host.h"

namespace dalu::testing {

// Real event processing, virtual time: a wait advances the clock at once. Sleeps are
// counted once a test starts watching them (a closing program must not sleep).
class TestHost final : public QtHost {
 public:
  void ProcessEvents() override {
    ++passes;
    QtHost::ProcessEvents();
    if (passes == kPassLimit && onStuck) {
      ADD_FAILURE() << "the test's script is stuck";
      onStuck();
    }
    if (onEvents && passes < kPassLimit) onEvents();
  }
  static constexpr uint64_t kPassLimit = 300000;
  std::function<void()> onStuck;
  void Advance(uint32_t ms) { now_ += ms; }

  std::function<void()> onEvents;
  std::vector<QString> errors;
  std::vector<QString> infos;
  uint64_t passes = 0;
  bool watchSleeps = false;
  int sleepsWatched = 0;

 protected:
  uint32_t Now() override { return now_; }
  void Sleep(int maxMs) override {
    if (watchSleeps) ++sleepsWatched;
    now_ += static_cast<uint32_t>(maxMs > 0 ? maxMs : 0);
    ProcessEvents();
  }
  void ErrorBox(const QString& text) override { errors.push_back(text); }
  void InfoBox(const QString& text) override { infos.push_back(text); }

 private:
  uint32_t now_ = 1000;
};

struct WindowRig {
  explicit WindowRig(std::vector<std::string> args = {}) {
    const QDir app(QString::fromUtf8(DALU_APP_DIR));
    const QDir dir(appDir.path());
    for (const char* name : {"DaluChar.bmp", "DaluBGPic.bmp", "DM_help.tfh"}) {
      QFile::link(app.filePath(QString::fromLatin1(name)), dir.filePath(QString::fromLatin1(name)));
    }
    dir.mkdir(QStringLiteral("GameData"));
    game = std::make_unique<Game>(host, canvas, sound, view);
    WindowOptions options;
    options.exePath = QFile::encodeName(dir.filePath(QStringLiteral("dalumaster"))).toStdString();
    options.args = std::move(args);
    options.seed = 20261209;
    options.firstPaintDelayMs = 0;
    options.configDialog = [this](QWidget*) {
      if (onConfig) onConfig();
    };
    options.askOpenFile = [this](QWidget*, const QString& d, const QString& filter) {
      askedDirs.push_back(d);
      askedFilters.push_back(filter);
      return openAnswer;
    };
    options.askSaveFile = [this](QWidget*, const QString& d, const QString& filter) {
      askedDirs.push_back(d);
      askedFilters.push_back(filter);
      return saveAnswer;
    };
    options.askTurn = [this](QWidget*, const QString&, const QString&, int value, int min,
                             int max) {
      askedTurn = {value, min, max};
      return turnAnswer;
    };
    window = std::make_unique<MainWindow>(*game, host, pictures, canvas, view, options);
    host.onStuck = [this] { window->close(); };
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->StartUp();
    for (int i = 0; i < 100 && !window->FirstPaintDone(); ++i) QTest::qWait(5);
  }
  ~WindowRig() { host.onEvents = nullptr; }

  Game& g() { return *game; }
  MainWindow& w() { return *window; }
  QString GameDataPath(const QString& name) const {
    return QDir(appDir.path()).filePath(QStringLiteral("GameData/") + name);
  }
  QStringList GameDataFiles() const {
    return QDir(appDir.path() + QStringLiteral("/GameData")).entryList(QDir::Files);
  }
  // A key pressed well after the previous one, so the gate lets it through, and released
  // at once (the gate then ignores the release).
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    host.Advance(150);
    QTest::keyPress(window->Catcher(), key, mods);
    QTest::keyRelease(window->Catcher(), key, mods);
  }
  // The down arrow, held long enough for its release to drop the twin.
  void Drop() {
    host.Advance(150);
    QTest::keyPress(window->Catcher(), Qt::Key_Down);
    host.Advance(150);
    QTest::keyRelease(window->Catcher(), Qt::Key_Down);
  }
  void Trigger(MenuId id) { window->Action(id)->trigger(); }

  QTemporaryDir appDir;
  TestHost host;
  FieldPictures pictures;
  ImageCanvas canvas{pictures};
  RecordingSound sound;
  WindowView view;
  std::unique_ptr<Game> game;
  std::unique_ptr<MainWindow> window;

  std::function<void()> onConfig;
  QString openAnswer;
  QString saveAnswer;
  std::optional<int> turnAnswer;             // the Go to turn dialog's answer; nothing: cancelled
  std::array<int, 3> askedTurn{-1, -1, -1};  // the value, minimum and maximum it offered
  QStringList askedDirs;
  QStringList askedFilters;
};

// A menu text without its accelerator mark.
inline QString Plain(const QAction* a) {
  QString t = a->text();
  t.remove(QLatin1Char('&'));
  return t;
}

}  // namespace dalu::testing
