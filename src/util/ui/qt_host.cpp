#include "util/ui/qt_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "util/text.h"
#include "util/ui/qt_text.h"

namespace dalu {

QtHost::QtHost() {
  clock_.start();
}

uint32_t QtHost::Now() {
  // Rounded to the nearest millisecond rather than cut off: a paced wait ends once the
  // tick count has moved on far enough, and with cut-off ticks every wait would run up to a
  // whole millisecond long, which over the dozens of waits of a turn slows a replay.
  return static_cast<uint32_t>((clock_.nsecsElapsed() + 500'000) / 1'000'000);
}

uint32_t QtHost::TickMs() {
  return Now() + skippedMs_;
}

void QtHost::ProcessEvents() {
  if (held_.Holding()) ReleaseErrors(false);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::WaitForEvents(int maxMs) {
  if (finishing_) {
    skippedMs_ += static_cast<uint32_t>(std::max(0, maxMs));
    ProcessEvents();
    return;
  }
  if (held_.Holding()) ReleaseErrors(false);
  Sleep(maxMs);
}

void QtHost::WaitForPerson() {
  if (finishing_) {
    WaitForEvents(kPersonWaitStepMs);
    return;
  }
  if (held_.Holding()) ReleaseErrors(false);
  untilEvent_ = true;
  Sleep(kPersonWaitStepMs);
  untilEvent_ = false;
}

void QtHost::Sleep(int maxMs) {
  // Taken back at once: a paced wait of a handler running inside this sleep has its limit.
  const bool untilEvent = std::exchange(untilEvent_, false);
  // The timer only wakes the sleep below when no other event comes first.
  QTimer wake;
  if (!untilEvent) {
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(std::max(0, maxMs));
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtHost::ShowError(const std::string& text) {
  if (!held_.Keep(text)) ErrorBox(MessageText(text));
}

void QtHost::ShowInfo(const std::string& text) {
  InfoBox(MessageText(text));
}

void QtHost::HoldErrors() {
  held_.Hold();
}

void QtHost::ReleaseErrors(bool lastOnly) {
  for (const std::string& text : held_.Release(lastOnly)) ErrorBox(MessageText(text));
}

QString QtHost::MessageText(const std::string& cp932) const {
  return FromCp932(cp932);
}

void QtHost::ErrorBox(const QString& text) {
  QMessageBox::critical(parent_, QStringLiteral("Dalu Master"), text);
}

void QtHost::InfoBox(const QString& text) {
  QMessageBox::information(parent_, QStringLiteral("Dalu Master"), text);
}

}  // namespace dalu
