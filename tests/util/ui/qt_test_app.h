// A QApplication for the window tests. It is made on first use, and only when nothing else
// in the test program has made one, so a shared test main can take over without a clash.
// It is never destroyed: it lives until the process ends.
#pragma once

#include <QApplication>

namespace dalu::testing {

inline void EnsureQtApp() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "dalu_ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

}  // namespace dalu::testing
