#pragma once
// Tallies the samples a module must never produce: NaN, infinity, subnormal.
#include <string>

struct SampleScan {
    long nans = 0;
    long infinities = 0;
    long subnormals = 0;

    void add(const float* samples, int count);
    bool clean() const { return nans == 0 && infinities == 0 && subnormals == 0; }
    std::string describe() const;
};
