// The one random generator of a game, seeded once. A seeded generator gives the same
// sequence on every run of the same build, so seeded headless matches are reproducible.
#pragma once

#include <cstdint>
#include <random>

namespace dalu {

class Rng {
 public:
  explicit Rng(uint64_t seed = 1) : gen_(seed) {}
  void Seed(uint64_t seed) { gen_.seed(seed); }

  // Uniform integer in 0 .. n-1 (n >= 1). Rejection sampling keeps it exactly uniform and
  // independent of the standard library's distribution code.
  int32_t Below(uint32_t n) {
    if (n <= 1) return 0;
    const uint64_t range = 0x1'0000'0000ULL;
    const uint64_t limit = range - range % n;
    uint64_t r;
    do {
      r = gen_();
    } while (r >= limit);
    return static_cast<int32_t>(r % n);
  }

  // Uniform integer in lo .. hi (inclusive).
  int32_t Between(int32_t lo, int32_t hi) { return lo + Below(static_cast<uint32_t>(hi - lo + 1)); }

 private:
  std::mt19937 gen_;
};

}  // namespace dalu
