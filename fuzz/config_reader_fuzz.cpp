// Fuzzes the configuration reader and writer.
//
// Every input must give pacing values inside their limits, and the file written from what
// was read must read back to the same values and labels, and write the same bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "fuzz_check.h"

using namespace dalu;
using dalu::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto first = std::make_unique<ParsedConfig>();
  static auto second = std::make_unique<ParsedConfig>();
  ParseConfigText(std::string_view(reinterpret_cast<const char*>(data), size), *first);
  for (int i = 0; i < kTimingItems; ++i) {
    Check(first->Cfg[i] >= kCfgMin[i] && first->Cfg[i] <= kCfgMax[i], "pacing limits");
  }
  const std::string text1 = ConfigText(first->Labels, first->Cfg);
  ParseConfigText(text1, *second);
  Check(!second->badNumber, "written values are numbers");
  for (int i = 0; i < kCfgItems; ++i) {
    Check(second->Cfg[i] == first->Cfg[i], "same values");
    Check(second->hadLabel[i], "every label written");
  }
  const std::string text2 = ConfigText(second->Labels, second->Cfg);
  Check(text1 == text2, "write, read, write gives the same bytes");
  return 0;
}
