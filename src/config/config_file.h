// The configuration file "DaluCfg.txt" in the program directory: 15 pairs of a label line
// and a value line. Labels are free text the program never interprets and keeps when it
// rewrites the file; values are decimal integers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/config.h"

namespace dalu {

class Host;

// What the configuration file's reader and writer work with: the settings (the program
// directory and the language of messages among them) and the host that shows failures.
struct ConfigContext {
  Config& cfg;
  Host& host;
};

inline constexpr const char* kConfigFileName = "DaluCfg.txt";
inline constexpr int kConfigLines = 2 * kCfgItems;

// ---- Program directory ---------------------------------------------------------------

// The program directory for the executable at exePath: the path up to and including the
// last "DALU/" (a plain, case-sensitive substring search), else the executable's own
// directory. Always ends with "/" ("./" for a bare name).
std::string CurDirLoad(const std::string& exePath);

// ---- Reading and writing -------------------------------------------------------------

// Reads g.cfg.AppDir + "DaluCfg.txt" into g.cfg.Cfg and sets g.cfg.EnglishUI.
// Items 0..7 are held to their lower and upper limits (a pacing value far outside them
// would make an animation wait for days or never end); a value that is not a number shows
// "Please input Integer." (once per load) and takes its Default (0 for items 8..14); items
// 8..14 are otherwise kept as read. Missing lines take their defaults. A missing file is
// written with the defaults and English labels, and start-up goes on; a file that cannot
// be read is reported with the system's error text and the defaults are used.
void ConfigLoad(const ConfigContext& g);

// Rewrites the file with g.cfg.Cfg, keeping every label line of the existing file (a label
// it lacks gets the English default), atomically. Item 13 is written as 0 (English) or 1.
// Failures show the system's error text and return false.
bool ConfigWrite(const ConfigContext& g);

// ---- The parts, for tests and fuzzing --------------------------------------------------

struct ParsedConfig {
  int32_t Cfg[kCfgItems] = {};
  std::string Labels[kCfgItems];  // as read; the English default where the file has none
  bool hadLabel[kCfgItems] = {};
  bool badNumber = false;  // some value line was not a number
};

// The defaults of a fresh file: the Default column for items 0..7, 0 for items 8..14.
void DefaultConfig(int32_t (&cfg)[kCfgItems]);
// The English label written for item i into a fresh file.
std::string DefaultConfigLabel(int i);

void ParseConfigText(std::string_view bytes, ParsedConfig& out);
// The 30 lines of the file, CR LF. A CR or LF inside a label is written as a blank.
std::string ConfigText(const std::string (&labels)[kCfgItems], const int32_t (&cfg)[kCfgItems]);

}  // namespace dalu
