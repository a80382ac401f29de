#include "controls/numbers.h"

#include <cmath>
#include <cstdio>

#include "platform/platform.h"

namespace corvane {

namespace {
float Checked(float result) {
  if (std::isnan(result)) throw Error("Invalid procedure call or argument");
  if (std::isinf(result)) throw Error("Overflow");
  return result;
}
}  // namespace

float DoubleOf(float value) { return Checked(2.0f * Checked(value)); }

float DivideSingle(float a, float b) {
  if (b == 0.0f) throw Error("Division by zero");
  return Checked(Checked(a) / b);
}

std::int32_t RoundHalfEven(double value) {
  const double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw Error("Overflow");
  return static_cast<std::int32_t>(rounded);
}

std::string FormatGeneralNumber(float value, char decimalSeparator) {
  // %G gives seven significant digits without trailing zeros, and switches to an exponent
  // where the plain form would need more digits than that.
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
  std::string text = buffer;
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

}  // namespace corvane
