#include "platform/Random.h"

namespace platform {

namespace {

DefaultRandomSource& defaultSource() {
    static DefaultRandomSource source;
    return source;
}

RandomSource* g_active = nullptr;

}  // namespace

RandomSource::~RandomSource() {
    // A test's source that goes out of scope while installed must not stay the active one.
    if (g_active == this) g_active = nullptr;
}

float DefaultRandomSource::next() {
    // Unsigned arithmetic wraps modulo 2^32, and 2^24 divides 2^32: masking afterwards gives
    // the generator's modulo-2^24 step exactly.
    m_state = (m_state * 1140671485u + 12820163u) & 0xFFFFFFu;
    return static_cast<float>(m_state) / 16777216.0f;
}

SequenceRandomSource::SequenceRandomSource(std::vector<float> values)
    : m_values(std::move(values)) {}

float SequenceRandomSource::next() {
    if (m_values.empty()) return 0.0f;
    const float value = m_values[m_next];
    m_next = (m_next + 1) % m_values.size();
    return value;
}

float rnd() { return (g_active ? *g_active : defaultSource()).next(); }

void setRandomSource(RandomSource* source) { g_active = source; }

}  // namespace platform
