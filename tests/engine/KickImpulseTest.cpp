// The kick table stands for one particular recording: its fixed samples, its
// extremes, its level over time and its brightness must survive any rework of
// the generator in tools/kick/.
#include "engine/KickImpulse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct FixedSample {
    int index;
    float value;
};

constexpr FixedSample kFixedSamples[] = {
    {0, 0.00310642598f},      {1, 0.00484437309f},      {2, 0.00572136603f},      {3, 0.001311047f},
    {4, 0.005912486f},        {5, -0.00296158902f},     {2856, 0.866482615f},     {3590, -0.895339906f},
    {5759, -0.000231836995f}, {5760, -4.56740017e-05f}, {5761, -3.73529983e-05f}, {5762, -7.10379973e-05f},
};

constexpr int kLargestIndex = 2856;
constexpr int kSmallestIndex = 3590;

constexpr int kBlockLength = 500;

struct BlockLevel {
    int start;
    double peak;
    double rms;
};

// The last block is the 263-sample tail.
constexpr BlockLevel kBlockLevels[] = {
    {0, 0.2366, 0.0427},    {500, 0.3180, 0.0680},  {1000, 0.3635, 0.1162}, {1500, 0.8485, 0.2325},
    {2000, 0.7454, 0.2029}, {2500, 0.8665, 0.2030}, {3000, 0.6667, 0.1729}, {3500, 0.8953, 0.2191},
    {4000, 0.6508, 0.1428}, {4500, 0.2770, 0.0861}, {5000, 0.1926, 0.0462}, {5500, 0.0572, 0.0130},
};

int blockEnd(int start) {
    return std::min(start + kBlockLength, kKickImpulseLength);
}

TEST(KickImpulseTest, FixedSamplesHoldTheirRecordedValues) {
    for (const FixedSample& fixed : kFixedSamples) {
        EXPECT_EQ(KickImpulse[fixed.index], fixed.value) << "index " << fixed.index;
    }
}

TEST(KickImpulseTest, LargestAndSmallestValuesOccurOnlyAtTheirIndices) {
    const float largest = KickImpulse[kLargestIndex];
    const float smallest = KickImpulse[kSmallestIndex];
    for (int i = 0; i < kKickImpulseLength; ++i) {
        if (i != kLargestIndex) {
            ASSERT_LT(KickImpulse[i], largest) << "index " << i;
        }
        if (i != kSmallestIndex) {
            ASSERT_GT(KickImpulse[i], smallest) << "index " << i;
        }
    }
}

TEST(KickImpulseTest, EachBlockFollowsTheRecordedEnvelope) {
    ASSERT_EQ(blockEnd(kBlockLevels[std::size(kBlockLevels) - 1].start), kKickImpulseLength);
    for (const BlockLevel& block : kBlockLevels) {
        double peak = 0.0;
        double sumOfSquares = 0.0;
        const int end = blockEnd(block.start);
        for (int i = block.start; i < end; ++i) {
            const double v = KickImpulse[i];
            peak = std::max(peak, std::fabs(v));
            sumOfSquares += v * v;
        }
        const double rms = std::sqrt(sumOfSquares / (end - block.start));
        EXPECT_NEAR(peak, block.peak, 0.1 * block.peak) << "block at " << block.start;
        EXPECT_NEAR(rms, block.rms, 0.1 * block.rms) << "block at " << block.start;
    }
}

// A knock rings broadband: 180 to 265 sign changes per 500 samples, in
// proportion for the short tail.
TEST(KickImpulseTest, EachBlockCrossesZeroAsOftenAsTheRecording) {
    for (const BlockLevel& block : kBlockLevels) {
        const int end = blockEnd(block.start);
        int crossings = 0;
        for (int i = block.start + 1; i < end; ++i) {
            crossings += (KickImpulse[i - 1] < 0.0f) != (KickImpulse[i] < 0.0f);
        }
        const double share = double(end - block.start) / kBlockLength;
        EXPECT_GE(crossings, 180.0 * share) << "block at " << block.start;
        EXPECT_LE(crossings, 265.0 * share) << "block at " << block.start;
    }
}

// Power-weighted mean frequency over 400 bands up to the Nyquist frequency.
TEST(KickImpulseTest, EnergyIsCentredNearThreeKilohertz) {
    constexpr int kBands = 400;
    const double nyquist = kKickImpulseRate / 2.0;
    double weighted = 0.0;
    double total = 0.0;
    for (int band = 1; band < kBands; ++band) {
        const double hz = band * nyquist / kBands;
        const double c = 2.0 * std::cos(2.0 * std::numbers::pi * hz / kKickImpulseRate);
        double s1 = 0.0;
        double s2 = 0.0;
        for (const float v : KickImpulse) {
            const double s0 = v + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
        weighted += hz * power;
        total += power;
    }
    const double centroid = weighted / total;
    EXPECT_GT(centroid, 2500.0);
    EXPECT_LT(centroid, 3500.0);
}

}  // namespace
