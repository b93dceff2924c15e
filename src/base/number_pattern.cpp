#include "base/number_pattern.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace dravio::base {

namespace {

// Digits of |round(value)| padded to minDigits, and whether it is negative.
// Values that are not finite or too large for 64 bits give no digits at all.
std::string digitsOf(double value, int minDigits, bool& negative) {
    negative = false;
    if (!std::isfinite(value)) return {};
    const double rounded = std::round(value);
    if (std::fabs(rounded) >= 9.0e18) return {};
    const long long whole = static_cast<long long>(rounded);
    negative = whole < 0;
    std::string digits = whole == 0 ? std::string() : std::to_string(negative ? -whole : whole);
    while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), '0');
    return digits;
}

}  // namespace

std::string groupedInteger(double value, int minDigits) {
    bool negative = false;
    const std::string digits = digitsOf(value, minDigits, negative);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ' ';
        text += digits[i];
    }
    return negative ? "-" + text : text;
}

std::string plainInteger(double value, int minDigits) {
    bool negative = false;
    const std::string digits = digitsOf(value, minDigits, negative);
    return negative ? "-" + digits : digits;
}

std::string fixedDecimals(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    char buffer[64];
    const double scale = std::pow(10.0, decimals);
    // Round half away from zero, as the patterns do, before printf's own rounding.
    const double rounded = std::round(value * scale) / scale;
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded == 0.0 ? 0.0 : rounded);
    return buffer;
}

}  // namespace dravio::base
