// dalumaster-cli: the headless front end.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::printf(
        "dalumaster-cli: headless front end of DaluMaster.\n"
        "Built so far: the game engine core (fields, twins, placements, chain resolution)\n"
        "and its tests. Headless matches and replays are not built yet.\n");
    return argc < 2 ? 0 : 0;
  }
  std::fprintf(stderr, "dalumaster-cli: unknown command '%s'\n", argv[1]);
  return 2;
}
