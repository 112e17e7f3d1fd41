#include "allocation_counter.hpp"

#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> counted{0};
}

namespace pipmoves::bench {
std::size_t allocations() noexcept { return counted.load(std::memory_order_relaxed); }
}  // namespace pipmoves::bench

void* operator new(std::size_t size) {
  counted.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
