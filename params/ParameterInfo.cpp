#include "params/ParameterInfo.h"

const ParameterInfo kParameterInfo[kNumParams] = {
    {"InputVolume", "", 20, 0.5f},   {"Decay", "", 21, 0.5f},  {"Damp", "", 22, 0.5f},   {"Dispersion", "", 23, 0.5f},
    {"SpringTension", "", 24, 0.5f}, {"Timbre", "", 25, 0.5f}, {"HiPass", "", 26, 0.5f}, {"LoPass", "", 27, 0.5f},
    {"OutputMix", "", 28, 0.5f},     {"Kick", "", 64, 0.0f},
};

const char* const kParameterDescriptions[kNumParams] = {
    "Input signal level",
    "Total decay time",
    "Spring vibration dampening factor",
    "Wave dispersion, affects the bouncing effect",
    "Spring tension, affects the bouncing effect",
    "Average timbre and sound colour",
    "High-pass input filtering",
    "Low-pass output filtering",
    "Output mix between dry and wet sounds",
    "Kick me!",
};
