#pragma once
// Counts heap allocations and frees made by the calling thread between begin
// and end, wherever they come from (our code or a loaded module).
struct AllocationCount {
    long allocations = 0;
    long frees = 0;
};

// False where the module's allocator cannot be watched from the host (a
// module with its own statically linked C runtime, or a sanitizer build that
// owns malloc).
bool allocationCountingAvailable();
void beginAllocationCounting();
AllocationCount endAllocationCounting();
