#include "platform/Random.h"

#include <chrono>

namespace {

SeededRandom& DefaultSource() {
    static SeededRandom source(static_cast<std::uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    return source;
}

RandomSource* g_current = nullptr;

}  // namespace

RandomSource& CurrentRandomSource() { return g_current ? *g_current : DefaultSource(); }

void SetRandomSource(RandomSource* source) {
    g_current = (source == &DefaultSource()) ? nullptr : source;
}

void SeedDefaultRandom(std::uint32_t seed) { DefaultSource() = SeededRandom(seed); }

int RandomInt(int n) {
    if (n <= 0) return 0;
    return static_cast<int>(CurrentRandomSource().Next() % static_cast<std::uint32_t>(n));
}
