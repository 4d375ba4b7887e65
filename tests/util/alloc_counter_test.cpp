// The test binary's operator new counts allocations per thread, so a test can check that a
// routine allocates nothing (see alloc_counter.h).
#include "util/alloc_counter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace {
thread_local uint64_t allocations = 0;
}

void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  return operator new(n);
}
// The nothrow forms too, so every allocation is counted and paired with free().
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept {
  return operator new(n, t);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace dalu::testing {

uint64_t AllocationCount() {
  return allocations;
}

TEST(AllocationCounter, SeesAVectorGrow) {
  std::vector<int>* keep = nullptr;
  EXPECT_GE(AllocationsDuring([&] { keep = new std::vector<int>(100); }), 1u);
  delete keep;
}

}  // namespace dalu::testing
