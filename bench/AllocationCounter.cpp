#include "bench/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace dialforge_bench {

namespace {

std::atomic<uint64_t> sAllocations{0};
thread_local uint64_t tThreadAllocations = 0;

void* CountedAllocation(std::size_t size) {
  sAllocations.fetch_add(1, std::memory_order_relaxed);
  ++tThreadAllocations;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

uint64_t AllocationCount() {
  return sAllocations.load(std::memory_order_relaxed);
}

uint64_t ThreadAllocationCount() {
  return tThreadAllocations;
}

}  // namespace dialforge_bench

// Exported explicitly: the project builds with hidden visibility, and a hidden replacement
// would serve this program only, not the module or the C++ library.
#define DIALFORGE_BENCH_EXPORT __attribute__((visibility("default")))

DIALFORGE_BENCH_EXPORT void* operator new(std::size_t size) {
  if (void* memory = dialforge_bench::CountedAllocation(size)) {
    return memory;
  }
  throw std::bad_alloc();
}

DIALFORGE_BENCH_EXPORT void* operator new[](std::size_t size) {
  return operator new(size);
}

DIALFORGE_BENCH_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return dialforge_bench::CountedAllocation(size);
}

DIALFORGE_BENCH_EXPORT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return dialforge_bench::CountedAllocation(size);
}

DIALFORGE_BENCH_EXPORT void operator delete(void* memory) noexcept {
  std::free(memory);
}

DIALFORGE_BENCH_EXPORT void operator delete[](void* memory) noexcept {
  std::free(memory);
}

DIALFORGE_BENCH_EXPORT void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

DIALFORGE_BENCH_EXPORT void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
