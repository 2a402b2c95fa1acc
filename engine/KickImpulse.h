#pragma once
// A 16 kHz recording of a knocked spring tank, played into the tank by a kick.
#include <cstdint>

constexpr std::int32_t kKickImpulseLength = 5763;
constexpr std::int32_t kKickImpulseRate = 16000;

extern const float KickImpulse[kKickImpulseLength];
