#include "platform/Numeric.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "platform/RuntimeError.h"

namespace platform {

namespace {

// Nearest integer with an exact half going to the even neighbour, computed without relying on
// the floating-point environment's rounding mode. The result is still a double.
double roundHalfEven(double value) {
    if (!std::isfinite(value)) raise(ErrorCode::kOverflow);
    const double below = std::floor(value);
    const double fraction = value - below;  // exact for every finite double
    if (fraction > 0.5) return below + 1.0;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

template <class Int>
Int roundTo(double value) {
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        raise(ErrorCode::kOverflow);
    }
    return static_cast<Int>(rounded);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// For digits "ddd.ddd" optionally followed by "e[+-]ddd": the power of ten of the first
// significant digit, plus one (so values from 1 up to 10 give 1). Saturates far outside the
// range of a double.
long long decimalMagnitude(const std::string& number) {
    const std::size_t e = number.find('e');
    const std::string mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        std::size_t j = e + 1;
        const bool negative = j < number.size() && number[j] == '-';
        if (j < number.size() && (number[j] == '-' || number[j] == '+')) ++j;
        for (; j < number.size(); ++j) {
            if (exponent < 1000000) exponent = exponent * 10 + (number[j] - '0');
        }
        if (negative) exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos) return std::numeric_limits<long long>::min();
    const long long position = first < point ? static_cast<long long>(point - first)
                                             : -static_cast<long long>(first - point - 1);
    return position + exponent;
}

}  // namespace

std::int32_t roundToInt32(double value) { return roundTo<std::int32_t>(value); }

std::int16_t roundToInt16(double value) { return roundTo<std::int16_t>(value); }

std::int32_t intDiv(double dividend, double divisor) {
    const std::int32_t a = roundToInt32(dividend);
    const std::int32_t b = roundToInt32(divisor);
    if (b == 0) raise(ErrorCode::kDivisionByZero);
    if (a == std::numeric_limits<std::int32_t>::min() && b == -1) raise(ErrorCode::kOverflow);
    return a / b;
}

std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) raise(ErrorCode::kOverflow);
    return result;
}

std::int32_t checkedSub(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) raise(ErrorCode::kOverflow);
    return result;
}

std::int32_t checkedMul(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) raise(ErrorCode::kOverflow);
    return result;
}

// Blanks (spaces, tabs, line feeds) are skipped wherever they occur, so " 1 2" reads as 12, as
// the program's language reads numbers. "D" marks an exponent like "E". The digits are handed
// to std::from_chars, which ignores the C locale that the window system may have changed.
double valueOf(std::string_view text) {
    std::string number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) ++i;
    };
    auto takeDigits = [&] {
        std::size_t count = 0;
        for (skipBlanks(); i < text.size() && isDigit(text[i]); skipBlanks()) {
            number += text[i++];
            ++count;
        }
        return count;
    };

    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t mantissaDigits = takeDigits();
    if (i < text.size() && text[i] == '.') {
        number += '.';
        ++i;
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0) return 0.0;

    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        const std::size_t exponentStart = number.size();
        ++i;
        skipBlanks();
        number += 'e';
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            number += text[i++];
        }
        if (takeDigits() == 0) {
            // "1e" or "1e+" : the exponent is not part of the number.
            number.resize(exponentStart);
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to represent reads as 0; too large is the overflow fault.
        if (decimalMagnitude(number) > 0) raise(ErrorCode::kOverflow);
        value = 0.0;
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string toText(std::int32_t value) { return std::to_string(value); }

}  // namespace platform
