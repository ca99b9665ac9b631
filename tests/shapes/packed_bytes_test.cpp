// The run-length code of the embedded art: every length at the code's limits comes back
// unchanged, and packed data that does not add up is refused.

#include <gtest/gtest.h>
#include <shapes/PackedBytes.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes run(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

Bytes counting(std::size_t count) {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 7));
    return bytes;
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace

TEST(PackedBytes, RunsAndLiteralsAtTheLimitsComeBackUnchanged) {
    const std::vector<Bytes> cases = {
        {},
        {5},
        run(2, 9),
        run(3, 9),
        run(130, 0),
        run(131, 0),
        run(1000, 255),
        counting(128),
        counting(129),
        counting(300),
        joined({counting(5), run(2, 1), counting(3), run(140, 4), {4}, counting(128)}),
    };
    for (const Bytes& bytes : cases) {
        const Bytes packed = shapes::packBytes(bytes);
        EXPECT_EQ(shapes::unpackBytes(packed.data(), packed.size(), bytes.size()), bytes)
            << bytes.size() << " bytes";
    }
    // A long run costs two bytes in every 130.
    EXPECT_EQ(shapes::packBytes(run(260, 7)).size(), 4u);
}

TEST(PackedBytes, DataThatDoesNotAddUpIsRefused) {
    const Bytes packed = shapes::packBytes(joined({counting(10), run(50, 3)}));
    EXPECT_THROW(shapes::unpackBytes(packed.data(), packed.size(), 59), std::length_error);
    EXPECT_THROW(shapes::unpackBytes(packed.data(), packed.size(), 61), std::length_error);
    EXPECT_THROW(shapes::unpackBytes(packed.data(), packed.size() - 1, 60), std::length_error);
    const Bytes cutLiteral = {4, 1, 2};
    EXPECT_THROW(shapes::unpackBytes(cutLiteral.data(), cutLiteral.size(), 5), std::length_error);
}
