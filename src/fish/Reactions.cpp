#include "fish/Reactions.h"

#include <cmath>

namespace {

constexpr float kTiny = 0.0001f;
constexpr float kHuge = 10000.0f;

float Slope(float rise, float run) {
    return std::fabs(run) <= kTiny ? rise * kHuge : rise / run;
}

bool Overlap(const Fish& a, const Fish& b) {
    return a.HitXMin <= b.HitXMax && b.HitXMin <= a.HitXMax && a.HitYMin <= b.HitYMax &&
           b.HitYMin <= a.HitYMax && a.HitZMin <= b.HitZMax && b.HitZMin <= a.HitZMax;
}

}  // namespace

float LineAngle(float rise1, float run1, float rise2, float run2) {
    const float m1 = Slope(rise1, run1);
    const float m2 = Slope(rise2, run2);
    const float denominator = 1.0f + m1 * m2;
    const float q = std::fabs(denominator) <= kTiny ? std::fabs((m2 - m1) * kHuge)
                                                    : std::fabs((m2 - m1) / denominator);
    return std::atan(q) / kDegToRad;
}

float FoldedPolarAngle(float x, float y) {
    float a;
    if (x == 0 && y == 0) {
        a = 0;
    } else if (std::fabs(x) < kTiny) {
        a = y > 0 ? 90.0f : 270.0f;
    } else if (std::fabs(y) < kTiny) {
        a = x > 0 ? 0.0f : 180.0f;
    } else {
        a = std::trunc(std::atan(std::fabs(y / x)) / kDegToRad);
        if (x < 0 && y > 0) a += 90;
        if (x < 0 && y < 0) a += 180;
        if (y < 0 && x > 0) a += 270;
    }
    // Outside the first quadrant this gives 90 minus the angle to the x axis.
    if (a >= 90 && a < 180) return 180 - a;
    if (a >= 180 && a < 270) return 270 - a;
    if (a >= 270 && a < 360) return 360 - a;
    return a;
}

void RespondToFood(Fish& fish, const FoodFish* pool, int count, bool feedMode) {
    if (!feedMode) return;
    fish.SetExcited(false);
    const float* head = fish.Head;
    for (int i = 0; i < count; ++i) {
        const FoodFish& food = pool[i];
        if (!food.Active) continue;
        const float* f = food.WorldPos;
        if (std::fabs(head[0] - f[0]) < 10 && std::fabs(head[1] - f[1]) < 10) {
            fish.SetExcited(true);
            fish.ApproachSpeed(0.1f, 0.2f);
            // Seen from above: the fish's axis against the line to the prey.
            const float e =
                LineAngle(head[2] - fish.Z, head[0] - fish.X, fish.Z - f[2], fish.X - f[0]);
            if (e < 1) {
                fish.ChangePitch(FoldedPolarAngle(f[0], f[1]), head[1] <= f[1],
                                 PitchChange::TiltBy);
            } else if ((fish.GoesMinusX && head[0] > f[0]) || (fish.GoesPlusX && head[0] < f[0])) {
                fish.ChangeHeading(e, head[2] > f[2], HeadingChange::TurnBy);
            } else if ((fish.GoesMinusX && head[0] < f[0]) || (fish.GoesPlusX && head[0] > f[0])) {
                fish.ChangeHeading(180 - e, true, HeadingChange::TurnBy);
            }
        }
        if (std::fabs(head[0] - f[0]) < 3 && std::fabs(head[1] - f[1]) < 3)
            fish.ApproachSpeed(0.1f, 0.1f);
    }
}

void EatNearbyFood(const Fish& fish, FoodFish* pool, int count) {
    for (int i = 0; i < count; ++i) {
        FoodFish& food = pool[i];
        if (!food.Active || food.Alive <= 0) continue;
        const float* f = food.WorldPos;
        if (std::fabs(fish.Head[0] - f[0]) < 2 && std::fabs(fish.Head[1] - f[1]) < 2 &&
            std::fabs(fish.Head[2] - f[2]) < 5)
            food.Eat();
    }
}

void ResolveContact(Fish* fishes, int count, int self) {
    Fish& s = fishes[self];
    for (int other = 0; other < count; ++other) {
        if (other == self) continue;
        Fish& o = fishes[other];
        s.Touching = false;
        if (!Overlap(s, o)) continue;
        s.Touching = o.Touching = true;

        const float m =
            LineAngle(s.Head[1] - s.Y, s.Head[0] - s.X, o.Head[1] - o.Y, o.Head[0] - o.X);
        const float n =
            LineAngle(s.Head[2] - s.Z, s.Head[0] - s.X, o.Head[2] - o.Z, o.Head[0] - o.X);

        Fish& higher = s.Y > o.Y ? s : o;
        Fish& lower = s.Y > o.Y ? o : s;
        higher.ChangePitch(0, true, PitchChange::Nudge);
        lower.ChangePitch(0, false, PitchChange::Nudge);

        if (m > 50 || n > 50) {
            Fish& nearer = s.Z > o.Z ? s : o;
            Fish& farther = s.Z > o.Z ? o : s;
            nearer.ChangeHeading(0, true, HeadingChange::SmallTurn);
            farther.ChangeHeading(0, false, HeadingChange::SmallTurn);
        } else if ((s.TargetMinusX && o.TargetPlusX) || (s.TargetPlusX && o.TargetMinusX)) {
            Fish& smaller = s.Size < o.Size ? s : o;
            smaller.ChangeHeading(0, true, HeadingChange::TurnAbout);
        } else if ((s.TargetMinusX && s.X > o.X) || (s.TargetPlusX && s.X < o.X)) {
            // The one ahead speeds up, the one behind falls back.
            o.ApproachSpeed(0.1f, s.Speed + 0.1f);
            s.ApproachSpeed(0.1f, o.Speed - 0.1f);
        } else {
            s.ApproachSpeed(0.1f, o.Speed + 0.1f);
            o.ApproachSpeed(0.1f, s.Speed - 0.1f);
        }
    }
}

void CrowdApart(Fish* fishes, const FishPositionRecord* positions, int active) {
    for (int a = 0; a < active; ++a) {
        for (int b = a + 1; b < active; ++b) {
            const FishPositionRecord& pa = positions[a];
            const FishPositionRecord& pb = positions[b];
            if (std::fabs(pa.x - pb.x) < 5 && std::fabs(pa.y - pb.y) < 5 &&
                std::fabs(pa.z - pb.z) < 5)
                fishes[a].ChangePitch(1, pa.y > pb.y, PitchChange::Nudge);
        }
    }
}

void RespondToTouch(Fish& fish) {
    const float z = fish.Z;
    if ((z > -75 && z < -60) || (z > -90 && z < -75))
        fish.ChangeHeading(0, true, HeadingChange::QuarterTurn);
    fish.ApproachSpeed(0.4f, 0.4f);
}

void RespondToZoom(Fish& fish, bool grow) {
    fish.Resize(2, grow);
}
