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

inline __m128d high(__m128d v)
{
    return _mm_unpackhi_pd(v, v);
}

// Rounds both lanes to float and back: the stored value, kept in double.
inline __m128d single2(__m128d v)
{
    return _mm_cvtps_pd(_mm_cvtpd_ps(v));
}

// The loop state of the sixteen units, side by side in pairs of doubles
// holding float values.
struct UnitPairs {
    static constexpr int kPairs = SpringTank::kNumUnits / 2;
    __m128d state[kPairs], complement[kPairs], pole[kPairs], feedback[kPairs];

    explicit UnitPairs(const std::array<DelayUnit, SpringTank::kNumUnits>& units)
    {
        for (int p = 0; p < kPairs; ++p) {
            const DelayUnit& a = units[2 * p];
            const DelayUnit& b = units[2 * p + 1];
            state[p] = _mm_set_pd(b.dampState, a.dampState);
            complement[p] = _mm_set_pd(b.dampingComplement, a.dampingComplement);
            pole[p] = _mm_set_pd(b.damping, a.damping);
            feedback[p] = _mm_set_pd(b.feedback, a.feedback);
        }
    }

    void store(std::array<DelayUnit, SpringTank::kNumUnits>& units) const
    {
        for (int p = 0; p < kPairs; ++p) {
            units[2 * p].dampState = static_cast<float>(low(state[p]));
            units[2 * p + 1].dampState = static_cast<float>(low(high(state[p])));
        }
    }
};

} // namespace

void SpringEngine::processTank(const float* in, float* out, std::int32_t frames)
{
    SpringTank& t = tank;
    constexpr int kUnits = SpringTank::kNumUnits;
    constexpr int kPairs = UnitPairs::kPairs;

    UnitPairs units(t.delayUnits);
    ResonantFilter highPass = t.inputHighPass;
    // The two timbre filters run side by side: lane 0 timbreFilter1, lane 1
    // timbreFilter2.
    __m128d timbreStage1 = _mm_set_pd(t.timbreFilter2.stage1, t.timbreFilter1.stage1);
    __m128d timbreStage2 = _mm_set_pd(t.timbreFilter2.stage2, t.timbreFilter1.stage2);
    const __m128d timbreCutoff = _mm_set_pd(t.timbreFilter2.cutoff, t.timbreFilter1.cutoff);
    const __m128d timbreFeedback = _mm_set_pd(t.timbreFilter2.feedbackAmount, t.timbreFilter1.feedbackAmount);
    const __m128d offset = _mm_set1_pd(ResonantFilter::kOffset);
    ResonantFilter lowPass = t.outputLowPass;
    const double inputGain = t.inputGain;
    const __m128d depth = _mm_set_sd(t.dispersionDepth);
    const double dryGain = t.dryGain;
    const double wetGain = t.wetGain;

    // Where each unit steps next and how many steps it has before it wraps;
    // a stranded position (at or past the active length, after a
    // shortening) is used once and wraps.
    float* at[kUnits];
    std::int32_t left[kUnits];
    for (int k = 0; k < kUnits; ++k) {
        const DelayUnit& unit = t.delayUnits[k];
        at[k] = unit.samples.get() + unit.position;
        left[k] = unit.position < unit.activeLength ? unit.activeLength - unit.position : 1;
    }
    const float kickGain = t.kickGain;
    float kickPosition = t.kickPosition;
    const float kickStep = t.kickStep;

    for (std::int32_t done = 0; done < frames;) {
        std::int32_t n = frames - done;
        for (int k = 0; k < kUnits; ++k)
            n = std::min(n, left[k]);
        // The value each unit reads last in this sub-block, before it is
        // overwritten.
        for (int k = 0; k < kUnits; ++k)
            t.delayUnits[k].lastOutput = at[k][n - 1];

        // One loop, so that the independent work of a sample fills the time
        // the filter recursions spend waiting on their own previous results.
        for (std::int32_t i = 0; i < n; ++i) {
            __m128d y[kPairs];
            for (int p = 0; p < kPairs; ++p)
                y[p] = _mm_set_pd(at[2 * p + 1][i], at[2 * p][i]);
            const float input = SpringTank::sanitized(in[done + i]);
            const float x = static_cast<float>(0.5 * static_cast<float>(double(input) * inputGain));
            const float h = highPass.highPass(x);
            // Bank sums: + - + - for A, B and C; + + - - for D.
            const __m128d sumA = _mm_sub_sd(_mm_add_sd(_mm_sub_sd(y[0], high(y[0])), y[1]), high(y[1]));
            const double mA = static_cast<float>(low(_mm_mul_sd(sumA, depth)));
            const float xB = static_cast<float>(double(h) * (mA + 1.0));
            const __m128d sumB = _mm_sub_sd(_mm_add_sd(_mm_sub_sd(y[2], high(y[2])), y[3]), high(y[3]));
            const __m128d sumC = _mm_sub_sd(_mm_add_sd(_mm_sub_sd(y[4], high(y[4])), y[5]), high(y[5]));
            // The sums as stored floats, the filters' offset added in double.
            const __m128d timbreIn = _mm_add_pd(single2(_mm_unpacklo_pd(sumB, sumC)), offset);
            const __m128d spread = _mm_sub_pd(timbreStage1, timbreStage2);
            timbreStage1 = single2(_mm_add_pd(
                _mm_mul_pd(_mm_add_pd(_mm_mul_pd(spread, timbreFeedback), _mm_sub_pd(timbreIn, timbreStage1)), timbreCutoff),
                timbreStage1));
            timbreStage2 = single2(
                _mm_add_pd(_mm_mul_pd(_mm_sub_pd(timbreStage1, timbreStage2), timbreCutoff), timbreStage2));
            const double t1 = low(timbreStage2);
            const double t2 = low(high(timbreStage2));
            const double kick = SpringTank::kickContribution(kickGain, kickPosition, kickStep);
            const float xC = static_cast<float>(double(static_cast<float>(xB + kick)) * (t1 + 1.0));
            const float xD = static_cast<float>(double(xC) + ((t1 + mA) + t2));
            const __m128d sumD = _mm_sub_sd(_mm_sub_sd(_mm_add_sd(high(y[6]), y[6]), y[7]), high(y[7]));
            const float w = static_cast<float>((0.5 * t2 + (mA + 0.5 * t1)) + static_cast<float>(low(sumD)));
            const float o = lowPass.lowPass(w);
            const float c = SpringTank::scaledClip(o);
            out[done + i] = SpringTank::sanitized(static_cast<float>(double(input) * dryGain + wetGain * c));

            const __m128d bankInput[4] = {_mm_set1_pd(h), _mm_set1_pd(xB), _mm_set1_pd(xC), _mm_set1_pd(xD)};
            for (int p = 0; p < kPairs; ++p) {
                units.state[p] = single2(
                    _mm_add_pd(_mm_mul_pd(y[p], units.complement[p]), _mm_mul_pd(units.pole[p], units.state[p])));
                const __m128 written =
                    _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(units.state[p], units.feedback[p]), bankInput[p / 2]));
                at[2 * p][i] = _mm_cvtss_f32(written);
                at[2 * p + 1][i] = _mm_cvtss_f32(_mm_shuffle_ps(written, written, 1));
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

    for (int k = 0; k < kUnits; ++k) {
        DelayUnit& unit = t.delayUnits[k];
        unit.position = static_cast<std::int32_t>(at[k] - unit.samples.get());
    }
    t.kickPosition = kickPosition;
    units.store(t.delayUnits);
    t.inputHighPass = highPass;
    t.timbreFilter1.stage1 = static_cast<float>(low(timbreStage1));
    t.timbreFilter1.stage2 = static_cast<float>(low(timbreStage2));
    t.timbreFilter2.stage1 = static_cast<float>(low(high(timbreStage1)));
    t.timbreFilter2.stage2 = static_cast<float>(low(high(timbreStage2)));
    t.outputLowPass = lowPass;
}
