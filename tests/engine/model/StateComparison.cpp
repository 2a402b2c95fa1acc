#include "tests/engine/model/StateComparison.h"

#include "tests/engine/model/EngineScript.h"

#include <string>

namespace {

struct Differences {
    std::string first;

    void check(bool same, const std::string& what) {
        if (!same && first.empty())
            first = what;
    }
    void number(float a, float b, const std::string& what) {
        check(bitsOf(a) == bitsOf(b), what + " " + std::to_string(a) + " vs " + std::to_string(b));
    }
    void integer(std::int32_t a, std::int32_t b, const std::string& what) {
        check(a == b, what + " " + std::to_string(a) + " vs " + std::to_string(b));
    }
};

}  // namespace

testing::AssertionResult sameState(const EngineState& expected, const EngineState& actual) {
    Differences d;
    for (std::size_t k = 0; k < expected.delayUnits.size(); ++k) {
        const EngineState::Unit& a = expected.delayUnits[k];
        const EngineState::Unit& b = actual.delayUnits[k];
        const std::string unit = "unit " + std::to_string(k) + " ";
        d.integer(a.position, b.position, unit + "position");
        d.integer(a.allocatedLength, b.allocatedLength, unit + "allocatedLength");
        d.integer(a.activeLength, b.activeLength, unit + "activeLength");
        d.number(a.feedback, b.feedback, unit + "feedback");
        d.number(a.dampState, b.dampState, unit + "dampState");
        d.number(a.damping, b.damping, unit + "damping");
        d.number(a.dampingComplement, b.dampingComplement, unit + "dampingComplement");
        d.number(a.lastOutput, b.lastOutput, unit + "lastOutput");
        d.integer(static_cast<std::int32_t>(a.samples.size()), static_cast<std::int32_t>(b.samples.size()),
                  unit + "buffer size");
        for (std::size_t i = 0; i < a.samples.size() && i < b.samples.size(); ++i)
            if (bitsOf(a.samples[i]) != bitsOf(b.samples[i])) {
                d.number(a.samples[i], b.samples[i], unit + "sample " + std::to_string(i));
                break;
            }
    }
    static const char* const kFilters[] = {"inputHighPass", "timbreFilter1", "timbreFilter2", "outputLowPass"};
    for (std::size_t f = 0; f < expected.filters.size(); ++f) {
        const ResonantFilter& a = expected.filters[f];
        const ResonantFilter& b = actual.filters[f];
        const std::string name = std::string(kFilters[f]) + " ";
        d.number(a.cutoff, b.cutoff, name + "cutoff");
        d.number(a.feedbackAmount, b.feedbackAmount, name + "feedbackAmount");
        d.number(a.stage1, b.stage1, name + "stage1");
        d.number(a.stage2, b.stage2, name + "stage2");
    }
    d.number(expected.inputGain, actual.inputGain, "inputGain");
    d.number(expected.dispersionDepth, actual.dispersionDepth, "dispersionDepth");
    d.number(expected.dryGain, actual.dryGain, "dryGain");
    d.number(expected.wetGain, actual.wetGain, "wetGain");
    d.number(expected.kickGain, actual.kickGain, "kickGain");
    d.number(expected.kickPosition, actual.kickPosition, "kickPosition");
    d.number(expected.kickStep, actual.kickStep, "kickStep");
    d.number(expected.sampleRate, actual.sampleRate, "sampleRate");
    d.check(expected.built == actual.built, "built");
    if (d.first.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "first difference: " << d.first;
}
