// The program's number rules: single-precision arithmetic that fails instead of overflowing,
// conversion to whole numbers with halves to even, and the general number text.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// 2 × value in single precision; throws Error on overflow or an invalid operand.
float DoubleOf(float value);
// a / b in single precision; throws Error on division by zero, overflow or an invalid operand.
float DivideSingle(float a, float b);
// The nearest 32-bit integer, a value exactly halfway going to the even neighbour; throws
// Error when out of range.
std::int32_t RoundHalfEven(double value);
// At most seven significant digits, no thousands separators, no decimal part when whole,
// `decimalSeparator` otherwise.
std::string FormatGeneralNumber(float value, char decimalSeparator);

}  // namespace corvane
