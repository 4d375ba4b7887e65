#include "help/help_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "util/host.h"
#include "util/text.h"

namespace dalu {
namespace {

// Reads the given lines, joined with CR LF, into a fresh store.
struct Reading {
  explicit Reading(const std::vector<std::string>& lines, const char* eol = "\r\n") {
    std::string text;
    for (const std::string& l : lines) text += l + eol;
    std::istringstream in(text);
    result = ReadHelpText(host, in, store);
  }
  VirtualHost host;
  HelpStore store;
  HelpReadResult result;
};

std::string Line(const HelpStore& s, int page, int line) {
  return s.Page(page).Lines[static_cast<size_t>(line)];
}

// ---- Reading ----

TEST(HelpReader, ReadsPagesLinesAndEmptyLineCounts) {
  Reading r({"@@Top", "00Hello", "@End"});
  EXPECT_EQ(r.result.status, HelpReadStatus::kOk);
  EXPECT_TRUE(r.host.errors.empty());
  ASSERT_EQ(r.store.HelpPageCount, 1);
  EXPECT_EQ(r.store.Page(1).Title, "Top");
  EXPECT_EQ(Line(r.store, 1, 1), "Hello");

  Reading a({"@@A", "02Text", " 1x", "-3y", "00", "7", "@End"});
  EXPECT_EQ(a.result.status, HelpReadStatus::kOk);
  EXPECT_EQ(Line(a.store, 1, 1), "");
  EXPECT_EQ(Line(a.store, 1, 2), "");
  EXPECT_EQ(Line(a.store, 1, 3), "Text");
  EXPECT_EQ(Line(a.store, 1, 4), "");  // " 1": a leading blank is allowed
  EXPECT_EQ(Line(a.store, 1, 5), "x");
  EXPECT_EQ(Line(a.store, 1, 6), "y");  // a negative count inserts nothing
  EXPECT_EQ(Line(a.store, 1, 7), "");   // "00" alone: an empty source line
  // "7" alone: seven empty lines, then an empty text at line 15.
  EXPECT_EQ(Line(a.store, 1, 8), "");

  // Bare LF line ends read the same.
  Reading lf({"@@Top", "00Hello", "@End"}, "\n");
  EXPECT_EQ(lf.result.status, HelpReadStatus::kOk);
  EXPECT_EQ(Line(lf.store, 1, 1), "Hello");
}

TEST(HelpReader, FindPageTakesTheLastMatchAndIgnoresTextBeforeTheFirstPage) {
  Reading r({"00Preface, never shown", "@@Top", "00one", "@@Dup", "00first", "@@Dup", "00second",
             "@End", "00after the end", "@@Late"});
  ASSERT_EQ(r.result.status, HelpReadStatus::kOk);
  EXPECT_EQ(r.store.HelpPageCount, 3);
  EXPECT_EQ(FindPage(r.store, "Dup"), 3);
  EXPECT_EQ(FindPage(r.store, "Top"), 1);
  EXPECT_EQ(FindPage(r.store, "Late"), -1);
  EXPECT_EQ(FindPage(r.store, "top"), -1);  // byte for byte
  EXPECT_EQ(FindPage(r.store, ""), -1);     // the hidden page 0 has an empty title
  EXPECT_EQ(Line(r.store, 1, 1), "one");    // the preface went to no visible page
  for (int p = 1; p <= 3; ++p) {
    for (const std::string& l : r.store.Page(p).Lines) EXPECT_NE(l, "Preface, never shown");
  }
}

TEST(HelpReader, BadNumbersStopReadingAndKeepThePagesReadSoFar) {
  // "@Endx" is not the end marker: it is a source line, and "@E" is not a number.
  Reading r({"@@One", "00a", "@@Two", "00b", "@Endx", "@@Three", "@End"});
  EXPECT_EQ(r.result.status, HelpReadStatus::kBadNumber);
  EXPECT_EQ(r.result.line, 5);
  ASSERT_EQ(r.host.errors.size(), 1u);
  EXPECT_EQ(r.host.errors[0], "Please input Integer.");
  EXPECT_EQ(r.store.HelpPageCount, 2);
  EXPECT_EQ(Line(r.store, 2, 1), "b");

  // Without "@End" the reading runs into the end of the file, which gives an empty line.
  Reading noEnd({"@@One", "00a"});
  EXPECT_EQ(noEnd.result.status, HelpReadStatus::kBadNumber);
  EXPECT_EQ(noEnd.result.line, 3);
  EXPECT_EQ(noEnd.host.errors.size(), 1u);
  EXPECT_EQ(noEnd.store.HelpPageCount, 1);

  // An empty line in the middle is no number either, nor are two blanks.
  Reading blank({"@@One", "", "00a", "@End"});
  EXPECT_EQ(blank.result.status, HelpReadStatus::kBadNumber);
  EXPECT_EQ(blank.result.line, 2);
  Reading blanks({"@@One", "  a", "@End"});
  EXPECT_EQ(blanks.result.status, HelpReadStatus::kBadNumber);
}

TEST(HelpReader, CutsLongTitlesAndTextsAndDropsWhatDoesNotFit) {
  const std::string longTitle(100, 'T');
  const std::string longText(150, 'x');
  std::vector<std::string> lines = {"@@" + longTitle, "00" + longText};
  // Lines 2..30 fill the page, then three more lines that do not fit, one far beyond.
  for (int i = 2; i <= 30; ++i) lines.push_back("00L" + std::to_string(i));
  lines.push_back("00overflow");
  lines.push_back("99far");
  lines.push_back("00more");
  // 1005 pages in all: the last five are dropped without a message.
  for (int p = 2; p <= 1005; ++p) {
    lines.push_back("@@P" + std::to_string(p));
    lines.push_back("00text of " + std::to_string(p));
  }
  lines.push_back("@End");
  Reading r(lines);
  EXPECT_EQ(r.result.status, HelpReadStatus::kOk);
  EXPECT_TRUE(r.host.errors.empty());
  EXPECT_EQ(r.store.Page(1).Title, std::string(80, 'T'));
  EXPECT_EQ(Line(r.store, 1, 1), std::string(120, 'x'));
  EXPECT_EQ(Line(r.store, 1, 30), "L30");
  EXPECT_EQ(r.store.HelpPageCount, kHelpMaxPages);
  EXPECT_EQ(r.store.Page(1000).Title, "P1000");
  EXPECT_EQ(Line(r.store, 1000, 1), "text of 1000");
  EXPECT_EQ(FindPage(r.store, "P1001"), -1);
  EXPECT_EQ(r.store.HelpPages.size(), static_cast<size_t>(kHelpMaxPages + 1));
  EXPECT_EQ(r.store.Page(1001).Title, "");  // outside the store: an empty page
}

TEST(HelpReader, RereadingStartsAfreshAndAMissingFileIsReported) {
  VirtualHost host;
  HelpStore store;
  std::istringstream first("@@A\r\n00one\r\n00two\r\n00three\r\n@@B\r\n@End\r\n");
  ReadHelpText(host, first, store);
  ASSERT_EQ(store.HelpPageCount, 2);
  std::istringstream second("@@C\r\n00new\r\n@End\r\n");
  ReadHelpText(host, second, store);
  EXPECT_EQ(store.HelpPageCount, 1);
  EXPECT_EQ(store.Page(1).Title, "C");
  EXPECT_EQ(Line(store, 1, 2), "");  // nothing left over from the first reading
  EXPECT_EQ(FindPage(store, "B"), -1);

  store.HelpFileName = "/nonexistent/dir/DM_help.tfh";
  const HelpReadResult res = ReadHelpFile(host, store);
  EXPECT_EQ(res.status, HelpReadStatus::kCannotOpen);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("/nonexistent/dir/DM_help.tfh"), std::string::npos);
  EXPECT_EQ(store.HelpPageCount, 1);  // unchanged

  // A named pipe or a device would hold the window; both are refused unread.
  host.errors.clear();
  const std::string fifo = ::testing::TempDir() + "help_pipe.tfh";
  ::unlink(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    store.HelpFileName = path;
    EXPECT_EQ(ReadHelpFile(host, store).status, HelpReadStatus::kCannotOpen);
  }
  ::unlink(fifo.c_str());
  ASSERT_EQ(host.errors.size(), 2u);
  EXPECT_NE(host.errors[0].find("named pipe, not a regular file"), std::string::npos);
  EXPECT_NE(host.errors[1].find("device, not a regular file"), std::string::npos);
  EXPECT_EQ(store.HelpPageCount, 1);
}

// ---- Page layout ----

std::string Describe(const std::vector<HelpPiece>& pieces) {
  std::string s;
  for (const HelpPiece& p : pieces) {
    if (p.kind == HelpPiece::kNewLine) s += "|";
    if (p.kind == HelpPiece::kText) s += "{" + p.text + "}";
    if (p.kind == HelpPiece::kLink) s += "<" + p.text + ">";
  }
  return s;
}

// The layout of a page with the given lines 1.., with the trailing display-line ends of the
// empty lines after them left off.
std::string LayoutOf(const std::vector<std::string>& lines) {
  HelpPage page;
  for (size_t i = 0; i < lines.size(); ++i) page.Lines[i + 1] = lines[i];
  std::string s = Describe(LayoutHelpPage(page));
  while (!s.empty() && s.back() == '|') s.pop_back();
  return s;
}

TEST(HelpLayout, DisplayLineMarkersAndFlowingText) {
  // A first line with "  " starts at the top; the same line as line 2 starts a new line.
  EXPECT_EQ(LayoutOf({"  indented"}), "{  indented}");
  EXPECT_EQ(LayoutOf({"a", "  b"}), "{a}|{  b}");
  // Without a marker the text flows on; "__" and "＿" are not shown; "　" is.
  EXPECT_EQ(LayoutOf({"a", "b", "__c",
                      "\x81\x51"
                      "d",
                      "\x81\x40"
                      "e"}),
            "{a}{b}|{c}|{d}|{\x81\x40"
            "e}");
  // An empty source line ends the display line; each further one adds an empty line.
  EXPECT_EQ(LayoutOf({"a", "", "", "b"}), "{a}||{b}");
  // All 22 lines are laid out: an empty page is 22 display-line ends.
  EXPECT_EQ(Describe(LayoutHelpPage(HelpPage{})), std::string(22, '|'));
  // Line 23 is never drawn by itself.
  std::string expected;
  for (int i = 0; i < 22; ++i) expected += "{x}";
  EXPECT_EQ(LayoutOf(std::vector<std::string>(23, "x")), expected);
}

TEST(HelpLayout, LinksAcrossLinesBackToBackAndUnclosed) {
  // A link to Top written across lines 3 and 4 is one link; line 4 goes on after it.
  EXPECT_EQ(LayoutOf({"x", "y", "see [[To", "p]] more"}), "{x}{y}{see }<Top>{ more}");
  // Closing brackets split over the line end.
  EXPECT_EQ(LayoutOf({"[[A]", "]b"}), "<A>{b}");
  // A link that ends exactly at the end of its line: the next line starts normally.
  EXPECT_EQ(LayoutOf({"[[A]]", "b"}), "<A>{b}");
  // Back to back, and an empty title.
  EXPECT_EQ(LayoutOf({"[[A]][[B]]c[[]]"}), "<A><B>{c}<>");
  // A link may begin in the last byte of a line.
  EXPECT_EQ(LayoutOf({"ab[", "[C]]d"}), "{ab}<C>{d}");
  // No closing brackets: the title takes the rest of both lines, nothing past their end,
  // and the line after them is drawn from its start.
  EXPECT_EQ(LayoutOf({"a[[B", "cd", "e"}), "{a}<Bcd>{e}");
  EXPECT_EQ(LayoutOf({"a[[B", "", "e"}), "{a}<B>|{e}");
}

TEST(HelpLayout, BracketsAreFoundOnlyAtCharacterBoundaries) {
  // The trail bytes of "ー" (81 5B) and "‐" (81 5D) are brackets.
  const std::string bar = Utf8ToCp932("ー");
  const std::string hyphen = Utf8ToCp932("‐");
  ASSERT_EQ(bar, "\x81\x5B");
  ASSERT_EQ(hyphen, "\x81\x5D");
  EXPECT_EQ(LayoutOf({bar + "[[A" + hyphen + "]]" + bar + "["}),
            "{" + bar + "}<A" + hyphen + ">{" + bar + "[}");
}

// ---- Our own help file ----

TEST(OurHelpFile, EveryLinkResolvesAndEveryPageIsReachableFromTheContents) {
  VirtualHost host;
  HelpStore store;
  store.HelpFileName = std::string(DALU_APP_DIR) + "DM_help.tfh";
  const HelpReadResult res = ReadHelpFile(host, store);
  ASSERT_EQ(res.status, HelpReadStatus::kOk) << "line " << res.line;
  ASSERT_TRUE(host.errors.empty());
  ASSERT_GE(store.HelpPageCount, 20);

  std::vector<bool> linkedFromContents(static_cast<size_t>(store.HelpPageCount) + 1, false);
  for (int32_t n = 1; n <= store.HelpPageCount; ++n) {
    const HelpPage& page = store.Page(n);
    EXPECT_FALSE(page.Title.empty()) << "page " << n;
    EXPECT_EQ(FindPage(store, page.Title), n) << "two pages share the title of page " << n;
    int links = 0;
    bool linksContents = false;
    for (const HelpPiece& piece : LayoutHelpPage(page)) {
      if (piece.kind != HelpPiece::kLink) continue;
      ++links;
      const int32_t target = FindPage(store, piece.text);
      EXPECT_GE(target, 1) << "page " << n << " (" << Cp932ToUtf8(page.Title)
                           << ") links to a missing page: " << Cp932ToUtf8(piece.text);
      if (target == 1) linksContents = true;
      if (n == 1 && target >= 1) linkedFromContents[static_cast<size_t>(target)] = true;
    }
    EXPECT_LE(links, 50) << "page " << n;
    if (n > 1) {
      EXPECT_TRUE(linksContents) << "page " << n << " has no way back to page 1";
    }
    // Nothing beyond the 22 shown lines (line 23 may only finish a link).
    for (int l = 23; l <= kHelpPageLines; ++l) {
      EXPECT_TRUE(page.Lines[static_cast<size_t>(l)].empty()) << "page " << n << " line " << l;
    }
  }
  for (int32_t n = 2; n <= store.HelpPageCount; ++n) {
    EXPECT_TRUE(linkedFromContents[static_cast<size_t>(n)])
        << "the contents do not link page " << n << " (" << Cp932ToUtf8(store.Page(n).Title) << ")";
  }
}

TEST(OurHelpFile, IsCp932WithCrLfAndNoReplacementCharacters) {
  std::ifstream in(std::string(DALU_APP_DIR) + "DM_help.tfh", std::ios::binary);
  ASSERT_TRUE(in);
  std::stringstream buf;
  buf << in.rdbuf();
  const std::string bytes = buf.str();
  ASSERT_FALSE(bytes.empty());
  size_t lines = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++lines;
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
    }
  }
  EXPECT_GT(lines, 100u);
  // Converting back gives no replacement characters, and no "?" stands where the source
  // had something CP932 cannot hold (the converter refuses such text).
  EXPECT_EQ(Cp932ToUtf8(bytes).find("\xEF\xBF\xBD"), std::string::npos);
  EXPECT_EQ(bytes.substr(0, 2), "@@");
  EXPECT_NE(bytes.find("\r\n@End\r\n"), std::string::npos);
}

}  // namespace
}  // namespace dalu
