#include "util/text.h"

#include <gtest/gtest.h>

#include "util/host.h"

namespace dalu {
namespace {

TEST(TextToInt, ParsesDecimalsAndReportsEverythingElse) {
  VirtualHost host;
  EXPECT_EQ(TextToInt(host, "0042"), 42);
  EXPECT_EQ(TextToInt(host, "-7"), -7);
  EXPECT_EQ(TextToInt(host, "2147483647"), 2147483647);
  EXPECT_EQ(TextToInt(host, "-2147483648"), INT32_MIN);
  EXPECT_TRUE(host.errors.empty());

  for (const char* bad : {"", "4a", "-", " 5", "2147483648", "99999999999999999999", "1.0"}) {
    host.errors.clear();
    EXPECT_EQ(TextToInt(host, bad), -11111) << bad;
    ASSERT_EQ(host.errors.size(), 1u) << bad;
    EXPECT_EQ(host.errors[0], "Please input Integer.");
  }
}

TEST(FourDigits, PadsBelowTenThousandAndKeepsLargerValues) {
  EXPECT_EQ(FourDigits(0), "0000");
  EXPECT_EQ(FourDigits(7), "0007");
  EXPECT_EQ(FourDigits(100), "0100");
  EXPECT_EQ(FourDigits(999), "0999");
  EXPECT_EQ(FourDigits(1000), "1000");
  EXPECT_EQ(FourDigits(2610), "2610");
  EXPECT_EQ(FourDigits(12345), "12345");
  EXPECT_EQ(FourDigits(-5), "000-5");
  EXPECT_EQ(IntToText(-30), "-30");
}

TEST(FileNames, ExtractNameAndEnsureExtension) {
  EXPECT_EQ(ExtractName("/a/b/game.DBD"), "game.DBD");
  EXPECT_EQ(ExtractName("game.DBD"), "game.DBD");
  EXPECT_EQ(ExtractName("dir/"), "");
  EXPECT_EQ(EnsureExtension("game", ".DBD"), "game.DBD");
  EXPECT_EQ(EnsureExtension("game.DBD", ".DBD"), "game.DBD");
  EXPECT_EQ(EnsureExtension("game.dbd", ".DBD"), "game.dbd.DBD");
  EXPECT_EQ(EnsureExtension("", ".DBD"), ".DBD");
  EXPECT_EQ(MaxOf(3, 2), 3);
  EXPECT_EQ(MaxOf(2, 3), 3);
}

TEST(Cp932, RoundTripsJapaneseAndSurvivesBadBytes) {
  const std::string utf8 = "連鎖 ぐちゃ ＭＳ Ｐゴシック";
  const std::string sjis = Utf8ToCp932(utf8);
  EXPECT_EQ(sjis.substr(0, 4), "\x98\x41\x8D\xBD");  // 連鎖
  EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
  // A lone lead byte at the end is replaced, not an error.
  EXPECT_EQ(Cp932ToUtf8("ab\x98"), "ab\xEF\xBF\xBD");
  // A character with no CP932 form becomes one "?".
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z");
  EXPECT_EQ(Cp932CharLen(sjis, 0), 2);
  EXPECT_EQ(Cp932CharLen("a", 0), 1);
}

TEST(PathText, ShowsAFileSystemPathAsTheUserSeesIt) {
  EXPECT_EQ(PathText("/home/u/GameData/a.DBD"), "/home/u/GameData/a.DBD");
  EXPECT_EQ(Cp932ToUtf8(PathText("/home/u/棋譜/対局.DBD")), "/home/u/棋譜/対局.DBD");
  // CP932 has no "ü"; a byte that starts no UTF-8 character (a Latin-1 name) is replaced
  // alone and never takes the "/" after it along.
  EXPECT_EQ(PathText("/dir \xC3\xBC/x"), "/dir ?/x");
  EXPECT_EQ(PathText("/caf\xE9/\xE3/x"), "/caf?/?/x");
}

}  // namespace
}  // namespace dalu
