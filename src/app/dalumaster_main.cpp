// main() of the window program: the composition root. It makes the parts the game talks
// through (host, pictures, canvas, sound, view), the game, and the main window, which is
// handed all of them. Everything lives on this stack, so a match loop still unwinding
// when the window closes never touches a destroyed object.
#include <QApplication>
#include <QFile>
#include <memory>
#include <string>
#include <vector>

#include "engine/ui/image_canvas.h"
#include "match/game.h"
#include "match/ui/main_window.h"
#include "util/ui/fonts.h"
#include "util/ui/qt_host.h"
#include "util/ui/qt_sound.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("DaluMaster"));
  dalu::InstallFontSubstitutes();

  dalu::QtHost host;
  dalu::FieldPictures pictures;
  dalu::ImageCanvas canvas(pictures);
  dalu::QtSound sound;
  dalu::WindowView view;
  auto game = std::make_unique<dalu::Game>(host, canvas, sound, view);
  sound.SetConfig(&game->cfg);

  dalu::WindowOptions options;
  options.exePath = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  // Arguments as the file system spells them: they name a record.
  for (int i = 1; i < argc; ++i) options.args.emplace_back(argv[i]);
  // The configuration dialog is wired here when it exists:
  //   options.configDialog = [&](QWidget* parent) { RunConfigDialog(*game, pictures, parent); };
  // until then the Config item only applies the language again.

  dalu::MainWindow window(*game, host, pictures, canvas, view, std::move(options));
  window.show();
  window.activateWindow();  // the keys reach the game at once, also without a window manager
  return QApplication::exec();
}
