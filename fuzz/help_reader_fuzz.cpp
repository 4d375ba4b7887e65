// Fuzzes the help-file reader and the page layout.
//
// The input is two help files separated by the first NUL byte (the whole input is the first
// file when it has none, and the second file is then empty). The first file is read into
// the page store, every title is looked up and every page laid out; then the second file
// is read over it. Reading over an earlier store must give exactly what reading over any
// other store gives: nothing of an earlier file may show through.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "help/help_file.h"
#include "util/host.h"

using namespace dalu;
using dalu::fuzz::Check;

namespace {

// Error boxes are counted, not kept: the fuzzer runs millions of inputs in one process.
class CountingHost final : public VirtualHost {
 public:
  void ShowError(const std::string&) override { ++errors; }
  uint64_t errors = 0;
};

HelpReadResult Read(Host& host, std::string_view bytes, HelpStore& store) {
  std::istringstream in{std::string(bytes)};
  const HelpReadResult r = ReadHelpText(host, in, store);
  Check(r.status == HelpReadStatus::kOk || r.status == HelpReadStatus::kBadNumber, "status");
  Check(r.status == HelpReadStatus::kOk ? r.line == 0 : r.line >= 1, "error line");
  Check(store.HelpPageCount >= 0 && store.HelpPageCount <= kHelpMaxPages, "page count");
  Check(store.HelpPages.size() == kHelpMaxPages + 1, "store size");
  return r;
}

void CheckPages(const HelpStore& store) {
  for (int32_t n = 1; n <= store.HelpPageCount; ++n) {
    const HelpPage& page = store.Page(n);
    Check(page.Title.size() <= kHelpTitleBytes, "title length");
    for (const std::string& line : page.Lines) Check(line.size() <= kHelpLineBytes, "line length");
    // The last page of a title wins, so the page found is this one or a later one.
    const int32_t found = FindPage(store, page.Title);
    Check(found >= n && found <= store.HelpPageCount, "title found");
    Check(store.Page(found).Title == page.Title, "found page has the title");
    for (const HelpPiece& piece : LayoutHelpPage(page)) {
      // A link may be empty ("[[]]"): it has nothing to draw and leads nowhere.
      if (piece.kind == HelpPiece::kNewLine) Check(piece.text.empty(), "line end carries no text");
      if (piece.kind == HelpPiece::kText) Check(!piece.text.empty(), "no empty text");
      Check(piece.text.size() <= 2 * kHelpLineBytes, "piece within two lines");
    }
  }
  Check(FindPage(store, std::string(kHelpTitleBytes + 1, 'x')) == -1, "overlong title absent");
}

void CheckSameStore(const HelpStore& a, const HelpStore& b) {
  Check(a.HelpPageCount == b.HelpPageCount, "same page count");
  for (int32_t n = 0; n <= a.HelpPageCount; ++n) {
    const HelpPage& x = a.HelpPages[static_cast<size_t>(n)];
    const HelpPage& y = b.HelpPages[static_cast<size_t>(n)];
    Check(x.Title == y.Title, "same title");
    Check(x.Lines == y.Lines, "same lines: nothing of an earlier file shows through");
  }
}

struct World {
  CountingHost host;
  // Stores are large (1001 pages); they are kept between inputs, which is what the
  // comparison below relies on: `other` holds whatever the previous input left.
  std::unique_ptr<HelpStore> store = std::make_unique<HelpStore>();
  std::unique_ptr<HelpStore> other = std::make_unique<HelpStore>();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World w;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t nul = bytes.find('\0');
  const std::string_view first = bytes.substr(0, nul);
  const std::string_view second =
      nul == std::string_view::npos ? std::string_view() : bytes.substr(nul + 1);

  const uint64_t errorsBefore = w.host.errors;
  const HelpReadResult r1 = Read(w.host, first, *w.store);
  Check((w.host.errors > errorsBefore) == (r1.status != HelpReadStatus::kOk),
        "an error box exactly when reading stopped at a bad line");
  CheckPages(*w.store);

  const HelpReadResult r2 = Read(w.host, second, *w.store);
  CheckPages(*w.store);
  const HelpReadResult r3 = Read(w.host, second, *w.other);
  Check(r2.status == r3.status && r2.line == r3.line, "same result over any store");
  CheckSameStore(*w.store, *w.other);
  return 0;
}
