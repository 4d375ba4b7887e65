// The host of the window program: a monotonic millisecond clock, Qt's event processing, a
// wait that sleeps in the event loop until something happens, and message boxes.
//
// Texts from the core are CP932; they are converted here. The core puts a file path into
// a message already converted to CP932 (PathText), so a message is converted as a whole.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "util/host.h"

namespace dalu {

class QtHost : public Host {
 public:
  QtHost();

  // ---- Host ----
  uint32_t TickMs() final;
  void ProcessEvents() override;
  // Sleeps in the event loop until an event arrives or maxMs have passed, then runs the
  // pending events. Once the program is closing it no longer sleeps: the time is counted
  // as passed at once, so every paced wait ends immediately.
  void WaitForEvents(int maxMs) final;
  // Sleeps in the event loop until an event arrives, with no timer at all: a window waiting
  // for its user's key costs no CPU. Once the program is closing it no longer sleeps.
  void WaitForPerson() final;
  // Error and information boxes over the parent window. While messages are held (below),
  // errors are kept back instead.
  void ShowError(const std::string& text) final;
  void ShowInfo(const std::string& text) final;

  // ---- The window's settings ----
  void SetParentWidget(QWidget* parent) { parent_ = parent; }
  // The program is closing: from now on waits end at once and nothing sleeps.
  void FinishQuickly() { finishing_ = true; }
  bool Finishing() const { return finishing_; }

  // ---- Holding errors while a file is read ----
  // A refused file may produce a general error and then a precise one; the user should see
  // one report. Errors are held from HoldErrors until the next pass of event processing
  // (the file has been taken and play goes on: they are shown then) or ReleaseErrors.
  void HoldErrors();
  // Shows what was held: all of it, or only the last error when lastOnly.
  void ReleaseErrors(bool lastOnly);

  // The text a message box shows for a core text.
  QString MessageText(const std::string& cp932) const;

 protected:
  // The clock and the sleep themselves; tests replace them with a virtual clock.
  virtual uint32_t Now();
  // Sleeps in the event loop until an event arrives or maxMs have passed, then runs the
  // pending events. In a wait for a person the real sleep sets no time limit; maxMs is then
  // only the time a test's virtual clock lets pass.
  virtual void Sleep(int maxMs);
  // The boxes themselves; tests replace them.
  virtual void ErrorBox(const QString& text);
  virtual void InfoBox(const QString& text);

 private:
  QElapsedTimer clock_;
  uint32_t skippedMs_ = 0;
  bool finishing_ = false;
  bool untilEvent_ = false;  // the coming Sleep waits for a person
  QPointer<QWidget> parent_;
  HeldMessages held_;
};

}  // namespace dalu
