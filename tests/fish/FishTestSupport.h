#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "fish/Fish.h"
#include "fish/FishSink.h"
#include "platform/Random.h"

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

// A fish at (x, y, z) in the large tank (y -11..21), not turning, not
// wandering for a long while, mouth quiet; its snout and boxes match.
inline Fish CalmFish(float heading, float x = 0, float y = 0, float z = -70) {
    ScriptedRandom script({0, 0, 0, 0, 0});
    ScopedRandomSource guard(script);
    Fish f;
    f.SetBounds(-50, 50, 11, -16, -80, -60);
    f.X = x;
    f.Y = y;
    f.Z = z;
    f.Heading = f.HeadingTarget = f.TurnReference = heading;
    f.TurnDone = f.BodyStraight = true;
    for (int& s : f.SegmentHeadings)
        s = static_cast<int>(heading);
    f.WanderTimer = f.GulpTimer = -1000000;
    f.UpdateDirectionFlags();
    f.UpdateExtents();
    return f;
}
