// main() of the window program: the composition root. It makes the parts the game talks
// through (host, pictures, canvas, sound, view), the game, and the main window, which is
// handed all of them. Everything lives on this stack, so a match loop still unwinding
// when the window closes never touches a destroyed object.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QtMath>
#include <algorithm>
#include <QFile>
#include <memory>
#include <string>
#include <vector>

#include "config/ui/config_dialog.h"
#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "match/ui/main_window.h"
#include "util/ui/fonts.h"
#include "util/ui/qt_host.h"
#include "util/ui/lazy_sound.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("DaluMaster"));
  dalu::InstallFontSubstitutes();

  dalu::QtHost host;
  // The playfield is drawn at the screen's density (pictures made at twice the size on a
  // high-density screen), so beads stay crisp. The scale is fixed for the run.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int scale = screen ? std::clamp(qCeil(screen->devicePixelRatio()), 1, 2) : 1;
  dalu::FieldPictures pictures(scale);
  dalu::ImageCanvas canvas(pictures);
  dalu::LazySound sound;
  dalu::WindowView view;
  auto game = std::make_unique<dalu::Game>(host, canvas, sound, view);
  sound.SetConfig(&game->cfg);

  dalu::WindowOptions options;
  options.exePath = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  // Arguments as the file system spells them: they name a record.
  for (int i = 1; i < argc; ++i) options.args.emplace_back(argv[i]);
  options.configDialog = [&](QWidget* parent) { dalu::RunConfigDialog(*game, pictures, parent); };

  dalu::MainWindow window(*game, host, pictures, canvas, view, std::move(options));
  window.show();
  window.activateWindow();  // the keys reach the game at once, also without a window manager
  // The sound libraries are loaded once the window is up and its first paint is done.
  QTimer::singleShot(1000, &window, [&sound] { sound.Load(); });
  return QApplication::exec();
}
