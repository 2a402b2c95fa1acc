#include "engine/SpringEngine.h"

#include <algorithm>
#include <cstdlib>
#include <emmintrin.h>
#include <limits>

namespace {

constexpr float kNoFraction = -std::numeric_limits<float>::infinity();

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
            out[i] = SpringTank::sanitized(in[i]);
        return;
    }
    processTank(in, out, frames);
    if (!tank.loopStateIsFinite())
        tank.clearLoops();
}

namespace {

inline double low(__m128d v)
{
    return _mm_cvtsd_f64(v);
}

inline double high(__m128d v)
{
    return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}

// Rounds both lanes to float and back: the stored value, kept in double.
inline __m128d single2(__m128d v)
{
    return _mm_cvtps_pd(_mm_cvtpd_ps(v));
}

// Samples per pass of the per-sample stages; bounds the scratch memory.
constexpr std::int32_t kChunk = 256;
constexpr int kPairs = SpringTank::kNumUnits / 2;

// The units run in pairs of lanes, one unit of each bank in a pair, so that
// the bank sums are plain vertical operations: pairs 0-3 hold units 0-3 of
// bank A and 4-7 of bank B, in sign order; pairs 4-7 hold bank C's units and
// bank D's in the order 13, 12, 14, 15, whose signs (+ + - -) line up with
// C's (+ - + -) once units 12 and 14 are negated for the sum.
constexpr int kLanes[kPairs][2] = {{0, 4}, {1, 5}, {2, 6}, {3, 7}, {8, 13}, {9, 12}, {10, 14}, {11, 15}};

// One two-stage resonant filter update on two filters side by side; input
// holds the filter inputs with the offset already added.
inline void updateFilters(__m128d& stage1, __m128d& stage2, __m128d input, __m128d cutoff, __m128d feedback)
{
    const __m128d spread = _mm_sub_pd(stage1, stage2);
    stage1 = single2(
        _mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(spread, feedback), _mm_sub_pd(input, stage1)), cutoff), stage1));
    stage2 = single2(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(stage1, stage2), cutoff), stage2));
}

} // namespace

void SpringEngine::processTank(const float* in, float* out, std::int32_t frames)
{
    SpringTank& t = tank;
    constexpr int kUnits = SpringTank::kNumUnits;

    __m128d state[kPairs], complement[kPairs], pole[kPairs], feedback[kPairs];
    float* at[kUnits];
    std::int32_t left[kUnits];
    for (int p = 0; p < kPairs; ++p) {
        const DelayUnit& a = t.delayUnits[kLanes[p][0]];
        const DelayUnit& b = t.delayUnits[kLanes[p][1]];
        state[p] = _mm_set_pd(b.dampState, a.dampState);
        complement[p] = _mm_set_pd(b.dampingComplement, a.dampingComplement);
        pole[p] = _mm_set_pd(b.damping, a.damping);
        feedback[p] = _mm_set_pd(b.feedback, a.feedback);
    }
    // Where each unit steps next and how many steps it has before it wraps;
    // a stranded position (at or past the active length, after a
    // shortening) is used once and wraps.
    for (int k = 0; k < kUnits; ++k) {
        const DelayUnit& unit = t.delayUnits[k];
        at[k] = unit.samples.get() + unit.position;
        left[k] = unit.position < unit.activeLength ? unit.activeLength - unit.position : 1;
    }

    ResonantFilter highPass = t.inputHighPass;
    ResonantFilter lowPass = t.outputLowPass;
    // Lane 0 timbreFilter1, lane 1 timbreFilter2.
    __m128d timbreStage1 = _mm_set_pd(t.timbreFilter2.stage1, t.timbreFilter1.stage1);
    __m128d timbreStage2 = _mm_set_pd(t.timbreFilter2.stage2, t.timbreFilter1.stage2);
    const __m128d timbreCutoff = _mm_set_pd(t.timbreFilter2.cutoff, t.timbreFilter1.cutoff);
    const __m128d timbreFeedback = _mm_set_pd(t.timbreFilter2.feedbackAmount, t.timbreFilter1.feedbackAmount);
    const __m128d offset = _mm_set1_pd(ResonantFilter::kOffset);
    // Depth scales bank A's sum; bank B's passes unscaled (x 1 is exact).
    const __m128d sumScale = _mm_set_pd(1.0, t.dispersionDepth);
    const __m128d negateHigh = _mm_set_pd(-0.0, 0.0);
    const double inputGain = t.inputGain;
    const double dryGain = t.dryGain;
    const double wetGain = t.wetGain;

    float input[kChunk], highPassIn[kChunk], lowPassOut[kChunk];
    double kick[kChunk];

    for (std::int32_t start = 0; start < frames; start += kChunk) {
        const std::int32_t m = std::min(kChunk, frames - start);
        for (std::int32_t i = 0; i < m; ++i) {
            input[i] = SpringTank::sanitized(in[start + i]);
            highPassIn[i] = static_cast<float>(0.5 * static_cast<float>(double(input[i]) * inputGain));
            kick[i] = SpringTank::kickContribution(t.kickGain, t.kickPosition, t.kickStep);
        }

        for (std::int32_t done = 0; done < m;) {
            std::int32_t n = m - done;
            for (int k = 0; k < kUnits; ++k)
                n = std::min(n, left[k]);
            for (int k = 0; k < kUnits; ++k)
                t.delayUnits[k].lastOutput = at[k][n - 1];

            // The filter recursions are the only serial work; the damping
            // low-passes, sixteen independent recursions, fill their latency.
            for (std::int32_t i = 0; i < n; ++i) {
                const float h = highPass.highPass(highPassIn[done + i]);
                __m128d y[kPairs];
                for (int p = 0; p < kPairs; ++p)
                    y[p] = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(at[kLanes[p][0]] + i), _mm_load_ss(at[kLanes[p][1]] + i)));
                const __m128d sumAB = _mm_sub_pd(_mm_add_pd(_mm_sub_pd(y[0], y[1]), y[2]), y[3]);
                const __m128d sumCD = _mm_sub_pd(
                    _mm_add_pd(_mm_sub_pd(y[4], _mm_xor_pd(y[5], negateHigh)), _mm_xor_pd(y[6], negateHigh)), y[7]);
                // (mA, sB) and (sC, sD) as stored floats.
                const __m128d mAsB = single2(_mm_mul_pd(sumAB, sumScale));
                const __m128d sCsD = single2(sumCD);
                updateFilters(timbreStage1, timbreStage2, _mm_add_pd(_mm_shuffle_pd(mAsB, sCsD, 1), offset),
                              timbreCutoff, timbreFeedback);
                const double mA = low(mAsB);
                const double t1 = low(timbreStage2);
                const double t2 = high(timbreStage2);
                const float w = static_cast<float>((0.5 * t2 + (mA + 0.5 * t1)) + high(sCsD));
                lowPassOut[done + i] = lowPass.lowPass(w);
                const float xB = static_cast<float>(double(h) * (mA + 1.0));
                const float xC = static_cast<float>(double(static_cast<float>(xB + kick[done + i])) * (t1 + 1.0));
                const float xD = static_cast<float>(double(xC) + ((t1 + mA) + t2));

                const __m128d bankInput[2] = {_mm_set_pd(xB, h), _mm_set_pd(xD, xC)};
                for (int p = 0; p < kPairs; ++p) {
                    state[p] = single2(_mm_add_pd(_mm_mul_pd(y[p], complement[p]), _mm_mul_pd(pole[p], state[p])));
                    const __m128 written = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(state[p], feedback[p]), bankInput[p / 4]));
                    _mm_store_ss(at[kLanes[p][0]] + i, written);
                    _mm_store_ss(at[kLanes[p][1]] + i, _mm_shuffle_ps(written, written, 1));
                }
            }

            for (int k = 0; k < kUnits; ++k) {
                at[k] += n;
                left[k] -= n;
                if (left[k] == 0) {
                    DelayUnit& unit = t.delayUnits[k];
                    at[k] = unit.samples.get();
                    left[k] = std::max(unit.activeLength, std::int32_t{1});
                }
            }
            done += n;
        }

        for (std::int32_t i = 0; i < m; ++i) {
            const float c = SpringTank::scaledClip(lowPassOut[i]);
            out[start + i] = SpringTank::sanitized(static_cast<float>(double(input[i]) * dryGain + wetGain * c));
        }
    }

    for (int k = 0; k < kUnits; ++k) {
        DelayUnit& unit = t.delayUnits[k];
        unit.position = static_cast<std::int32_t>(at[k] - unit.samples.get());
    }
    for (int p = 0; p < kPairs; ++p) {
        t.delayUnits[kLanes[p][0]].dampState = static_cast<float>(low(state[p]));
        t.delayUnits[kLanes[p][1]].dampState = static_cast<float>(high(state[p]));
    }
    t.inputHighPass = highPass;
    t.outputLowPass = lowPass;
    t.timbreFilter1.stage1 = static_cast<float>(low(timbreStage1));
    t.timbreFilter1.stage2 = static_cast<float>(low(timbreStage2));
    t.timbreFilter2.stage1 = static_cast<float>(high(timbreStage1));
    t.timbreFilter2.stage2 = static_cast<float>(high(timbreStage2));
}
