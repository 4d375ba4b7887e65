#include "util/ui/qt_host.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "util/text.h"
#include "util/ui/qt_test_app.h"

namespace dalu {
namespace {

class BoxRecorder final : public QtHost {
 public:
  std::vector<QString> errors, infos;

 protected:
  void ErrorBox(const QString& text) override { errors.push_back(text); }
  void InfoBox(const QString& text) override { infos.push_back(text); }
};

TEST(QtHost, MessagesConvertCp932WithThePathsTheyName) {
  testing::EnsureQtApp();
  BoxRecorder host;
  const std::string appDir = "/home/ユーザー/DALU/";  // file-system bytes (UTF-8)
  const std::string record = appDir + "GameData/対局.DBD";
  host.ShowError(PathText(record) + Utf8ToCp932(" を読み込めません: ") + "line 3");
  host.ShowInfo(Utf8ToCp932("設定 ") + PathText(appDir + "DaluCfg.txt"));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0],
            QStringLiteral("/home/ユーザー/DALU/GameData/対局.DBD を読み込めません: line 3"));
  ASSERT_EQ(host.infos.size(), 1u);
  EXPECT_EQ(host.infos[0], QStringLiteral("設定 /home/ユーザー/DALU/DaluCfg.txt"));
}

TEST(QtHost, HeldErrorsAreShownOnceOrWhenPlayGoesOn) {
  testing::EnsureQtApp();
  BoxRecorder host;
  host.HoldErrors();
  host.ShowError("Please input Integer.");
  host.ShowError("Cannot load x.DBD: line 3: not a number.");
  EXPECT_TRUE(host.errors.empty());
  host.ReleaseErrors(true);  // the file was refused: its last, precise message alone
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], QStringLiteral("Cannot load x.DBD: line 3: not a number."));

  host.HoldErrors();
  host.ShowError("first");
  host.ProcessEvents();  // the file was taken and play goes on: what was held is shown
  host.ShowError("second");
  EXPECT_EQ(host.errors.size(), 3u);
}

TEST(QtHost, AWaitSleepsUntilAnEventOrItsTimeLimit) {
  testing::EnsureQtApp();
  QtHost host;
  // An event that arrives ends the wait long before its limit.
  bool ran = false;
  QTimer::singleShot(10, [&] { ran = true; });
  QElapsedTimer clock;
  clock.start();
  host.WaitForEvents(60000);
  if (!ran) host.WaitForEvents(60000);  // a wake-up of the platform may come first
  EXPECT_TRUE(ran);
  EXPECT_LT(clock.elapsed(), 60000);  // it did not run into its limit
  // Without events the paced wait still ends: 60 ms measured on the host's own clock.
  host.MarkTime();
  host.WaitFromMark(120);
  EXPECT_GE(host.TickMs() - host.TimeMark(), 60u);
  // Once the program is closing, waits do not sleep: the time counts as passed.
  host.FinishQuickly();
  clock.restart();
  host.MarkTime();
  host.WaitFromMark(4000);
  EXPECT_GE(host.TickMs() - host.TimeMark(), 2000u);
  EXPECT_LT(clock.elapsed(), 2000);
}

}  // namespace
}  // namespace dalu
