// Counts the program's heap allocations and the bytes they hold. The program replaces the global
// operator new and exports it, so the plug-in module, loaded later, binds its allocations to the
// same counter. Over-aligned allocations are not counted; nothing on the measured paths makes them.
#ifndef DIALFORGE_BENCH_ALLOCATIONCOUNTER_H
#define DIALFORGE_BENCH_ALLOCATIONCOUNTER_H

#include <cstdint>

namespace dialforge_bench {

// Allocations made so far by every thread of the process.
uint64_t AllocationCount();
// Allocations made so far by the calling thread.
uint64_t ThreadAllocationCount();
// The bytes asked for by the allocations not yet released, of every thread.
long long LiveHeapBytes();

}  // namespace dialforge_bench

#endif
