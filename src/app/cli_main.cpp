// dalumaster-cli: the headless front end (see match/cli.h).
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // The program directory is found from the executable's real path, as the window does.
  std::error_code ec;
  std::string exePath = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec || exePath.empty()) exePath = argc > 0 ? argv[0] : "";
  return dalu::RunCli(args, exePath, std::cout, std::cerr);
}
