#include "tests/engine/model/ReferenceSpringEngine.h"

namespace {

float single(double v) {
    return static_cast<float>(v);
}

}  // namespace

void ReferenceSpringEngine::process(const float* in, float* out, std::int32_t frames) {
    for (std::int32_t i = 0; i < frames; ++i) {
        const float input = SpringTank::sanitized(in[i]);
        out[i] = tank.built ? SpringTank::sanitized(step(input)) : input;
    }
    if (tank.built && !tank.loopStateIsFinite())
        tank.clearLoops();
}

float ReferenceSpringEngine::step(float in) {
    SpringTank& t = tank;
    auto tick = [&t](int k, float v) { return double(t.delayUnits[k].tick(v)); };

    const float a = single(double(in) * t.inputGain);
    const float x = single(0.5 * a);
    const float h = t.inputHighPass.highPass(x);

    const double y0 = tick(0, h), y1 = tick(1, h), y2 = tick(2, h), y3 = tick(3, h);
    const float mA = single((((y0 - y1) + y2) - y3) * t.dispersionDepth);
    const float xB = single(h * (mA + 1.0));

    const double y4 = tick(4, xB), y5 = tick(5, xB), y6 = tick(6, xB), y7 = tick(7, xB);
    const float sB = single(((y4 - y5) + y6) - y7);
    const float t1 = t.timbreFilter1.lowPass(sB);

    const double kick = t.kickContribution();
    const float xC = single(single(xB + kick) * (t1 + 1.0));

    const double y8 = tick(8, xC), y9 = tick(9, xC), y10 = tick(10, xC), y11 = tick(11, xC);
    const float sC = single(((y8 - y9) + y10) - y11);
    const float t2 = t.timbreFilter2.lowPass(sC);

    const float xD = single(xC + ((double(t1) + mA) + t2));
    const double y12 = tick(12, xD), y13 = tick(13, xD), y14 = tick(14, xD), y15 = tick(15, xD);
    const float sD = single(((y13 + y12) - y14) - y15);

    const float w = single((0.5 * t2 + (mA + 0.5 * t1)) + sD);
    const float o = t.outputLowPass.lowPass(w);
    const float c = SpringTank::scaledClip(o);
    return single(in * double(t.dryGain) + t.wetGain * double(c));
}
