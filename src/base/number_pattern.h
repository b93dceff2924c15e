// base: numbers shown the way the window patterns ask ("# ###", "0 000",
// "###", "0.0"): rounded half away from zero, a blank between thousands.
#pragma once

#include <string>

namespace dravio::base {

// Whole number with a blank every three digits and at least `minDigits` digits:
// minDigits 0 is "# ###" (zero gives the empty text), 4 is "0 000".
std::string groupedInteger(double value, int minDigits);

// Whole number without grouping, at least `minDigits` digits ("###" is 0).
std::string plainInteger(double value, int minDigits);

// Fixed decimals with a point: "0.0" is decimals 1.
std::string fixedDecimals(double value, int decimals);

}  // namespace dravio::base
