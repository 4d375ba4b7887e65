#include "help/help_file.h"

#include <algorithm>
#include <optional>
#include <sstream>

#include "util/file_io.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

const HelpPage kEmptyPage{};

// The two leading characters of a source line as a number; a leading blank is allowed.
std::optional<int32_t> LeadingCount(std::string_view line) {
  std::string_view digits = line.substr(0, 2);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  return ParseInt(digits);
}

// "  ", "　" (ideographic space), "__" or "＿" (fullwidth low line) at the start of a line
// begin a new display line.
bool StartsDisplayLine(std::string_view line) {
  if (line.size() < 2) return false;
  const std::string_view two = line.substr(0, 2);
  return two == "  " || two == "\x81\x40" || two == "__" || two == "\x81\x51";
}

// "__" and "＿" are markers only; the blanks of the other two forms are shown as an indent.
bool StartsWithHiddenMarker(std::string_view line) {
  if (line.size() < 2) return false;
  const std::string_view two = line.substr(0, 2);
  return two == "__" || two == "\x81\x51";
}

// Finds two equal ASCII bytes (such as "[[") at a character boundary of s, from the
// 0-based position from on. Walking whole characters keeps the trail byte of a two-byte
// character from pairing with a bracket after it: "ー" is 81 5B, so a byte-wise search
// would find "[[" inside "ー[".
size_t FindPair(std::string_view s, size_t from, char ch) {
  size_t i = from;
  while (i + 1 < s.size()) {
    if (s[i] == ch && s[i + 1] == ch) return i;
    i += static_cast<size_t>(Cp932CharLen(s, i));
  }
  return std::string_view::npos;
}

}  // namespace

void HelpPage::Clear() {
  Title.clear();
  for (std::string& line : Lines) line.clear();
}

const HelpPage& HelpStore::Page(int32_t n) const {
  if (n < 1 || n > kHelpMaxPages) return kEmptyPage;
  return HelpPages[static_cast<size_t>(n)];
}

HelpReadResult ReadHelpText(Host& host, std::istream& in, HelpStore& store) {
  store.HelpPageCount = 0;
  store.HelpPages[0].Clear();
  // The page that receives source lines: 0 (the hidden page) before the first marker, -1
  // for pages beyond the store's capacity, whose lines are checked but not kept.
  int32_t target = 0;
  int32_t position = 1;  // line position in the page; beyond kHelpPageLines nothing is kept
  std::string line;
  for (int32_t lineNo = 1;; ++lineNo) {
    // Reading past the end gives empty lines, and an empty line fails the number test
    // below, so a file without "@End" ends with the conversion error.
    if (!std::getline(in, line)) {
      line.clear();
    } else if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line == "@End") return {HelpReadStatus::kOk, 0};

    if (line.size() >= 2 && line[0] == '@' && line[1] == '@') {
      // Pages beyond the capacity are dropped without a message.
      if (store.HelpPageCount < kHelpMaxPages) {
        ++store.HelpPageCount;
        target = store.HelpPageCount;
        HelpPage& page = store.HelpPages[static_cast<size_t>(target)];
        // All 30 lines are cleared, not only the 23 the viewer reads, so no line of an
        // earlier reading survives in a page.
        page.Clear();
        page.Title = line.substr(2, kHelpTitleBytes);
      } else {
        target = -1;
      }
      position = 1;
      continue;
    }

    const std::optional<int32_t> skip = LeadingCount(line);
    if (!skip) {
      host.ShowError(kPleaseInputInteger);
      return {HelpReadStatus::kBadNumber, lineNo};
    }
    // Lines beyond 30 are dropped without a message; the position is held just past the
    // last line so that large counts cannot overflow it.
    if (*skip > 0) position = std::min(position + *skip, kHelpPageLines + 1);
    if (position <= kHelpPageLines) {
      if (target >= 0) {
        store.HelpPages[static_cast<size_t>(target)].Lines[static_cast<size_t>(position)] =
            line.size() > 2 ? line.substr(2, kHelpLineBytes) : std::string();
      }
      ++position;
    }
  }
}

HelpReadResult ReadHelpFile(Host& host, HelpStore& store) {
  // Read whole and capped like the records and the configuration, so that a named pipe or
  // a device chosen as the help file cannot hold the window.
  const ReadResult file = ReadWholeFile(store.HelpFileName, kMaxHelpBytes);
  if (file.status != ReadStatus::kOk) {
    const std::string why = file.status == ReadStatus::kTooLarge ? "the file is larger than 8 MB"
                            : file.status == ReadStatus::kNotRegular
                                ? NotRegularText(file.kind, true)
                                : file.error;
    host.ShowError("I/O error: cannot open " + PathText(store.HelpFileName) + " (" + why + ")");
    return {HelpReadStatus::kCannotOpen, 0};
  }
  std::istringstream in(file.bytes);
  return ReadHelpText(host, in, store);
}

int32_t FindPage(const HelpStore& store, std::string_view title) {
  for (int32_t n = store.HelpPageCount; n >= 1; --n) {
    if (store.HelpPages[static_cast<size_t>(n)].Title == title) return n;
  }
  return -1;
}

std::vector<HelpPiece> LayoutHelpPage(const HelpPage& page) {
  std::vector<HelpPiece> out;
  auto text = [&out](std::string_view s) {
    if (!s.empty()) out.push_back({HelpPiece::kText, std::string(s)});
  };
  auto newLine = [&out] { out.push_back({HelpPiece::kNewLine, {}}); };

  // Positions below count bytes from 1, as the format describes them. start is where line i
  // resumes; a negative value carries over from line i - 1 a link that ended inside line i.
  int32_t start = 1;
  for (int i = 1; i <= kHelpShownLines; ++i) {
    const std::string& line = page.Lines[static_cast<size_t>(i)];
    if (line.empty()) {
      newLine();
      continue;
    }
    // The line and the next one as one run, so that a link may run on into the next line.
    const std::string run = line + page.Lines[static_cast<size_t>(i + 1)];
    if (i > 1 && StartsDisplayLine(line)) newLine();
    const int32_t len = static_cast<int32_t>(line.size());
    start = start > 0 ? 1 : -start;
    // The hidden marker is skipped; max() keeps a link that ran on over it from being
    // drawn a second time.
    if (StartsWithHiddenMarker(line)) start = std::max(start, 3);

    int32_t p = start;
    while (p <= len) {
      const size_t open = FindPair(run, static_cast<size_t>(p - 1), '[');
      if (open == std::string::npos || static_cast<int32_t>(open) + 1 > len) break;
      p = static_cast<int32_t>(open) + 1;
      text(std::string_view(run).substr(static_cast<size_t>(start - 1),
                                        static_cast<size_t>(p - start)));
      const size_t close = FindPair(run, static_cast<size_t>(p + 1), ']');
      if (close == std::string::npos) {
        // No closing brackets: the title takes the rest of the run and nothing is read past
        // its end; both lines are used up.
        out.push_back({HelpPiece::kLink, run.substr(static_cast<size_t>(p + 1))});
        start = static_cast<int32_t>(run.size()) + 1;
        break;
      }
      const int32_t q = static_cast<int32_t>(close) + 1;
      out.push_back({HelpPiece::kLink,
                     run.substr(static_cast<size_t>(p + 1), static_cast<size_t>(q - p - 2))});
      start = q + 2;
      p = start;
    }
    if (start > len) {
      // The last link ended beyond this line: the next line starts right after it.
      start = -(start - len);
    } else {
      text(std::string_view(line).substr(static_cast<size_t>(start - 1)));
    }
  }
  return out;
}

}  // namespace dalu
