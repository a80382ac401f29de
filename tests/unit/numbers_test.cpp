#include "controls/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/platform.h"

namespace corvane {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double value;
    std::int32_t rounded;
  };
  const Case cases[] = {{0.5, 0},
                        {1.5, 2},
                        {2.5, 2},
                        {-0.5, 0},
                        {-1.5, -2},
                        {-2.5, -2},
                        {344.9999, 345},
                        {7.4999, 7},
                        {-22.5, -22},
                        {2147483647.4, 2147483647},
                        {-2147483648.5, -2147483648}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded);
  }
}

TEST(RoundHalfEven, OutOfRangeIsAnError) {
  EXPECT_THROW(RoundHalfEven(2147483647.5), Error);
  EXPECT_THROW(RoundHalfEven(-2147483649.0), Error);
  EXPECT_THROW(RoundHalfEven(std::nan("")), Error);
}

TEST(FormatGeneralNumber, SevenSignificantDigitsAndNoFractionWhenWhole) {
  struct Case {
    float value;
    char separator;
    const char* text;
  };
  const Case cases[] = {
      {640, '.', "640"},
      {480, ',', "480"},
      {1234567, '.', "1234567"},
      {12345678, '.', "1.234568E+07"},
      {99.99999f, '.', "99.99999"},
      {100.5f, ',', "100,5"},
      {0.25f, '.', "0.25"},
      {1.0f / 3.0f, '.', "0.3333333"},
      {0, '.', "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatGeneralNumber(c.value, c.separator), c.text);
  }
}

TEST(CheckedArithmetic, FaultsAreErrors) {
  EXPECT_EQ(DoubleOf(120.0f), 240.0f);
  EXPECT_THROW(DoubleOf(std::numeric_limits<float>::max()), Error);
  EXPECT_THROW(DoubleOf(std::nanf("")), Error);
  EXPECT_EQ(DivideSingle(9600, 15), 640.0f);
  EXPECT_THROW(DivideSingle(9600, 0), Error);
  EXPECT_THROW(DivideSingle(std::numeric_limits<float>::max(), 0.5f), Error);
}

}  // namespace
}  // namespace corvane
