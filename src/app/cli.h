// dalumaster-cli, the headless front end: whole matches, replays, tournaments between the
// computer levels, the analysis of a recorded position, and a fixed benchmark whose
// signature changes exactly when play changes. It runs the real match loop with the
// virtual clock, a null canvas and no sound. Scripts depend on its output formats.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace dalu {

// Exit codes.
inline constexpr int kCliOk = 0;
inline constexpr int kCliFailed = 1;    // something went wrong on the way (a save failed)
inline constexpr int kCliBadInput = 2;  // an unknown command, a bad value, a refused file

// Runs one command. args are the arguments after the program name; exePath is the
// executable's path (the program directory is found from it unless --appdir is given).
// Normal output goes to out, the one-line error messages to err.
int RunCli(const std::vector<std::string>& args, const std::string& exePath, std::ostream& out,
           std::ostream& err);

// The fixed benchmark's matches: pairs of levels and the seed of each.
struct BenchMatch {
  int left, right;
  uint64_t seed;
};
std::vector<BenchMatch> BenchMatches();

}  // namespace dalu
