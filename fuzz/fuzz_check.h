// Shared by the fuzz targets: an invariant that must hold for every input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace dalu::fuzz {

inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace dalu::fuzz
