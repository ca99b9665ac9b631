#include "qt/DeviceScale.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/WorkArea.h"

namespace platform::qt {

int cappedRatio(double ratio, const Rect& monitor, const Rect& workArea, int neededWidth,
                int neededHeight) {
    const Rect reported{workArea.left - monitor.left, workArea.top - monitor.top,
                        workArea.right - monitor.left, workArea.bottom - monitor.top};
    const Rect area = workarea::trusted(reported, monitor.right - monitor.left,
                                        monitor.bottom - monitor.top, neededWidth, neededHeight);
    const double areaWidth = area.right - area.left;
    const double areaHeight = area.bottom - area.top;
    if (neededWidth * ratio <= areaWidth && neededHeight * ratio <= areaHeight) return 0;
    const int whole = static_cast<int>(std::floor(ratio));
    const int capped =
        workarea::cappedScale(whole, static_cast<int>(areaWidth), static_cast<int>(areaHeight),
                              neededWidth, neededHeight);
    // At ratio 1 or below nothing smaller can be had.
    return capped < ratio ? capped : 0;
}

std::optional<double> globalFactorFor(int wanted, double ratio, double userFactor) {
    // Qt's own factor for the screen, a whole number under the Floor policy unless the user
    // set fractional screen factors.
    double screenFactor = ratio / userFactor;
    if (std::fabs(screenFactor - std::round(screenFactor)) < 1e-9)
        screenFactor = std::round(screenFactor);
    const double target = wanted;
    // The factors whose product is the target lie within a few steps of the quotient.
    double up = target / screenFactor;
    double down = up;
    for (int step = 0; step < 8; ++step) {
        if (up * screenFactor == target) return up;
        if (down * screenFactor == target) return down;
        up = std::nextafter(up, std::numeric_limits<double>::infinity());
        down = std::nextafter(down, 0.0);
    }
    return std::nullopt;
}

std::optional<Restart> restartFor(int capped, double ratio, double userFactor) {
    for (int wanted = capped; wanted >= 1; --wanted) {
        if (const std::optional<double> factor = globalFactorFor(wanted, ratio, userFactor))
            return Restart{wanted, *factor};
    }
    return std::nullopt;
}

// Both in the C locale's notation, as Qt reads the variable, whatever locale Qt has set.
double globalFactorFromText(const char* text) {
    if (text == nullptr) return 1.0;
    const char* end = text + std::strlen(text);
    // Qt ignores white space around the number.
    while (text < end && std::isspace(static_cast<unsigned char>(*text))) ++text;
    while (end > text && std::isspace(static_cast<unsigned char>(end[-1]))) --end;
    double factor = 0;
    const auto [stop, error] = std::from_chars(text, end, factor);
    return error == std::errc() && stop == end && factor > 0 && std::isfinite(factor) ? factor
                                                                                      : 1.0;
}

std::string factorText(double factor) {
    char text[32];
    const auto [stop, error] = std::to_chars(text, text + sizeof text, factor);
    return error == std::errc() ? std::string(text, stop) : std::string("1");
}

}  // namespace platform::qt
