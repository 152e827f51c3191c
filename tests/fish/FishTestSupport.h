#pragma once

#include <cstdint>
#include <vector>

#include "fish/Fish.h"
#include "fish/FishSink.h"
#include "platform/Random.h"

// Keeps every strip of one or more ticks, for checking the drawn geometry.
class RecordingFishSink final : public FishSink {
public:
    struct Vert {
        float n[3], st[2], p[3];
    };
    struct Rotation {
        float degrees, ax, ay, az;
    };

    void BeginStrip() override { Strips.emplace_back(); }
    void Vertex(float nx, float ny, float nz, float s, float t, float x, float y,
                float z) override {
        Strips.back().push_back(Vert{{nx, ny, nz}, {s, t}, {x, y, z}});
    }
    void EndStrip() override {}
    void PushMatrix() override { ++Pushes; }
    void PopMatrix() override { ++Pops; }
    void Rotate(float degrees, float ax, float ay, float az) override {
        Rotations.push_back(Rotation{degrees, ax, ay, az});
    }
    void Clear() {
        Strips.clear();
        Rotations.clear();
        Pushes = Pops = 0;
    }
    std::size_t VertexCount() const {
        std::size_t n = 0;
        for (const auto& s : Strips)
            n += s.size();
        return n;
    }

    std::vector<std::vector<Vert>> Strips;
    std::vector<Rotation> Rotations;
    int Pushes = 0, Pops = 0;
};

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
    f.X = 0;
    f.Y = 0;
    f.Z = -70;
    f.Heading = f.HeadingTarget = f.TurnReference = heading;
    f.TurnDone = true;
    f.BodyStraight = true;
    for (int& s : f.SegmentHeadings)
        s = static_cast<int>(heading);
    f.WanderTimer = -1000000;
    f.GulpTimer = -1000000;
    f.UpdateDirectionFlags();
    return f;
}
