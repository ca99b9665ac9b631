#pragma once
// The program's uniform random source in [0, 1). The program never seeds it, so every run
// yields the same sequence. Tests can substitute a sequence of their own.

#include <cstdint>
#include <vector>

namespace platform {

class RandomSource {
public:
    virtual ~RandomSource();
    virtual float next() = 0;
};

// The default source: a 24-bit linear congruential generator with a fixed start value.
class DefaultRandomSource : public RandomSource {
public:
    float next() override;

private:
    std::uint32_t m_state = 0x50000;
};

// Returns the given values in turn, starting over after the last.
class SequenceRandomSource : public RandomSource {
public:
    explicit SequenceRandomSource(std::vector<float> values);
    float next() override;

private:
    std::vector<float> m_values;
    std::size_t m_next = 0;
};

// The next number of the active source.
float rnd();
// Installs `source` (not owned); nullptr restores the default source (which keeps its state).
void setRandomSource(RandomSource* source);

}  // namespace platform
