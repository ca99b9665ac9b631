// The program's numeric semantics: rounding, `\`, checked 32-bit arithmetic, text to number.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/Numeric.h"
#include "platform/RuntimeError.h"

namespace {

using platform::ErrorCode;
using platform::RuntimeError;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

template <class F>
ErrorCode errorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.code();
    }
    ADD_FAILURE() << "no run-time error";
    return ErrorCode::kInvalidArgument;
}

TEST(NumericTest, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(platform::roundToInt32(2.5), 2);
    EXPECT_EQ(platform::roundToInt32(3.5), 4);
    EXPECT_EQ(platform::roundToInt32(0.5), 0);
    EXPECT_EQ(platform::roundToInt32(-0.5), 0);
    EXPECT_EQ(platform::roundToInt32(-1.5), -2);
    EXPECT_EQ(platform::roundToInt32(-2.5), -2);
    EXPECT_EQ(platform::roundToInt32(2.5000001), 3);
    EXPECT_EQ(platform::roundToInt32(-2.5000001), -3);
    EXPECT_EQ(platform::roundToInt16(-32768.4), -32768);
    EXPECT_EQ(platform::roundToInt16(32766.5), 32766);
}

TEST(NumericTest, RoundingOutsideTheRangeIsAnOverflow) {
    EXPECT_EQ(platform::roundToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(platform::roundToInt32(2147483647.4), kMax);
    EXPECT_EQ(platform::roundToInt32(-2147483648.5), kMin);  // the even neighbour is in range
    EXPECT_EQ(errorOf([] { platform::roundToInt32(2147483647.5); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::roundToInt32(-2147483649.0); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::roundToInt32(std::numeric_limits<double>::quiet_NaN()); }),
              ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::roundToInt32(std::numeric_limits<double>::infinity()); }),
              ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::roundToInt16(32767.5); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::roundToInt16(-32769.0); }), ErrorCode::kOverflow);
}

TEST(NumericTest, IntegerDivisionRoundsBothOperandsThenTruncates) {
    EXPECT_EQ(platform::intDiv(1185, 15), 79);
    EXPECT_EQ(platform::intDiv(22, 15), 1);
    EXPECT_EQ(platform::intDiv(29, 15), 1);
    EXPECT_EQ(platform::intDiv(30, 15), 2);
    EXPECT_EQ(platform::intDiv(7.5, 15), 0);    // 8 \ 15
    EXPECT_EQ(platform::intDiv(-29, 15), -1);   // toward zero
    EXPECT_EQ(platform::intDiv(100, 2.5), 50);  // 100 \ 2
    EXPECT_EQ(errorOf([] { platform::intDiv(5, 0.4); }), ErrorCode::kDivisionByZero);
    EXPECT_EQ(errorOf([] { platform::intDiv(kMin, -1); }), ErrorCode::kOverflow);
}

TEST(NumericTest, CheckedArithmeticOverflowsAtThe32BitEdges) {
    EXPECT_EQ(platform::checkedAdd(kMax - 1, 1), kMax);
    EXPECT_EQ(platform::checkedSub(kMin + 1, 1), kMin);
    EXPECT_EQ(platform::checkedMul(46340, 46340), 2147395600);
    EXPECT_EQ(platform::checkedMul(-65536, 32768), kMin);
    EXPECT_EQ(errorOf([] { platform::checkedAdd(kMax, 1); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::checkedAdd(kMin, -1); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::checkedSub(kMin, 1); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::checkedSub(0, kMin); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::checkedMul(46341, 46341); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::checkedMul(kMin, -1); }), ErrorCode::kOverflow);
}

TEST(NumericTest, ValueOfReadsTheLeadingNumber) {
    EXPECT_EQ(platform::valueOf(""), 0.0);
    EXPECT_EQ(platform::valueOf("abc"), 0.0);
    EXPECT_EQ(platform::valueOf(" 2 "), 2.0);
    EXPECT_EQ(platform::valueOf("2.5"), 2.5);
    EXPECT_EQ(platform::valueOf("3.5"), 3.5);
    EXPECT_EQ(platform::valueOf("2.5abc"), 2.5);
    EXPECT_EQ(platform::valueOf("1e3"), 1000.0);
    EXPECT_EQ(platform::valueOf("1D3"), 1000.0);
    EXPECT_EQ(platform::valueOf("2.5E-1"), 0.25);
    EXPECT_EQ(platform::valueOf("-4x"), -4.0);
    EXPECT_EQ(platform::valueOf(".5"), 0.5);
    EXPECT_EQ(platform::valueOf("\t- 1 2"), -12.0);  // blanks count nowhere
    EXPECT_EQ(platform::valueOf("1e"), 1.0);
    EXPECT_EQ(platform::valueOf("."), 0.0);
    EXPECT_EQ(platform::valueOf("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(platform::valueOf("1234567890123456789012345678901234567890"),
                     1.2345678901234568e39);
}

TEST(NumericTest, ValueOfTooLargeIsAnOverflowAndTooSmallIsZero) {
    EXPECT_EQ(errorOf([] { platform::valueOf("1e400"); }), ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::valueOf("-" + std::string(400, '9')); }),
              ErrorCode::kOverflow);
    EXPECT_EQ(errorOf([] { platform::valueOf(std::string(400, '9') + "e-5"); }),
              ErrorCode::kOverflow);
    EXPECT_EQ(platform::valueOf("1e-400"), 0.0);
    EXPECT_EQ(platform::valueOf("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(platform::valueOf("0e99999999999999999999"), 0.0);
}

TEST(NumericTest, ToTextHasNoPadding) {
    EXPECT_EQ(platform::toText(2), "2");
    EXPECT_EQ(platform::toText(-1), "-1");
    EXPECT_EQ(platform::toText(kMin), "-2147483648");
}

}  // namespace
