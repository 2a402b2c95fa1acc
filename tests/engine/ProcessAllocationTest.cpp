// The audio path allocates nothing: every operator new of this test binary
// is counted, and processing and parameter changes must not add to the count.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {

std::atomic<long> allocations{0};
std::atomic<long long> allocatedBytes{0};

void* counted(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    allocatedBytes.fetch_add(static_cast<long long>(size), std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return counted(size);
}
void* operator new[](std::size_t size) {
    return counted(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return counted(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return counted(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
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

namespace {

TEST(ProcessAllocation, TheEngineIsItsSixteenBuffersAndLittleElse) {
    auto engine = std::make_unique<SpringEngine>();
    EXPECT_LT(sizeof(SpringEngine), 2048u);
    const long before = allocations.load();
    const long long bytesBefore = allocatedBytes.load();
    ASSERT_TRUE(engine->resume(48000.0f, 0));
    EXPECT_EQ(allocations.load() - before, 16);
    const long long bytes = allocatedBytes.load() - bytesBefore;
    EngineState state;
    engine->exportState(state);
    long long samples = 0;
    for (const EngineState::Unit& unit : state.delayUnits)
        samples += unit.allocatedLength;
    EXPECT_EQ(bytes, samples * static_cast<long long>(sizeof(float)));
}

TEST(ProcessAllocation, ProcessingAndParameterChangesAllocateNothing) {
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*engine, 48000.0f, 123));
    std::vector<float> in(4096), out(4096);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(static_cast<int>(i * 7919 % 200) - 100) / 100.0f;

    const long before = allocations.load();
    for (int block = 0; block < 200; ++block) {
        const std::int32_t index = block % 10;
        engine->setParameter(index, static_cast<float>(block % 7) / 6.0f);
        engine->setParameter(4, static_cast<float>(block % 3) / 2.0f);
        engine->setParameter(9, 1.0f);
        const std::int32_t frames = 1 + (block * 997) % 4096;
        engine->process(in.data(), block % 2 ? out.data() : in.data(), frames);
    }
    EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
