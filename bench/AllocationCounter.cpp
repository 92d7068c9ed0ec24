#include "bench/AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace dialforge_bench {

namespace {

std::atomic<uint64_t> sAllocations{0};
std::atomic<long long> sLiveBytes{0};
thread_local uint64_t tThreadAllocations = 0;

// Each block starts with its size, kept in a header that leaves the block as aligned as malloc's.
constexpr std::size_t kHeaderSize = alignof(std::max_align_t);

void* CountedAllocation(std::size_t size) {
  sAllocations.fetch_add(1, std::memory_order_relaxed);
  ++tThreadAllocations;
  void* block = std::malloc(kHeaderSize + size);
  if (block == nullptr) {
    return nullptr;
  }
  *static_cast<std::size_t*>(block) = size;
  sLiveBytes.fetch_add(static_cast<long long>(size), std::memory_order_relaxed);
  return static_cast<char*>(block) + kHeaderSize;
}

void CountedRelease(void* memory) {
  if (memory == nullptr) {
    return;
  }
  void* block = static_cast<char*>(memory) - kHeaderSize;
  sLiveBytes.fetch_sub(static_cast<long long>(*static_cast<std::size_t*>(block)),
                       std::memory_order_relaxed);
  std::free(block);
}

}  // namespace

uint64_t AllocationCount() {
  return sAllocations.load(std::memory_order_relaxed);
}

uint64_t ThreadAllocationCount() {
  return tThreadAllocations;
}

long long LiveHeapBytes() {
  return sLiveBytes.load(std::memory_order_relaxed);
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
  dialforge_bench::CountedRelease(memory);
}

DIALFORGE_BENCH_EXPORT void operator delete[](void* memory) noexcept {
  dialforge_bench::CountedRelease(memory);
}

DIALFORGE_BENCH_EXPORT void operator delete(void* memory, std::size_t) noexcept {
  dialforge_bench::CountedRelease(memory);
}

DIALFORGE_BENCH_EXPORT void operator delete[](void* memory, std::size_t) noexcept {
  dialforge_bench::CountedRelease(memory);
}
