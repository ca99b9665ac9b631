#pragma once
// Numeric semantics of the program, in one place.
//
// - Conversions from floating point to integer round to the nearest integer, an exact half
//   going to the even neighbour (2.5 -> 2, 3.5 -> 4).
// - Integer division `\` rounds both operands that way first, then truncates toward zero.
// - 32-bit arithmetic raises the overflow run-time error instead of wrapping.
// - Values held "as single precision" are stored as float.
//
// Every function here throws platform::RuntimeError (code kOverflow, or kDivisionByZero) on a
// fault; the event dispatcher reports it and ends the program.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Round to the nearest 32-bit integer, half to even. Throws overflow outside the 32-bit range
// (and for NaN).
std::int32_t roundToInt32(double value);

// Round to the nearest 16-bit integer, half to even. Throws overflow outside -32768..32767.
std::int16_t roundToInt16(double value);

// The integer division `\`: both operands rounded half-to-even to 32-bit integers, then
// divided with the fraction dropped. Throws division by zero when the divisor rounds to 0.
std::int32_t intDiv(double dividend, double divisor);

// Checked 32-bit arithmetic.
std::int32_t checkedAdd(std::int32_t a, std::int32_t b);
std::int32_t checkedSub(std::int32_t a, std::int32_t b);
std::int32_t checkedMul(std::int32_t a, std::int32_t b);

// Store a double as single precision (the value a float field holds).
constexpr float toSingle(double value) { return static_cast<float>(value); }

// Text to number by its leading numeric part: optional blanks, optional sign, digits, an
// optional fraction and exponent. Empty or non-numeric text gives 0. "2.5abc" gives 2.5.
double valueOf(std::string_view text);

// Number to decimal text without sign padding or spaces: 2 -> "2", -1 -> "-1".
std::string toText(std::int32_t value);

}  // namespace platform
