#pragma once
// Bit-for-bit comparison of two engine states, naming the first difference.
#include "engine/EngineState.h"

#include <gtest/gtest.h>

testing::AssertionResult sameState(const EngineState& expected, const EngineState& actual);
