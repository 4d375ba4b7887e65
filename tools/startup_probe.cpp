// dalu_startprobe: the window program itself (its main() is compiled in unchanged) with a
// watch on its start-up, for scripts/window-measure.sh. It prints when the window was first
// exposed and when the first-paint timer fired, measured from the application's start, and
// how long after the timer the playfield was painted and handed to the X server; then it
// quits. Not installed.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaObject>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "match/ui/main_window.h"

namespace {

class StartWatch final : public QObject {
 public:
  StartWatch() { clock_.start(); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    switch (event->type()) {
      case QEvent::Expose:
        if (exposed_ < 0) {
          if (auto* w = qobject_cast<QWindow*>(watched); w && w->isExposed()) exposed_ = now;
        }
        break;
      case QEvent::Timer:
        // The first-paint timer: the window's only single-shot QTimer of 500 ms.
        if (fired_ < 0) {
          if (auto* t = qobject_cast<QTimer*>(watched);
              t && t->isSingleShot() && t->interval() == 500) {
            fired_ = now;
          }
        }
        break;
      case QEvent::Paint:
        if (fired_ >= 0 && painted_ < 0 && dynamic_cast<dalu::PlayfieldWidget*>(watched)) {
          painted_ = now;
          // Runs once the repaint in progress has been flushed to the X server.
          QMetaObject::invokeMethod(this, [this] { Report(); }, Qt::QueuedConnection);
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void Report() {
    const double flushed = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    std::printf("exposed: %.1f ms\ntimer fired: %.1f ms\nfield painted: +%.2f ms\n"
                "field flushed: +%.2f ms\n",
                exposed_, fired_, painted_ - fired_, flushed - fired_);
    std::fflush(stdout);
    QCoreApplication::exit(0);
  }

  QElapsedTimer clock_;
  double exposed_ = -1;
  double fired_ = -1;
  double painted_ = -1;
};

void Watch() {
  auto* watch = new StartWatch;
  watch->setParent(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(watch);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Watch)
