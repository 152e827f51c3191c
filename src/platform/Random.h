#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// The one source of random integers. Behaviour draws "random n" (0..n-1) in a
// fixed order, so tests replace the source with a scripted sequence and a run
// with --seed is reproducible.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A raw non-negative value, like rand(); callers take it modulo n.
    virtual std::uint32_t Next() = 0;
};

class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::uint32_t seed) : engine_(seed) {}
    std::uint32_t Next() override { return engine_() & 0x7fffffffu; }

private:
    std::mt19937 engine_;
};

// Hands out the given values in order, then `fallback` for ever.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<std::uint32_t> values, std::uint32_t fallback = 0)
        : values_(std::move(values)), fallback_(fallback) {}
    std::uint32_t Next() override {
        ++drawn_;
        return pos_ < values_.size() ? values_[pos_++] : fallback_;
    }
    std::size_t Drawn() const { return drawn_; }
    std::size_t Remaining() const { return values_.size() - pos_; }

private:
    std::vector<std::uint32_t> values_;
    std::uint32_t fallback_;
    std::size_t pos_ = 0;
    std::size_t drawn_ = 0;
};

// The process-wide source. Starts as SeededRandom seeded from the clock.
RandomSource& CurrentRandomSource();
// Installs `source` (not owned); nullptr restores the default source.
void SetRandomSource(RandomSource* source);
// Reseeds the default source (the --seed option).
void SeedDefaultRandom(std::uint32_t seed);

// "random n": a value in 0..n-1, or 0 when n <= 0.
int RandomInt(int n);

// Installs a source for the lifetime of the guard (tests).
class ScopedRandomSource {
public:
    explicit ScopedRandomSource(RandomSource& source) : previous_(&CurrentRandomSource()) {
        SetRandomSource(&source);
    }
    ~ScopedRandomSource() { SetRandomSource(previous_); }
    ScopedRandomSource(const ScopedRandomSource&) = delete;
    ScopedRandomSource& operator=(const ScopedRandomSource&) = delete;

private:
    RandomSource* previous_;
};
