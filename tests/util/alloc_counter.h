// Counts heap allocations made by the current thread, for tests that check a routine
// allocates nothing. The counting operator new lives in alloc_counter_test.cpp.
#pragma once

#include <cstdint>

namespace dalu::testing {

uint64_t AllocationCount();

// Allocations made by f().
template <typename F>
uint64_t AllocationsDuring(F&& f) {
  const uint64_t before = AllocationCount();
  f();
  return AllocationCount() - before;
}

}  // namespace dalu::testing
