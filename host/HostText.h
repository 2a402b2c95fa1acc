#pragma once
// Copying text into buffers the host owns. The host gives no buffer size, so
// every copy is cut to the limit its request has by convention; a null buffer
// is left alone.
#include <cstddef>

// Buffer sizes in bytes, terminator included.
constexpr std::size_t kParameterTextCapacity = 9;  // 8 characters, as "%f" prints 0..1
constexpr std::size_t kParameterNameCapacity = 32;
constexpr std::size_t kProgramNameCapacity = 24;
constexpr std::size_t kEffectNameCapacity = 32;
constexpr std::size_t kVendorTextCapacity = 64;
constexpr std::size_t kPinLabelCapacity = 64;
constexpr std::size_t kPinShortLabelCapacity = 8;

// Copies at most capacity - 1 characters and always terminates (capacity > 0).
void copyHostText(char* destination, const char* source, std::size_t capacity);

// A parameter value as "%f" prints it; values whose "%f" text is longer than
// the parameter text limit (outside -0.999999..9.999999, or not finite) lose
// decimals or switch to exponent form rather than being cut off.
void formatParameterValue(char* destination, float value);
