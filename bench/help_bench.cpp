// The help viewer rereads its whole file every time it is activated and lays out a page on
// every page change: how long that takes for a file at the format's capacity.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "help/help_file.h"
#include "util/host.h"

namespace {

// 1000 pages of 22 full source lines (120 bytes each, a link in every line): the largest
// file the store keeps.
std::string FullHelpText() {
  std::string text;
  for (int p = 1; p <= dalu::kHelpMaxPages; ++p) {
    text += "@@Page " + std::to_string(p) + "\r\n";
    for (int l = 1; l <= dalu::kHelpShownLines; ++l) {
      std::string line = "00Some text before [[Page " + std::to_string((p * 7 + l) % 1000 + 1) +
                         "]] and some text after it";
      line.resize(122, 'x');
      text += line + "\r\n";
    }
  }
  return text + "@End\r\n";
}

void BM_ReadFullHelpFile(benchmark::State& state) {
  const std::string text = FullHelpText();
  dalu::VirtualHost host;
  dalu::HelpStore store;
  for (auto _ : state) {
    std::istringstream in(text);
    benchmark::DoNotOptimize(dalu::ReadHelpText(host, in, store));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadFullHelpFile)->Unit(benchmark::kMillisecond);

void BM_LayoutFullPageAndFindLinks(benchmark::State& state) {
  const std::string text = FullHelpText();
  dalu::VirtualHost host;
  dalu::HelpStore store;
  std::istringstream in(text);
  dalu::ReadHelpText(host, in, store);
  for (auto _ : state) {
    int found = 0;
    for (const dalu::HelpPiece& piece : dalu::LayoutHelpPage(store.Page(500))) {
      if (piece.kind == dalu::HelpPiece::kLink) found += dalu::FindPage(store, piece.text) > 0;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_LayoutFullPageAndFindLinks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
