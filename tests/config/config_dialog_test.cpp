#include "config/config_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "config/config_file.h"
#include "engine/field_canvas.h"
#include "match/game.h"
#include "records/file_test_helpers.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

using testing::CrLfLines;
using testing::ReadFile;
using testing::Sj;
using testing::TempDir;

TEST(ConfigDialogEdits, LeavingATimingEditConvertsClampsAndFillsTheDefault) {
  VirtualHost host;
  EXPECT_EQ(LeaveTimingEdit(host, 1, "5000"), "2000");
  EXPECT_EQ(LeaveTimingEdit(host, 7, "-60"), "-50");
  EXPECT_EQ(LeaveTimingEdit(host, 8, "0"), "1");
  EXPECT_EQ(LeaveTimingEdit(host, 5, "0"), "0");  // item 4 may be 0: no wait per frame
  EXPECT_EQ(LeaveTimingEdit(host, 3, "+150"), "150");
  EXPECT_TRUE(host.errors.empty());

  // Empty: the message first, then the Default (not the lower limit -11111 clamps to).
  EXPECT_EQ(LeaveTimingEdit(host, 1, ""), "400");
  EXPECT_EQ(LeaveTimingEdit(host, 7, ""), "-10");
  // Not an integer: one message, and -11111 held to the lower limit.
  EXPECT_EQ(LeaveTimingEdit(host, 2, "fast"), "1");
  EXPECT_EQ(LeaveTimingEdit(host, 6, "99999999999"), "30");
  EXPECT_EQ(host.errors, std::vector<std::string>(4, kPleaseInputInteger));

  // Beyond the eight edits nothing is decided.
  EXPECT_EQ(LeaveTimingEdit(host, 9, "x"), "x");
  EXPECT_EQ(LeaveTimingEdit(host, 0, ""), "");
  EXPECT_EQ(host.errors.size(), 4u);

  EXPECT_EQ(DefaultTimingText(1), "400");
  EXPECT_EQ(FastTimingText(7), "0");
  EXPECT_EQ(FastTimingText(9), "");
}

TEST(ConfigDialogEdits, FieldSizeStaysWithinFourToNineAndSevenToThirteen) {
  EXPECT_EQ(StepFieldSize("9", +1, kDialogMinWidth, kDialogMaxWidth, 7), "9");
  EXPECT_EQ(StepFieldSize("8", +1, kDialogMinWidth, kDialogMaxWidth, 7), "9");
  EXPECT_EQ(StepFieldSize("4", -1, kDialogMinWidth, kDialogMaxWidth, 7), "4");
  EXPECT_EQ(StepFieldSize("5", -1, kDialogMinWidth, kDialogMaxWidth, 7), "4");
  EXPECT_EQ(StepFieldSize("7", -1, kDialogMinHeight, kDialogMaxHeight, 11), "7");
  EXPECT_EQ(StepFieldSize("13", +1, kDialogMinHeight, kDialogMaxHeight, 11), "13");
  // A typed value out of range or not a number steps from within the range.
  EXPECT_EQ(StepFieldSize("40", -1, kDialogMinWidth, kDialogMaxWidth, 7), "8");
  EXPECT_EQ(StepFieldSize("", +1, kDialogMinHeight, kDialogMaxHeight, 11), "12");

  VirtualHost host;
  EXPECT_EQ(FieldSizeValue(host, "20", kDialogMinWidth, kDialogMaxWidth, 7), 9);
  EXPECT_EQ(FieldSizeValue(host, "-3", kDialogMinHeight, kDialogMaxHeight, 11), 7);
  EXPECT_EQ(FieldSizeValue(host, "12", kDialogMinHeight, kDialogMaxHeight, 11), 12);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(FieldSizeValue(host, "wide", kDialogMinWidth, kDialogMaxWidth, 6), 6);
  EXPECT_EQ(host.errors, std::vector<std::string>{kPleaseInputInteger});
}

TEST(ConfigDialogTables, RateChoicesAndTextsInBothLanguages) {
  EXPECT_EQ(ObstructRateEntry(200), 0);
  EXPECT_EQ(ObstructRateEntry(100), 3);
  EXPECT_STREQ(kObstructRateChoice[3].Text, "Normal");
  EXPECT_EQ(ObstructRateEntry(0), 9);
  EXPECT_EQ(ObstructRateEntry(90), -1);
  EXPECT_EQ(ObstructRateEntry(-100), -1);

  EXPECT_EQ(ConfigDialogText(ConfigDialogTextId::kCaption, true), "Dalu Config Settlement");
  EXPECT_EQ(ConfigDialogText(ConfigDialogTextId::kCaption, false), Sj("ダル設定"));
  EXPECT_EQ(ConfigDialogText(ConfigDialogTextId::kLanguage, true), Sj("Language(言語)"));
  EXPECT_EQ(ConfigDialogText(ConfigDialogTextId::kForDalu, false), Sj("DaluMasterのみ"));
  EXPECT_EQ(ConfigDialogText(ConfigDialogTextId::kBrickTone, false), Sj("真っ黒にする(速い)"));
  EXPECT_EQ(TimingLabel(1, true), "ChainCount Wait");
  EXPECT_EQ(TimingLabel(8, false), Sj("連鎖数表示最低連鎖数"));
  EXPECT_EQ(TimingLabel(9, true), "");
  EXPECT_EQ(LanguageChoiceText(0), Sj("English(英語)"));
  EXPECT_EQ(LanguageChoiceText(1), Sj("日本語(Japanese)"));
  // Every text converts to CP932 whole: nothing was replaced on the way.
  for (int i = 0; i < static_cast<int>(ConfigDialogTextId::kCount); ++i) {
    for (bool english : {true, false}) {
      const std::string t = ConfigDialogText(static_cast<ConfigDialogTextId>(i), english);
      EXPECT_FALSE(t.empty()) << i;
      EXPECT_EQ(t.find('?'), std::string::npos) << i;
      EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(t)), t) << i;
    }
  }
}

class ConfigCloseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g->cfg.AppDir = dir.path();
    ConfigLoad(*g);  // writes the defaults
    ASSERT_TRUE(host.errors.empty());
  }
  std::vector<std::string> FileLines() const {
    return CrLfLines(ReadFile(dir.path() + kConfigFileName));
  }

  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
  TempDir dir;
};

TEST_F(ConfigCloseTest, ClosingUnchangedRewritesTheFileButKeepsTheBackground) {
  g->eng.ObstructRate[1] = 90;  // from a loaded record: no entry of the list
  const ConfigDialogValues shown = ConfigDialogShown(*g);
  EXPECT_EQ(shown.RateEntry[1], -1);
  EXPECT_EQ(shown.RateEntry[2], 3);
  EXPECT_TRUE(shown.DrawFieldLines);
  EXPECT_TRUE(shown.SolidBlack);
  EXPECT_EQ(shown.Width, 7);
  EXPECT_EQ(shown.Height, 11);

  const ConfigCloseResult r = ConfigDialogClose(*g, shown);
  EXPECT_TRUE(r.Written);
  EXPECT_FALSE(r.RebuildBackground);
  EXPECT_EQ(g->eng.ObstructRate[1], 90);  // kept, not read from a missing selection
  EXPECT_EQ(g->eng.ObstructRate[2], 100);
  EXPECT_TRUE(host.errors.empty());

  // Hand-edited options that draw the same picture need no new background either.
  g->cfg.Cfg[kBrickTone] = 5;
  g->cfg.Cfg[kDrawFieldLines] = 0;
  ConfigDialogValues v = ConfigDialogShown(*g);
  EXPECT_FALSE(v.SolidBlack);
  EXPECT_FALSE(ConfigDialogClose(*g, v).RebuildBackground);
  EXPECT_EQ(g->cfg.Cfg[kBrickTone], 1);
}

TEST_F(ConfigCloseTest, ClosingAppliesEveryValueAndWritesTheFile) {
  ConfigDialogValues v = ConfigDialogShown(*g);
  for (int i = 0; i < kTimingItems; ++i) v.Timing[i] = kCfgFast[i];
  v.Timing[0] = 9000;  // a value that never went through its edit is held all the same
  v.DrawFieldLines = false;
  v.Width = 9;
  v.Height = 30;
  v.English = false;
  v.RateEntry[1] = ObstructRateEntry(100);
  v.RateEntry[2] = 9;  // "0%"

  const ConfigCloseResult r = ConfigDialogClose(*g, v);
  EXPECT_TRUE(r.Written);
  EXPECT_TRUE(r.RebuildBackground);
  EXPECT_EQ(g->cfg.Cfg[0], 2000);
  EXPECT_EQ(g->cfg.Cfg[5], 30);
  EXPECT_EQ(g->cfg.Cfg[kDrawFieldLines], 1);
  EXPECT_EQ(g->cfg.Cfg[kBrickTone], 0);
  EXPECT_EQ(g->eng.FieldWidth, 9);
  EXPECT_EQ(g->eng.FieldHeight, 13);
  EXPECT_FALSE(g->cfg.EnglishUI);
  EXPECT_EQ(g->eng.ObstructRate[1], 100);
  EXPECT_EQ(g->eng.ObstructRate[2], 0);

  const std::vector<std::string> lines = FileLines();
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[1], "2000");
  EXPECT_EQ(lines[11], "30");
  EXPECT_EQ(lines[2 * kLanguage + 1], "1");
  EXPECT_EQ(lines[2 * kDrawFieldLines + 1], "1");

  // Back to English: item 13 becomes 0 again; only the size changed now.
  v.English = true;
  v.Height = 7;
  const ConfigCloseResult back = ConfigDialogClose(*g, v);
  EXPECT_TRUE(back.RebuildBackground);
  EXPECT_EQ(FileLines()[2 * kLanguage + 1], "0");
  EXPECT_TRUE(g->cfg.EnglishUI);
}

TEST_F(ConfigCloseTest, AFailedWriteLeavesTheObstructRatesButKeepsTheRest) {
  g->cfg.AppDir = dir.path() + "gone/";  // a directory that does not exist
  ConfigDialogValues v = ConfigDialogShown(*g);
  v.Timing[3] = 20;
  v.Width = 5;
  v.English = false;
  v.RateEntry[1] = 0;
  v.RateEntry[2] = 0;

  const ConfigCloseResult r = ConfigDialogClose(*g, v);
  EXPECT_FALSE(r.Written);
  EXPECT_TRUE(r.RebuildBackground);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("gone/DaluCfg.txt"), std::string::npos);
  EXPECT_EQ(g->cfg.Cfg[3], 20);
  EXPECT_EQ(g->eng.FieldWidth, 5);
  EXPECT_FALSE(g->cfg.EnglishUI);
  EXPECT_EQ(g->eng.ObstructRate[1], 100);
  EXPECT_EQ(g->eng.ObstructRate[2], 100);
}

}  // namespace
}  // namespace dalu
