#include "engine/SpringEngine.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr float kNoFraction = -std::numeric_limits<float>::infinity();

inline float finiteOrZero(float v)
{
    return v - v == 0.0f ? v : 0.0f;
}

} // namespace

SpringEngine::SpringEngine() : pendingLongestFraction(kNoFraction) {}

SpringEngine::~SpringEngine() = default;

bool SpringEngine::resume(float sampleRate)
{
    return resume(sampleRate, std::rand() & 0x7fff);
}

bool SpringEngine::resume(float sampleRate, std::int32_t draw)
{
    applyPending();
    return tank.build(sampleRate, draw);
}

void SpringEngine::releaseBuffers()
{
    applyPending();
    tank.releaseBuffers();
}

void SpringEngine::setParameter(std::int32_t index, float value)
{
    if (index < 0 || index >= SpringTank::kNumParameters)
        return;
    if (index == SpringTank::kSpringTensionIndex) {
        const float fraction = SpringTank::lengthFraction(value);
        float longest = pendingLongestFraction.load(std::memory_order_relaxed);
        while (fraction > longest
               && !pendingLongestFraction.compare_exchange_weak(longest, fraction, std::memory_order_relaxed)) {
        }
    }
    pendingValues[index].store(value, std::memory_order_relaxed);
    pendingFlags[index].store(1, std::memory_order_release);
    changeCounter.fetch_add(1, std::memory_order_release);
}

void SpringEngine::applyPending()
{
    const std::uint32_t counter = changeCounter.load(std::memory_order_acquire);
    if (counter == appliedCounter)
        return;
    appliedCounter = counter;
    for (std::int32_t index = 0; index < SpringTank::kNumParameters; ++index) {
        if (pendingFlags[index].exchange(0, std::memory_order_acq_rel) == 0)
            continue;
        const float value = pendingValues[index].load(std::memory_order_relaxed);
        if (index == SpringTank::kSpringTensionIndex) {
            const float longest = pendingLongestFraction.exchange(kNoFraction, std::memory_order_relaxed);
            if (longest != kNoFraction)
                for (DelayUnit& unit : tank.delayUnits)
                    unit.setLengthFraction(longest);
        }
        tank.applyParameter(index, value);
    }
}

void SpringEngine::exportState(EngineState& state) const
{
    tank.exportState(state);
}

void SpringEngine::process(const float* in, float* out, std::int32_t frames)
{
    if (frames <= 0)
        return;
    applyPending();
    if (!tank.built) {
        for (std::int32_t i = 0; i < frames; ++i)
            out[i] = finiteOrZero(in[i]);
        return;
    }
    processTank(in, out, frames);
    if (!tank.loopStateIsFinite())
        tank.clearLoops();
}

void SpringEngine::processTank(const float* in, float* out, std::int32_t frames)
{
    SpringTank& t = tank;
    std::array<DelayUnit, SpringTank::kNumUnits>& u = t.delayUnits;
    for (std::int32_t i = 0; i < frames; ++i) {
        const float input = finiteOrZero(in[i]);
        const float a = static_cast<float>(double(input) * t.inputGain);
        const float x = static_cast<float>(0.5 * a);
        const float h = t.inputHighPass.highPass(x);
        const float y0 = u[0].tick(h), y1 = u[1].tick(h), y2 = u[2].tick(h), y3 = u[3].tick(h);
        const float mA = static_cast<float>((((double(y0) - y1) + y2) - y3) * t.dispersionDepth);
        const float xB = static_cast<float>(double(h) * (double(mA) + 1.0));
        const float y4 = u[4].tick(xB), y5 = u[5].tick(xB), y6 = u[6].tick(xB), y7 = u[7].tick(xB);
        const float sB = static_cast<float>(((double(y4) - y5) + y6) - y7);
        const float t1 = t.timbreFilter1.lowPass(sB);
        const double kick = t.kickContribution();
        const float xC = static_cast<float>(double(static_cast<float>(xB + kick)) * (double(t1) + 1.0));
        const float y8 = u[8].tick(xC), y9 = u[9].tick(xC), y10 = u[10].tick(xC), y11 = u[11].tick(xC);
        const float sC = static_cast<float>(((double(y8) - y9) + y10) - y11);
        const float t2 = t.timbreFilter2.lowPass(sC);
        const float xD = static_cast<float>(double(xC) + ((double(t1) + mA) + t2));
        const float y12 = u[12].tick(xD), y13 = u[13].tick(xD), y14 = u[14].tick(xD), y15 = u[15].tick(xD);
        const float sD = static_cast<float>(((double(y13) + y12) - y14) - y15);
        const float w = static_cast<float>((0.5 * t2 + (double(mA) + 0.5 * t1)) + sD);
        const float o = t.outputLowPass.lowPass(w);
        const float z = static_cast<float>(double(o) * double(0.1f));
        const float hi = std::fabs(static_cast<float>(double(z) + 1.0));
        const float lo = std::fabs(static_cast<float>(double(z) - 1.0));
        const float c = static_cast<float>((double(hi) - double(lo)) * 0.5);
        out[i] = finiteOrZero(static_cast<float>(double(input) * t.dryGain + double(t.wetGain) * c));
    }
}
