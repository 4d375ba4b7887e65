// dalu_minwindow: the yardstick of the window's start-up time (scripts/window-measure.sh).
// The least a Qt Widgets program with the main window's outline does before its window is
// mapped: a menu bar with a few menus and a 673 x 529 picture below it. Not installed.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Minimal window"));
  for (const char* title : {"File", "Help(H)", "Start(S)", "Edit", "Comment(C)", "Config(G)"}) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(title));
    menu->addAction(QStringLiteral("Item"));
  }
  QImage picture(673, 529, QImage::Format_RGB32);
  picture.fill(Qt::darkBlue);
  auto* label = new QLabel(&window);
  label->setPixmap(QPixmap::fromImage(picture));
  label->setFixedSize(673, 529);
  window.setCentralWidget(label);
  window.move(0, 0);
  window.show();
  return QApplication::exec();
}
