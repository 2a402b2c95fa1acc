#include "engine/SpringTank.h"

const std::array<float, SpringTank::kNumUnits> SpringTank::kTimeConstants = {
    0.001f,  0.0011f, 0.0013f, 0.0016f, 0.0177f, 0.0194f, 0.0225f, 0.0257f,
    0.0418f, 0.0435f, 0.0471f, 0.0494f, 0.0674f, 0.0677f, 0.0678f, 0.068f,
};

bool SpringTank::build(float rate, std::int32_t draw) {
    if (rate > 0.0f && rate - rate == 0.0f)
        sampleRate = rate;
    kickStep = static_cast<float>(16000.0 / double(sampleRate));
    kickPosition = 0.0f;
    inputHighPass = {};
    timbreFilter1 = {};
    timbreFilter2 = {};
    outputLowPass = {};

    const std::int32_t r = draw & 0x7fff;
    const float s0 = static_cast<float>(double(r) * 3.0517570849042386e-05);
    const float spread = static_cast<float>(double(s0) * double(0.1f) + 2.0);
    built = false;
    for (int k = 0; k < kNumUnits; ++k) {
        const double n = double(sampleRate) * double(spread) * double(kTimeConstants[k]);
        // Every rate gives every unit at least one sample.
        const std::int32_t length = n < 1.0 ? 1 : n < kMaxUnitLength ? static_cast<std::int32_t>(n) : 0;
        if (length == 0 || !delayUnits[k].resize(length)) {
            releaseBuffers();
            return false;
        }
    }
    built = true;
    return true;
}

void SpringTank::releaseBuffers() {
    for (DelayUnit& unit : delayUnits)
        unit.release();
    built = false;
}

float SpringTank::lengthFraction(float value) {
    const double x = sanitized(value);
    return static_cast<float>(1.0 - (x * double(0.8f) + double(0.1f)));
}

void SpringTank::applyParameter(std::int32_t index, float value) {
    const float sane = sanitized(value);
    const double x = sane;
    switch (index) {
        case 0:
            inputGain = sane;
            break;
        case 1: {
            const float g = static_cast<float>(x * double(0.08f) + double(0.9f));
            for (int k = 0; k < 12; ++k)
                delayUnits[k].setFeedback(g);
            const float g2 = static_cast<float>(double(g) * double(0.94f));
            for (int k = 12; k < kNumUnits; ++k)
                delayUnits[k].setFeedback(g2);
            break;
        }
        case 2: {
            const float d = static_cast<float>(x * double(0.2f) + 0.5);
            for (DelayUnit& unit : delayUnits)
                unit.setDamping(d);
            break;
        }
        case 3:
            dispersionDepth = static_cast<float>(x + x);
            break;
        case kSpringTensionIndex: {
            const float fraction = lengthFraction(sane);
            for (DelayUnit& unit : delayUnits)
                unit.setLengthFraction(fraction);
            break;
        }
        case 5:
            timbreFilter1.setCoefficients(static_cast<float>(x * double(0.4f) + double(0.37f)), 0.8f);
            timbreFilter2.setCoefficients(static_cast<float>(x * double(0.4f) + double(0.46f)), 0.8f);
            break;
        case 6:
            inputHighPass.setCoefficients(static_cast<float>(x * double(0.1f) + double(0.1f)), 0.1f);
            break;
        case 7:
            outputLowPass.setCoefficients(static_cast<float>(x * double(0.3f) + 0.25), 0.1f);
            break;
        case 8: {
            const float w = static_cast<float>(2.0 * x);
            const float d = static_cast<float>(2.0 - double(w));
            wetGain = w > 1.0f ? 1.0f : w;
            dryGain = d > 1.0f ? 1.0f : d;
            break;
        }
        case kKickIndex:
            kickGain = sane;
            kickPosition = 0.0f;
            break;
        default:
            break;
    }
}

bool SpringTank::loopStateIsFinite() const {
    double sum = 0.0;
    for (const DelayUnit& unit : delayUnits)
        sum += double(unit.dampState) + double(unit.lastOutput);
    for (const ResonantFilter* filter : {&inputHighPass, &timbreFilter1, &timbreFilter2, &outputLowPass})
        sum += double(filter->stage1) + double(filter->stage2);
    return sum - sum == 0.0;
}

void SpringTank::clearLoops() {
    for (DelayUnit& unit : delayUnits)
        unit.clear();
    for (ResonantFilter* filter : {&inputHighPass, &timbreFilter1, &timbreFilter2, &outputLowPass})
        filter->stage1 = filter->stage2 = 0.0f;
}

void SpringTank::exportState(EngineState& state) const {
    for (int k = 0; k < kNumUnits; ++k) {
        const DelayUnit& unit = delayUnits[k];
        EngineState::Unit& copy = state.delayUnits[k];
        copy.position = unit.position;
        copy.allocatedLength = unit.allocatedLength;
        copy.activeLength = unit.activeLength;
        copy.samples.assign(unit.samples.get(), unit.samples.get() + unit.allocatedLength);
        copy.feedback = unit.feedback;
        copy.dampState = unit.dampState;
        copy.damping = unit.damping;
        copy.dampingComplement = unit.dampingComplement;
        copy.lastOutput = unit.lastOutput;
    }
    state.filters = {inputHighPass, timbreFilter1, timbreFilter2, outputLowPass};
    state.inputGain = inputGain;
    state.dispersionDepth = dispersionDepth;
    state.dryGain = dryGain;
    state.wetGain = wetGain;
    state.kickGain = kickGain;
    state.kickPosition = kickPosition;
    state.kickStep = kickStep;
    state.sampleRate = sampleRate;
    state.built = built;
}
