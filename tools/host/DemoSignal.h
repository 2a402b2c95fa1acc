#pragma once
// A short plucked-string phrase, so a render needs no audio file.
#include <vector>

// Mono samples at the given rate, a few seconds long, peaks below 1.
std::vector<float> pluckedPhrase(double sampleRate);
