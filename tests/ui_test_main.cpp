// main() of the window-layer tests: one QApplication for the whole process, as every Qt
// widget needs, created before any test runs. Tests run on the offscreen platform unless
// the environment names another one, so they need no display (test discovery included).
#include <gtest/gtest.h>

#include <QApplication>

#include "util/ui/fonts.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  dalu::InstallFontSubstitutes();  // as the program does at start-up
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
