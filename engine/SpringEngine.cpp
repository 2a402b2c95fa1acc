#include "engine/SpringEngine.h"

#include <algorithm>
#include <cstdlib>
#include <emmintrin.h>
#include <limits>

namespace {

constexpr float kNoFraction = -std::numeric_limits<float>::infinity();

}  // namespace

SpringEngine::SpringEngine() : pendingLongestFraction(kNoFraction) {}

SpringEngine::~SpringEngine() = default;

bool SpringEngine::resume(float sampleRate) {
    return resume(sampleRate, std::rand() & 0x7fff);
}

bool SpringEngine::resume(float sampleRate, std::int32_t draw) {
    applyPending();
    return tank.build(sampleRate, draw);
}

void SpringEngine::releaseBuffers() {
    applyPending();
    tank.releaseBuffers();
}

void SpringEngine::setParameter(std::int32_t index, float value) {
    if (index < 0 || index >= SpringTank::kNumParameters)
        return;
    if (index == SpringTank::kSpringTensionIndex) {
        const float fraction = SpringTank::lengthFraction(value);
        float longest = pendingLongestFraction.load(std::memory_order_relaxed);
        while (fraction > longest &&
               !pendingLongestFraction.compare_exchange_weak(longest, fraction, std::memory_order_relaxed)) {
        }
    }
    pendingValues[index].store(value, std::memory_order_relaxed);
    pendingFlags[index].store(1, std::memory_order_release);
    changeCounter.fetch_add(1, std::memory_order_release);
}

void SpringEngine::applyPending() {
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

void SpringEngine::exportState(EngineState& state) const {
    tank.exportState(state);
}

void SpringEngine::process(const float* in, float* out, std::int32_t frames) {
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

inline double low(__m128d v) {
    return _mm_cvtsd_f64(v);
}

inline double high(__m128d v) {
    return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}

// Rounds both lanes to float and back: the stored value, kept in double.
inline __m128d single2(__m128d v) {
    return _mm_cvtps_pd(_mm_cvtpd_ps(v));
}

// Samples per pass of the per-sample stages; bounds the scratch memory.
constexpr std::int32_t kChunk = 256;
constexpr int kPairs = SpringTank::kNumUnits / 2;
// Bank A's units (lane 0 of pairs 0-3) have the shortest loops. They wrap
// inside the sample loop, so that sub-blocks end only where one of the longer
// units wraps, which is rare enough for the bookkeeping not to matter.
constexpr int kShort = 4;

// The units run in pairs of lanes, one unit of each bank in a pair, so that
// the bank sums are plain vertical operations: pairs 0-3 hold units 0-3 of
// bank A and 4-7 of bank B, in sign order; pairs 4-7 hold bank C's units and
// bank D's in the order 13, 12, 14, 15, whose signs (+ + - -) line up with
// C's (+ - + -) once units 12 and 14 are negated for the sum.
constexpr int kLanes[kPairs][2] = {{0, 4}, {1, 5}, {2, 6}, {3, 7}, {8, 13}, {9, 12}, {10, 14}, {11, 15}};

// One two-stage resonant filter update on two filters side by side; input
// holds the filter inputs with the offset already added.
inline void updateFilters(__m128d& stage1, __m128d& stage2, __m128d input, __m128d cutoff, __m128d feedback) {
    const __m128d spread = _mm_sub_pd(stage1, stage2);
    stage1 = single2(
        _mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(spread, feedback), _mm_sub_pd(input, stage1)), cutoff), stage1));
    stage2 = single2(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(stage1, stage2), cutoff), stage2));
}

void runTank(SpringTank& t, const float* in, float* out, std::int32_t frames) {
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

    float* shortSamples[kShort];
    float* shortEnd[kShort];
    float* shortAt[kShort];
    for (int k = 0; k < kShort; ++k) {
        const DelayUnit& unit = t.delayUnits[k];
        shortSamples[k] = unit.samples.get();
        shortAt[k] = unit.samples.get() + unit.position;
        shortEnd[k] = unit.samples.get() + unit.activeLength;
    }
    // Reads and bank sums of one sample, from[k] + i being unit k's entry
    // (shortFrom[k] for bank A). They depend on nothing computed in the loop,
    // so the timbre filters, which need only them, run one sample ahead of
    // the rest.
    __m128d y[kPairs], mAsB, sCsD;
    const auto readSample = [&](float* const* from, std::int32_t i, float* const* shortFrom, __m128d* ys,
                                __m128d& sumsAB, __m128d& sumsCD) {
        for (int p = 0; p < kPairs; ++p) {
            const float* a = p < kShort ? shortFrom[p] : from[kLanes[p][0]] + i;
            ys[p] = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(a), _mm_load_ss(from[kLanes[p][1]] + i)));
        }
        const __m128d sumAB = _mm_sub_pd(_mm_add_pd(_mm_sub_pd(ys[0], ys[1]), ys[2]), ys[3]);
        const __m128d sumCD = _mm_sub_pd(
            _mm_add_pd(_mm_sub_pd(ys[4], _mm_xor_pd(ys[5], negateHigh)), _mm_xor_pd(ys[6], negateHigh)), ys[7]);
        // (mA, sB) and (sC, sD) as stored floats.
        sumsAB = single2(_mm_mul_pd(sumAB, sumScale));
        sumsCD = single2(sumCD);
        updateFilters(timbreStage1, timbreStage2, _mm_add_pd(_mm_shuffle_pd(sumsAB, sumsCD, 1), offset), timbreCutoff,
                      timbreFeedback);
    };
    // The timbre state after the last sample done; the look-ahead past the
    // block's end is discarded.
    __m128d committed1 = timbreStage1;
    __m128d committed2 = timbreStage2;
    // With every loop at least two samples long, a sample never reads the
    // entry the sample before it writes, so the look-ahead is always valid.
    // Otherwise every sub-block is one sample long and its look-ahead is
    // discarded and redone once the sample is written.
    bool aheadAcross = true;
    for (const DelayUnit& unit : t.delayUnits)
        aheadAcross = aheadAcross && unit.activeLength >= 2;
    bool primed = false;

    for (std::int32_t start = 0; start < frames; start += kChunk) {
        const std::int32_t m = std::min(kChunk, frames - start);
        for (std::int32_t i = 0; i < m; ++i) {
            input[i] = SpringTank::sanitized(in[start + i]);
            highPassIn[i] = static_cast<float>(0.5 * static_cast<float>(double(input[i]) * inputGain));
            kick[i] = SpringTank::kickContribution(t.kickGain, t.kickPosition, t.kickStep);
        }

        for (std::int32_t done = 0; done < m;) {
            std::int32_t n = aheadAcross ? m - done : 1;
            for (int k = kShort; k < kUnits; ++k)
                n = std::min(n, left[k]);
            // Every unit steps once per sample, so the last reads of the
            // block are the units' last outputs.
            const bool lastSubBlock = start + done + n == frames;
            if (lastSubBlock)
                for (int k = kShort; k < kUnits; ++k)
                    t.delayUnits[k].lastOutput = at[k][n - 1];
            // Where each unit continues after this sub-block.
            float* next[kUnits];
            for (int k = kShort; k < kUnits; ++k) {
                const DelayUnit& unit = t.delayUnits[k];
                const bool wraps = left[k] == n;
                next[k] = wraps ? unit.samples.get() : at[k] + n;
                left[k] = wraps ? std::max(unit.activeLength, std::int32_t{1}) : left[k] - n;
            }
            if (!primed)
                readSample(at, 0, shortAt, y, mAsB, sCsD);
            primed = true;

            // The filter recursions are the only serial work; the damping
            // low-passes, sixteen independent recursions, fill their latency.
            const auto step = [&](std::int32_t i, float* const* ahead, std::int32_t aheadIndex, bool last) {
                committed1 = timbreStage1;
                committed2 = timbreStage2;
                float* shortNext[kShort];
                for (int k = 0; k < kShort; ++k)
                    shortNext[k] = shortAt[k] + 1 >= shortEnd[k] ? shortSamples[k] : shortAt[k] + 1;
                __m128d nextY[kPairs], nextMAsB, nextSCsD;
                readSample(ahead, aheadIndex, shortNext, nextY, nextMAsB, nextSCsD);
                if (last && lastSubBlock)
                    for (int k = 0; k < kShort; ++k)
                        t.delayUnits[k].lastOutput = static_cast<float>(low(y[k]));

                const float h = highPass.highPass(highPassIn[done + i]);
                const double mA = low(mAsB);
                const double t1 = low(committed2);
                const double t2 = high(committed2);
                const float w = static_cast<float>((0.5 * t2 + (mA + 0.5 * t1)) + high(sCsD));
                lowPassOut[done + i] = lowPass.lowPass(w);
                const float xB = static_cast<float>(double(h) * (mA + 1.0));
                const float xC = static_cast<float>(double(static_cast<float>(xB + kick[done + i])) * (t1 + 1.0));
                const float xD = static_cast<float>(double(xC) + ((t1 + mA) + t2));

                const __m128d bankInput[2] = {_mm_set_pd(xB, h), _mm_set_pd(xD, xC)};
                for (int p = 0; p < kPairs; ++p) {
                    state[p] = single2(_mm_add_pd(_mm_mul_pd(y[p], complement[p]), _mm_mul_pd(pole[p], state[p])));
                    const __m128 written =
                        _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(state[p], feedback[p]), bankInput[p / 4]));
                    _mm_store_ss(p < kShort ? shortAt[p] : at[kLanes[p][0]] + i, written);
                    _mm_store_ss(at[kLanes[p][1]] + i, _mm_shuffle_ps(written, written, 1));
                    y[p] = nextY[p];
                }
                mAsB = nextMAsB;
                sCsD = nextSCsD;
                std::copy(shortNext, shortNext + kShort, shortAt);
            };
            for (std::int32_t i = 0; i + 1 < n; ++i)
                step(i, at, i + 1, false);
            // Without a valid look-ahead the last one re-reads its own sample
            // and is redone at the next sub-block's start.
            step(n - 1, aheadAcross ? next : at, aheadAcross ? 0 : n - 1, true);
            if (!aheadAcross) {
                timbreStage1 = committed1;
                timbreStage2 = committed2;
                primed = false;
            }
            std::copy(next + kShort, next + kUnits, at + kShort);
            done += n;
        }

        for (std::int32_t i = 0; i < m; ++i) {
            const float c = SpringTank::scaledClip(lowPassOut[i]);
            out[start + i] = SpringTank::sanitized(static_cast<float>(double(input[i]) * dryGain + wetGain * c));
        }
    }

    for (int k = 0; k < kUnits; ++k) {
        DelayUnit& unit = t.delayUnits[k];
        unit.position = static_cast<std::int32_t>((k < kShort ? shortAt[k] : at[k]) - unit.samples.get());
    }
    for (int p = 0; p < kPairs; ++p) {
        t.delayUnits[kLanes[p][0]].dampState = static_cast<float>(low(state[p]));
        t.delayUnits[kLanes[p][1]].dampState = static_cast<float>(high(state[p]));
    }
    t.inputHighPass = highPass;
    t.outputLowPass = lowPass;
    timbreStage1 = committed1;
    timbreStage2 = committed2;
    t.timbreFilter1.stage1 = static_cast<float>(low(timbreStage1));
    t.timbreFilter1.stage2 = static_cast<float>(low(timbreStage2));
    t.timbreFilter2.stage1 = static_cast<float>(high(timbreStage1));
    t.timbreFilter2.stage2 = static_cast<float>(high(timbreStage2));
}

}  // namespace

void SpringEngine::processTank(const float* in, float* out, std::int32_t frames) {
    runTank(tank, in, out, frames);
}
