// The help file: a hypertext of titled pages in one line-oriented text file (CP932 bytes,
// CR LF line ends), read into a fixed page store, and the layout of one page into the
// pieces the viewer draws.
//
// File syntax, one line at a time until the line "@End":
//   "@@" + title   starts a new page (title cut to 80 bytes)
//   NN + text      a source line of the current page: NN (two characters, a decimal number,
//                  a leading blank allowed) is the number of empty source lines to insert
//                  before it; the text from the third byte on is cut to 120 bytes.
// Markup in source lines: "[[" + title + "]]" links to the page with that title (the link
// may run on from the end of one source line into the next); a line starting with "  ",
// "　", "__" or "＿" begins a new display line ("__" and "＿" are not shown); an empty source
// line ends the display line, each further one adds an empty display line; any other line
// flows on where the previous one ended.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace dalu {

class Host;

// ---- Capacities of the format ----
inline constexpr int kHelpMaxPages = 1000;  // pages the store holds
inline constexpr int kHelpPageLines = 30;   // source lines a page holds
inline constexpr int kHelpShownLines = 22;  // source lines drawn; line 23 only continues a link
inline constexpr size_t kHelpTitleBytes = 80;
inline constexpr size_t kHelpLineBytes = 120;
// A help file at full capacity (1000 pages of 30 lines of 120 bytes) stays below this; a
// larger file is refused unread.
inline constexpr size_t kMaxHelpBytes = 8 * 1024 * 1024;

// One page: its title and source lines 1..30 (entry 0 is unused and stays empty).
struct HelpPage {
  std::string Title;
  std::array<std::string, kHelpPageLines + 1> Lines;

  void Clear();
};

// The page store. Pages 1..HelpPageCount are the file's pages in file order. Entry 0 is a
// hidden page that keeps the source lines standing before the first page marker; it is
// never shown and never found by a title.
struct HelpStore {
  HelpStore() : HelpPages(kHelpMaxPages + 1) {}

  std::vector<HelpPage> HelpPages;  // always kHelpMaxPages + 1 entries
  int32_t HelpPageCount = 0;
  std::string HelpFileName;  // full path in the file system's own encoding; empty = not set

  // Page n, or an empty page when n is outside 1..kHelpMaxPages.
  const HelpPage& Page(int32_t n) const;
};

// ---- Reading ----

enum class HelpReadStatus {
  kOk,          // read up to the line "@End"
  kCannotOpen,  // the file could not be opened; the store is unchanged
  kBadNumber,   // a source line did not start with a number (also: no "@End" line)
};

struct HelpReadResult {
  HelpReadStatus status = HelpReadStatus::kOk;
  int32_t line = 0;  // file line (from 1) where reading stopped with an error
};

// Reads store.HelpFileName into the store. Failures are reported through the host's error
// box ("Please input Integer." for a line without its number, an input/output error text
// for a file that cannot be opened, is larger than kMaxHelpBytes or is no regular file);
// the pages read before a bad line stay in the store.
HelpReadResult ReadHelpFile(Host& host, HelpStore& store);

// The same for text already open; lines may end in CR LF or LF.
HelpReadResult ReadHelpText(Host& host, std::istream& in, HelpStore& store);

// The number of the last page 1..HelpPageCount whose title equals title byte for byte,
// or -1 when none does.
int32_t FindPage(const HelpStore& store, std::string_view title);

// ---- Page layout ----

// What the viewer draws for one page, in drawing order: runs of plain text, link titles
// and display-line ends. Empty texts are left out.
struct HelpPiece {
  enum Kind { kText, kLink, kNewLine };
  Kind kind = kText;
  std::string text;  // CP932 bytes: the text, or the link's title without its brackets
};

// Lays out source lines 1..22 of a page. A link found in line i may run into line i + 1;
// the next line then starts right after the link's closing brackets. A link without its
// closing "]]" takes the rest of both lines as its title.
std::vector<HelpPiece> LayoutHelpPage(const HelpPage& page);

}  // namespace dalu
