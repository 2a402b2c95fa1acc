#include "tools/host/AllocationCounter.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>

#if defined(QUORL_HOST_SANITIZED)

bool allocationCountingAvailable() {
    return false;
}
void beginAllocationCounting() {}
AllocationCount endAllocationCounting() {
    return {};
}

#else

// The executable's definitions win over libc's for every library loaded
// later, a module included, so its allocator calls pass through here.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

// initial-exec: reading the flag must not itself allocate (lazy TLS would).
[[gnu::tls_model("initial-exec")]] thread_local bool counting = false;
[[gnu::tls_model("initial-exec")]] thread_local long allocationCount = 0;
[[gnu::tls_model("initial-exec")]] thread_local long freeCount = 0;

inline void noteAllocation() {
    if (counting)
        ++allocationCount;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) noexcept {
    noteAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) noexcept {
    noteAllocation();
    return __libc_realloc(pointer, size);
}

void free(void* pointer) noexcept {
    if (counting && pointer != nullptr)
        ++freeCount;
    __libc_free(pointer);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) noexcept {
    noteAllocation();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr)
        return ENOMEM;
    *result = pointer;
    return 0;
}

}  // extern "C"

bool allocationCountingAvailable() {
    return true;
}

void beginAllocationCounting() {
    allocationCount = 0;
    freeCount = 0;
    counting = true;
}

AllocationCount endAllocationCounting() {
    counting = false;
    return {allocationCount, freeCount};
}

#endif
