#include "tools/host/DemoSignal.h"

#include <cmath>
#include <cstdint>

namespace {

// A fixed seed keeps every demo render identical for the same module state.
struct NoiseSource {
    std::uint32_t state = 0x1234567u;
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

// Karplus-Strong: a noise burst circulating in a delay line of one period,
// averaged each pass, decays like a plucked string.
void addPluck(std::vector<float>& out, std::size_t start, double frequency, double sampleRate, double level,
              NoiseSource& noise) {
    const auto period = static_cast<std::size_t>(sampleRate / frequency);
    if (period < 2)
        return;
    std::vector<double> line(period);
    for (double& s : line)
        s = noise.next() * level;
    const auto length = static_cast<std::size_t>(sampleRate * 1.6);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < length && start + i < out.size(); ++i) {
        const std::size_t nextPos = (pos + 1) % period;
        const double sample = line[pos];
        line[pos] = 0.996 * 0.5 * (line[pos] + line[nextPos]);
        out[start + i] += static_cast<float>(sample);
        pos = nextPos;
    }
}

}  // namespace

std::vector<float> pluckedPhrase(double sampleRate) {
    // E minor arpeggio up and back down, then a chord.
    const double notes[] = {164.81, 196.00, 246.94, 329.63, 293.66, 246.94, 196.00, 164.81};
    const double step = 0.3;
    std::vector<float> out(static_cast<std::size_t>(sampleRate * 5.0), 0.0f);
    NoiseSource noise;
    double t = 0.1;
    for (double frequency : notes) {
        addPluck(out, static_cast<std::size_t>(t * sampleRate), frequency, sampleRate, 0.5, noise);
        t += step;
    }
    for (double frequency : {82.41, 123.47, 164.81, 207.65})
        addPluck(out, static_cast<std::size_t>(t * sampleRate), frequency, sampleRate, 0.3, noise);
    return out;
}
