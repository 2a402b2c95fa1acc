#include "tools/host/AllocationCounter.h"

// Windows modules carry their own statically linked C runtime, whose heap
// calls never pass through the host: there is nothing to count from here.
bool allocationCountingAvailable() {
    return false;
}
void beginAllocationCounting() {}
AllocationCount endAllocationCounting() {
    return {};
}
