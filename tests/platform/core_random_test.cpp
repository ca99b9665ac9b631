// The program's never-seeded random source.

#include <gtest/gtest.h>

#include "platform/Random.h"

namespace {

TEST(RandomTest, DefaultSourceStartsWithTheSameSequenceEveryRun) {
    platform::DefaultRandomSource source;
    // x = (x * 1140671485 + 12820163) mod 2^24 from 0x50000, as a fraction of 2^24.
    EXPECT_EQ(source.next(), 11837123.0f / 16777216.0f);
    EXPECT_EQ(source.next(), 8949370.0f / 16777216.0f);
    EXPECT_EQ(source.next(), 9722709.0f / 16777216.0f);
    platform::DefaultRandomSource again;
    EXPECT_FLOAT_EQ(again.next(), 0.7055475f);
}

TEST(RandomTest, SubstitutedSequenceRepeatsAndTheDefaultKeepsItsPlace) {
    const float before = platform::rnd();
    platform::SequenceRandomSource sequence({0.25f, 0.5f});
    platform::setRandomSource(&sequence);
    EXPECT_EQ(platform::rnd(), 0.25f);
    EXPECT_EQ(platform::rnd(), 0.5f);
    EXPECT_EQ(platform::rnd(), 0.25f);
    platform::setRandomSource(nullptr);
    // The default source goes on from where it was: the generator's next step after `before`.
    const auto state = static_cast<std::uint32_t>(before * 16777216.0f);
    const std::uint32_t next = (state * 1140671485u + 12820163u) & 0xFFFFFFu;
    EXPECT_EQ(platform::rnd(), static_cast<float>(next) / 16777216.0f);
}

TEST(RandomTest, SourceDestroyedWhileInstalledIsUninstalled) {
    {
        platform::SequenceRandomSource sequence({0.125f});
        platform::setRandomSource(&sequence);
        EXPECT_EQ(platform::rnd(), 0.125f);
    }
    const float value = platform::rnd();
    EXPECT_GE(value, 0.0f);
    EXPECT_LT(value, 1.0f);
}

}  // namespace
