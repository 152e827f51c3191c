#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "fish/Fish.h"
#include "fish/FishSink.h"
#include "platform/Random.h"

// Keeps every strip of one frame, for checking the drawn geometry.
class RecordingFishSink final : public FishSink {
public:
    struct Vert {
        float n[3], st[2], p[3];
    };

    void BeginStrip() override { Strips.emplace_back(); }
    void Vertex(float nx, float ny, float nz, float s, float t, float x, float y,
                float z) override {
        Strips.back().push_back(Vert{{nx, ny, nz}, {s, t}, {x, y, z}});
    }
    void EndStrip() override {}
    void PushMatrix() override { ++Depth, ++Pushes; }
    void PopMatrix() override { --Depth; }
    void Rotate(float degrees, float ax, float ay, float az) override {
        Rotations.push_back({degrees, ax, ay, az});  // degrees, then the axis
    }
    // Forgets the last frame and records the next one of `fish`.
    void Frame(Fish& fish) {
        Strips.clear();
        Rotations.clear();
        Pushes = 0;
        fish.Tick(*this);
    }

    std::vector<std::vector<Vert>> Strips;
    std::vector<std::array<float, 4>> Rotations;
    int Depth = 0, Pushes = 0;  // Pushes counts the last frame only
};

// Installs scripted draws for its lifetime; the default (all 5) keeps the
// lips still and fires nothing.
struct UseRandom {
    explicit UseRandom(std::vector<std::uint32_t> values = {}, std::uint32_t fallback = 5)
        : Script(std::move(values), fallback) {}
    ScriptedRandom Script;
    ScopedRandomSource Guard{Script};
};

// Advances `fish` by `frames` frames, counting its geometry only.
inline void Ticks(Fish& fish, int frames = 1) {
    CountingFishSink sink;
    for (int i = 0; i < frames; ++i)
        fish.Tick(sink);
}

// A fish whose five start draws are given: pitch target, heading target,
// gulp timer, (unused), wander timer.
inline Fish MakeFish(std::uint32_t pitchTarget, std::uint32_t headingTarget, std::uint32_t gulp = 0,
                     std::uint32_t wander = 0) {
    ScriptedRandom script({pitchTarget, headingTarget, gulp, 0, wander});
    ScopedRandomSource guard(script);
    return Fish();
}

// A fish in the middle of the large tank, not turning, not wandering for a
// long while, mouth quiet.
inline Fish CalmFish(float heading) {
    Fish f = MakeFish(0, 0);
    f.SetBounds(-50, 50, 11, -16, -80, -60);  // box y -11..21
    f.X = f.Y = 0;
    f.Z = -70;
    f.Heading = f.HeadingTarget = f.TurnReference = heading;
    f.TurnDone = f.BodyStraight = true;
    for (int& s : f.SegmentHeadings)
        s = static_cast<int>(heading);
    f.WanderTimer = f.GulpTimer = -1000000;
    f.UpdateDirectionFlags();
    return f;
}
