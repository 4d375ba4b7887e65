#include "util/ui/qt_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

#include "util/text.h"

namespace dalu {

namespace {

constexpr size_t kLiteralPathsKept = 8;  // the most recent paths are enough

QString FromCp932(std::string_view bytes) {
  return QString::fromStdString(Cp932ToUtf8(bytes));
}

}  // namespace

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
  if (holding_) ReleaseErrors(false);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::WaitForEvents(int maxMs) {
  if (finishing_) {
    skippedMs_ += static_cast<uint32_t>(std::max(0, maxMs));
    ProcessEvents();
    return;
  }
  if (holding_) ReleaseErrors(false);
  Sleep(maxMs);
}

void QtHost::Sleep(int maxMs) {
  // The timer only wakes the sleep below when no other event comes first.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  wake.start(std::max(0, maxMs));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtHost::ShowError(const std::string& text) {
  if (holding_) {
    heldErrors_.push_back(text);
    return;
  }
  ErrorBox(MessageText(text));
}

void QtHost::ShowInfo(const std::string& text) {
  InfoBox(MessageText(text));
}

void QtHost::AddLiteralPath(const std::string& path) {
  if (path.empty()) return;
  std::erase(literalPaths_, path);
  literalPaths_.push_back(path);
  if (literalPaths_.size() > kLiteralPathsKept) literalPaths_.erase(literalPaths_.begin());
}

void QtHost::HoldErrors() {
  holding_ = true;
}

void QtHost::ReleaseErrors(bool lastOnly) {
  holding_ = false;
  std::vector<std::string> held;
  held.swap(heldErrors_);
  for (size_t i = lastOnly && !held.empty() ? held.size() - 1 : 0; i < held.size(); ++i) {
    ErrorBox(MessageText(held[i]));
  }
}

QString QtHost::MessageText(const std::string& cp932) const {
  // The longest registered path at each position is a file name; the rest is CP932.
  QString out;
  size_t plainStart = 0;
  size_t i = 0;
  while (i < cp932.size()) {
    const std::string* found = nullptr;
    for (const std::string& p : literalPaths_) {
      if ((!found || p.size() > found->size()) && cp932.compare(i, p.size(), p) == 0) found = &p;
    }
    if (!found) {
      i += static_cast<size_t>(Cp932CharLen(cp932, i));
      continue;
    }
    out += FromCp932(std::string_view(cp932).substr(plainStart, i - plainStart));
    out += QFile::decodeName(QByteArray::fromStdString(*found));
    i += found->size();
    plainStart = i;
  }
  out += FromCp932(std::string_view(cp932).substr(plainStart));
  return out;
}

void QtHost::ErrorBox(const QString& text) {
  QMessageBox::critical(parent_, QStringLiteral("Dalu Master"), text);
}

void QtHost::InfoBox(const QString& text) {
  QMessageBox::information(parent_, QStringLiteral("Dalu Master"), text);
}

}  // namespace dalu
