#include "config/config_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "records/file_test_helpers.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

using testing::CrLfLines;
using testing::JoinCrLf;
using testing::Listing;
using testing::ReadFile;
using testing::Sj;
using testing::TempDir;
using testing::WriteFile;

const std::string kData = std::string(DALU_TEST_DATA_DIR) + "/config/";

std::vector<int32_t> Values(const Config& c) {
  return {std::begin(c.Cfg), std::end(c.Cfg)};
}

std::string ConfigOf(const std::vector<std::string>& values) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < values.size(); ++i) {
    lines.push_back("label " + std::to_string(i));
    lines.push_back(values[i]);
  }
  return JoinCrLf(lines);
}

TEST(CurDirLoad, TakesThePathUpToTheLastDaluOrTheExecutablesDirectory) {
  EXPECT_EQ(CurDirLoad("/opt/games/DALU/dalumaster"), "/opt/games/DALU/");
  EXPECT_EQ(CurDirLoad("/opt/DALU/bin/DALU/x/dalumaster"), "/opt/DALU/bin/DALU/");
  EXPECT_EQ(CurDirLoad("/home/u/MYDALU/dalumaster"), "/home/u/MYDALU/");  // a substring
  EXPECT_EQ(CurDirLoad("/home/u/dalu/dalumaster"), "/home/u/dalu/");      // case matters
  EXPECT_EQ(CurDirLoad("/usr/local/bin/dalumaster"), "/usr/local/bin/");
  EXPECT_EQ(CurDirLoad("dalumaster"), "./");
  EXPECT_EQ(CurDirLoad(std::string(DALU_APP_DIR) + "dalumaster"), DALU_APP_DIR);
}

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override { g->cfg.AppDir = dir.path(); }
  std::string Path() const { return dir.path() + "DaluCfg.txt"; }

  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
  TempDir dir;
};

TEST_F(ConfigFileTest, MissingFileIsWrittenWithTheDefaults) {
  g->cfg.Cfg[0] = 1234;
  ConfigLoad(*g);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(Values(g->cfg),
            (std::vector<int32_t>{400, 8, 150, 11, 40, 90, -10, 4, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(g->cfg.EnglishUI);
  EXPECT_EQ(ReadFile(Path()), ReadFile(kData + "default_DaluCfg.txt"));
  EXPECT_EQ(DefaultConfigLabel(13), Sj("Language(言語)"));
}

TEST_F(ConfigFileTest, HandEditedFileKeepsItsLabelsAndUnusedItems) {
  const std::string edited = ReadFile(kData + "hand_edited.txt");
  WriteFile(Path(), edited);
  ConfigLoad(*g);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(Values(g->cfg),
            (std::vector<int32_t>{300, 12, 180, 7, 25, 60, -20, 3, 17, -4, 123456, 0, 1, 5, 1}));
  EXPECT_FALSE(g->cfg.EnglishUI);  // item 13 holding 5 means Japanese

  // The dialog closes with Japanese still selected; the file keeps every label and the
  // values of items 8..11, and item 13 is written as 1.
  ASSERT_TRUE(ConfigWrite(*g));
  std::vector<std::string> expected = CrLfLines(edited);
  expected[27] = "1";
  EXPECT_EQ(ReadFile(Path()), JoinCrLf(expected));
  EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"DaluCfg.txt"}));
}

TEST_F(ConfigFileTest, PacingItemsAreHeldToTheirLimits) {
  WriteFile(Path(), ConfigOf({"5000", "0", "10", "100", "-5", "1000", "-11111", "50", "-11111", "0",
                              "0", "0", "7", "0", "-3"}));
  ConfigLoad(*g);
  EXPECT_TRUE(host.errors.empty());
  // Items 8..14 are kept as read.
  EXPECT_EQ(Values(g->cfg),
            (std::vector<int32_t>{2000, 1, 20, 31, 0, 500, -50, 11, -11111, 0, 0, 0, 7, 0, -3}));
  EXPECT_TRUE(g->cfg.EnglishUI);
  for (int i = 0; i < kTimingItems; ++i) {
    EXPECT_GE(g->cfg.Cfg[i], kCfgMin[i]);
    EXPECT_LE(g->cfg.Cfg[i], kCfgMax[i]);
  }
}

TEST_F(ConfigFileTest, UnparsableValuesTakeTheirDefaultAfterOneMessage) {
  WriteFile(Path(), ConfigOf({"fast", "8", "", "11", "40", "9 0", "-10", "4", "x", "0", "0", "0",
                              "0", "y", "0"}));
  ConfigLoad(*g);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Please input Integer.");
  EXPECT_EQ(Values(g->cfg),
            (std::vector<int32_t>{400, 8, 150, 11, 40, 90, -10, 4, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(g->cfg.EnglishUI);
}

TEST_F(ConfigFileTest, ShortFileTakesDefaultsAndTheRewriteHasAllThirtyLines) {
  WriteFile(Path(), "My wait\r\n800\r\nMy gravity\r\n3\r\nDrop label only\r\n");
  ConfigLoad(*g);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(g->cfg.Cfg[0], 800);
  EXPECT_EQ(g->cfg.Cfg[1], 3);
  EXPECT_EQ(g->cfg.Cfg[2], 150);
  EXPECT_EQ(g->cfg.Cfg[13], 0);
  ASSERT_TRUE(ConfigWrite(*g));
  const std::vector<std::string> lines = CrLfLines(ReadFile(Path()));
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[0], "My wait");
  EXPECT_EQ(lines[1], "800");
  EXPECT_EQ(lines[4], "Drop label only");
  EXPECT_EQ(lines[5], "150");
  EXPECT_EQ(lines[6], "(Bounding Count)");
  EXPECT_EQ(lines[28], "Draw Field Lines");
}

TEST_F(ConfigFileTest, BareLineFeedsAreRead) {
  WriteFile(Path(), "a\n300\nb\n9\n");
  ConfigLoad(*g);
  EXPECT_EQ(g->cfg.Cfg[0], 300);
  EXPECT_EQ(g->cfg.Cfg[1], 9);
}

TEST_F(ConfigFileTest, FailedWriteKeepsTheEarlierFile) {
  const std::string edited = ReadFile(kData + "hand_edited.txt");
  WriteFile(Path(), edited);
  ConfigLoad(*g);
  g->cfg.Cfg[0] = 999;
  {
    testing::FileSizeLimit limit(10);
    EXPECT_FALSE(ConfigWrite(*g));
  }
  EXPECT_EQ(ReadFile(Path()), edited);
  EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"DaluCfg.txt"}));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(std::strerror(EFBIG)), std::string::npos) << host.errors[0];
}

TEST_F(ConfigFileTest, UnreadableFileIsReportedAndTheDefaultsAreUsed) {
  std::filesystem::create_directory(Path());
  g->cfg.Cfg[4] = 77;
  ConfigLoad(*g);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Cannot read " + Path() + ": it is a directory, not a regular file");
  EXPECT_EQ(g->cfg.Cfg[4], 40);
  EXPECT_TRUE(g->cfg.EnglishUI);
  // Writing over it would lose whatever labels it held: refused as well.
  host.errors.clear();
  EXPECT_FALSE(ConfigWrite(*g));
  EXPECT_EQ(host.errors.size(), 1u);
}

TEST_F(ConfigFileTest, MissingProgramDirectoryIsReportedAtStartUp) {
  g->cfg.AppDir = dir.path() + "absent/";
  ConfigLoad(*g);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(std::strerror(ENOENT)), std::string::npos) << host.errors[0];
  EXPECT_EQ(g->cfg.Cfg[0], 400);
}

TEST(ConfigText, RoundTripsLabelsAndValues) {
  auto parsed = std::make_unique<ParsedConfig>();
  ParseConfigText(ReadFile(kData + "hand_edited.txt"), *parsed);
  EXPECT_FALSE(parsed->badNumber);
  EXPECT_EQ(parsed->Labels[0], Sj("連鎖数表示時間 (my own note)"));
  auto again = std::make_unique<ParsedConfig>();
  ParseConfigText(ConfigText(parsed->Labels, parsed->Cfg), *again);
  for (int i = 0; i < kCfgItems; ++i) {
    EXPECT_EQ(again->Labels[i], parsed->Labels[i]);
    EXPECT_EQ(again->Cfg[i], parsed->Cfg[i]);
  }
}

TEST_F(ConfigFileTest, ALinkedFileStaysALinkAndAReadOnlyFileIsKept) {
  namespace fs = std::filesystem;
  fs::create_directory(dir.path() + "dotfiles");
  WriteFile(dir.path() + "dotfiles/dalu.txt", ReadFile(kData + "hand_edited.txt"));
  fs::create_symlink("dotfiles/dalu.txt", Path());
  ConfigLoad(*g);
  g->cfg.Cfg[0] = 999;
  ASSERT_TRUE(ConfigWrite(*g));
  EXPECT_TRUE(fs::is_symlink(Path()));
  EXPECT_EQ(CrLfLines(ReadFile(dir.path() + "dotfiles/dalu.txt"))[1], "999");
  EXPECT_EQ(Listing(dir.path() + "dotfiles"), (std::set<std::string>{"dalu.txt"}));

  // Made read-only by the user: kept as it is, and the message names the folder as the
  // user sees it.
  g->cfg.AppDir = dir.path() + "設定/";
  fs::create_directory(g->cfg.AppDir);
  const std::string path = g->cfg.AppDir + "DaluCfg.txt";
  WriteFile(path, ReadFile(kData + "hand_edited.txt"));
  fs::permissions(path, fs::perms::owner_read);
  g->cfg.EnglishUI = true;
  EXPECT_FALSE(ConfigWrite(*g));
  EXPECT_EQ(ReadFile(path), ReadFile(kData + "hand_edited.txt"));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(Cp932ToUtf8(host.errors[0]), "Cannot write " + path + ": " + std::strerror(EACCES));
}

}  // namespace
}  // namespace dalu
