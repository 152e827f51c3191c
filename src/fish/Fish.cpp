#include "fish/Fish.h"

#include <algorithm>
#include <cmath>

#include "fish/FishSink.h"
#include "platform/Random.h"

namespace {

bool HeadsMinusX(float h) {
    return (h >= 0 && h <= 90) || (h >= 270 && h <= 360) || (h >= -90 && h <= 0) ||
           (h >= -360 && h <= -270);
}

bool HeadsPlusZ(float h) {
    return (h >= 0 && h <= 180) || (h >= -360 && h <= -180);
}

bool InDepthBand(float z) {
    return (z > -75 && z < -60) || (z > -90 && z < -75);
}

}  // namespace

Fish::Fish() {
    PitchTarget = static_cast<float>(RandomInt(45));
    HeadingTarget = static_cast<float>(RandomInt(180));
    GulpTimer = RandomInt(15);
    RandomInt(15);  // drawn and never used; keeps the order of draws
    WanderTimer = RandomInt(200);
}

void Fish::SetBounds(float xMin, float xMax, float top, float bottom, float zMin, float zMax) {
    XMin = xMin;
    XMax = xMax;
    YTop = top + 10;
    YBottom = bottom + 5;
    ZMin = zMin;
    ZMax = zMax;
    LastBoundEvent = NoBound;
    LengthFactor = 0.64383f;
    DepthFactor = 1.0f;
    HeightFactor = 0.181513f;
    BoxXMax = HitXMax = 0.321915f;
    BoxXMin = HitXMin = -0.321915f;
    BoxYMax = HitYMax = 0.0907566f;
    BoxYMin = HitYMin = -0.0907566f;
    BoxZMax = HitZMax = 0.5f;
    BoxZMin = HitZMin = -0.5f;
    Head[0] = 0.321915f;
    Head[1] = -0.000149923f;
    Head[2] = 0.153061f;
    Tail[0] = -0.321915f;
    Tail[1] = 0;
    Tail[2] = 0.0558026f;
    Touching = false;
}

void Fish::Tick(FishSink& sink) {
    ComputeWaves();
    sink.PushMatrix();
    sink.Rotate(-90.0f, 1.0f, 0.0f, 0.0f);
    if (Pitch < PitchTarget) Pitch += 1.0f;
    if (Pitch > PitchTarget) Pitch -= 1.0f;
    const float h = Heading * kDegToRad;
    sink.Rotate(-Pitch, std::sin(h), -std::cos(h), 0.0f);
    Wander();
    if (sink.WantsGeometry()) DrawPieces(sink);
    Move();
    UpdateExtents();
    sink.PopMatrix();
}

void Fish::Turn() {
    float* const s = SegmentAngles;
    const float target = HeadingTarget;
    if (std::fabs(TurnReference - target) > 0.01f) {
        TurnDone = false;
        BodyStraight = false;
        TurnReference = target;
    }

    float step;
    if (std::fabs(target) >= 10) {
        step = 10;
    } else if (std::fabs(target) >= 5) {
        step = 3;
    } else {
        step = 1;
    }
    if (Excited) step = 10;
    const bool sideWall = LastBoundEvent == LeftWall || LastBoundEvent == RightWall;
    if (sideWall) step = target;

    if (TurnTick++ > 1) {
        TurnTick = 0;
        if (!TurnDone) {
            if (Heading < target) {
                Heading += step;
                if (Heading > target) Heading = target;
            } else {
                Heading -= step;
                if (Heading < target) Heading = target;
            }
        }
    }
    // Checked every frame, so a heading set at a side wall ends the turn on the
    // next frame instead of leaving the body unbent but unfinished.
    if (static_cast<int>(Heading - target) == 0) TurnDone = true;

    if (!TurnDone) {
        const float spread = std::fabs(Heading - TurnReference) / 23.0f;
        for (int i = 0; i < kSegments; ++i) {
            if (Heading < target) s[i] = Heading - static_cast<float>(i) * spread;
            if (Heading > target) s[i] = Heading + static_cast<float>(i) * spread;
            SegmentHeadings[i] = static_cast<int>(s[i]);
        }
        if (sideWall) {
            for (int i = 0; i < kSegments; ++i) {
                s[i] = target;
                SegmentHeadings[i] = static_cast<int>(target);
            }
            Heading = target;
        }
    } else {
        if (!BodyStraight) {
            const int goal = static_cast<int>(target);
            const int rate = Excited ? 10 : 2;
            bool moved = false;
            for (int i = 0; i < kSegments; ++i) {
                int& seg = SegmentHeadings[i];
                if (seg < goal) {
                    seg = std::min(seg + rate, goal);
                    moved = true;
                } else if (seg > goal) {
                    seg = std::max(seg - rate, goal);
                    moved = true;
                }
            }
            if (!moved) BodyStraight = true;
        }
        for (int i = 0; i < kSegments; ++i)
            s[i] = static_cast<float>(SegmentHeadings[i]);
    }
}

void Fish::Wander() {
    if (Touching || Excited) return;
    if (WanderTimer++ > 200) {
        WanderTimer = RandomInt(100);
        ApproachSpeed(0.05f, static_cast<float>(RandomInt(4) + 1) * 0.1f);
        if (std::fabs(Heading - HeadingTarget) < 0.01f) {
            if (Z > -75 && Z < -60) ChangeHeading(0, true, HeadingChange::RandomTurn);
            if (Z > -90 && Z < -75) ChangeHeading(0, false, HeadingChange::RandomTurn);
            ChangePitch(0, false, PitchChange::RandomTilt);
        }
    }
}

void Fish::UpdateDirectionFlags() {
    GoesMinusX = HeadsMinusX(Heading);
    GoesPlusX = !GoesMinusX;
    GoesPlusZ = HeadsPlusZ(Heading);
    GoesMinusZ = !GoesPlusZ;
    PitchUp = Pitch > 0;
    TargetMinusX = HeadsMinusX(HeadingTarget);
    TargetPlusX = !TargetMinusX;
    TargetPlusZ = HeadsPlusZ(HeadingTarget);
    TargetMinusZ = !TargetPlusZ;
}

void Fish::Move() {
    if (Heading > 360) Heading = 180;
    if (Heading < -360) Heading = -180;
    UpdateDirectionFlags();
    const bool sideWall = LastBoundEvent == LeftWall || LastBoundEvent == RightWall;
    // Facing the wall mid-turn: hold still until the heading has come round.
    if (std::fabs(Heading - HeadingTarget) > 15 && sideWall) return;

    const float h = Heading * kDegToRad;
    const float p = PitchTarget * kDegToRad;
    if (GoesMinusX) {
        if (LastBoundEvent != LeftWall) X -= std::fabs(std::cos(h) * Speed);
    } else {
        if (LastBoundEvent != RightWall) X += std::fabs(std::cos(h) * Speed);
    }
    if (GoesPlusZ) {
        if (LastBoundEvent != FrontWall) Z += std::fabs(std::sin(h) * Speed);
    } else {
        Z -= std::fabs(std::sin(h) * Speed);
    }
    Y += std::sin(p) * Speed;
    KeepInBounds();
}

void Fish::KeepInBounds() {
    LastBoundEvent = NoBound;
    if (X < XMin + 10 || X > XMax - 10) ApproachSpeed(0.01f, 0.1f);
    if (X < XMin && TargetMinusX) {
        ChangeHeading(0, false, HeadingChange::Reverse);
        X += 0.1f;
        LastBoundEvent = LeftWall;
    }
    if (X > XMax && TargetPlusX) {
        ChangeHeading(0, false, HeadingChange::Reverse);
        X -= 0.1f;
        LastBoundEvent = RightWall;
    }
    if (Z < ZMin + 2) {
        ApproachSpeed(0.1f, 0.1f);
        if (TargetMinusZ) ChangeHeading(0, false, HeadingChange::SideTurn);
        // A fish still swimming backward while it turns slowly toward a forward
        // target would otherwise pass through the wall behind the backdrop.
        if (TargetMinusZ || GoesMinusZ) Z = ZMin + 2;
    }
    // A fixed inner wall just behind the glass, for fish far out of their box.
    if (Z > -20) {
        if (Z < -8) {
            ApproachSpeed(0.1f, 0.1f);
            if (TargetMinusZ) ChangeHeading(0, false, HeadingChange::SideTurn);
        }
        if (Z < -9) Z = -9;
    }
    if (Z > ZMax - 5) ApproachSpeed(0.01f, 0.1f);
    if (Z > ZMax && TargetPlusZ) {
        ChangeHeading(0, true, HeadingChange::SideTurn);
        LastBoundEvent = FrontWall;
    }
    if (Y >= YTop) {
        ChangePitch(0, false, PitchChange::Mirror);
        Y = YTop;
        LastBoundEvent = TopWall;
        ApproachSpeed(0.1f, 0.1f);
    }
    if (Y <= YBottom) {
        ChangePitch(0, true, PitchChange::Mirror);
        Y = YBottom;
        LastBoundEvent = BottomWall;
        ApproachSpeed(0.1f, 0.1f);
    }
}

void Fish::UpdateExtents() {
    const float length = LengthFactor * Size;
    const float depth = DepthFactor * Size;
    const float height = HeightFactor * Size;
    const float half = length / 2;
    const float a = PitchTarget * kDegToRad;
    const float b = HeadingTarget * kDegToRad;
    const float dx = half * std::fabs(std::cos(b) * std::cos(a));
    const float dy = half * std::fabs(std::sin(a));
    const float dz = half * std::fabs(std::sin(b));
    const float wy = std::fabs(std::cos(a)) * height / 2;
    const float hz = std::fabs(std::cos(b)) * depth / 2;

    Head[0] = GoesMinusX ? X - dx : X + dx;
    Tail[0] = GoesMinusX ? X + dx : X - dx;
    Head[1] = PitchUp ? Y + dy : Y - dy;
    Tail[1] = PitchUp ? Y - dy : Y + dy;
    Head[2] = GoesMinusZ ? Z - dz : Z + dz;
    Tail[2] = GoesMinusZ ? Z + dz : Z - dz;

    BoxXMax = std::max(Head[0], Tail[0]);
    BoxXMin = std::min(Head[0], Tail[0]);
    const float ry = dy > wy ? dy : wy;
    BoxYMax = Y + ry;
    BoxYMin = Y - ry;
    const float rz = dz > hz ? dz : hz;
    BoxZMax = Z + rz;
    BoxZMin = Z - rz;

    HitXMax = BoxXMax + half;
    HitXMin = BoxXMin - half;
    HitYMax = BoxYMax + height / 4;
    HitYMin = BoxYMin - height / 4;
    HitZMax = BoxZMax + depth / 4;
    HitZMin = BoxZMin - depth / 4;
}

void Fish::ApproachSpeed(float step, float target) {
    if (Speed < target) {
        Speed += step;
    } else if (Speed > target) {
        Speed -= step;
    }
    Speed = std::clamp(Speed, 0.1f, 0.4f);
}

void Fish::ChangeHeading(float amount, bool toward, HeadingChange kind) {
    // A turn under way is finished first; requests meanwhile are dropped.
    if (std::fabs(Heading - HeadingTarget) > 0.1f) return;

    auto signRule = [&](float d) {
        if (toward) {
            HeadingTarget += GoesMinusX ? -d : d;
        } else {
            HeadingTarget += GoesMinusX ? d : -d;
        }
    };

    switch (kind) {
        case HeadingChange::RandomTurn: {
            RandomInt(170);  // discarded; keeps the order of draws
            const float d = static_cast<float>(RandomInt(170));
            HeadingTarget = HeadingTarget > 180 ? HeadingTarget - d : HeadingTarget + d;
            break;
        }
        case HeadingChange::Reverse:
            HeadingTarget = HeadingTarget <= 180 ? HeadingTarget + 180 : HeadingTarget - 180;
            break;
        case HeadingChange::SideTurn:
            signRule(static_cast<float>(RandomInt(180)));
            break;
        case HeadingChange::QuarterTurn:
            if (InDepthBand(Z)) {
                const float t = HeadingTarget;
                if (t > 0 && t <= 180) {
                    HeadingTarget = t + 90;
                } else if (t > 180) {
                    HeadingTarget = t - 90;
                } else if (t >= -180) {
                    HeadingTarget = t - 90;
                } else {
                    HeadingTarget = t + 90;
                }
            }
            break;
        case HeadingChange::SmallTurn:
            signRule(static_cast<float>(10 + RandomInt(10)));
            break;
        case HeadingChange::TurnAbout:
            signRule(180.0f);
            break;
        case HeadingChange::TurnBy:
            signRule(std::fabs(std::trunc(amount)));
            break;
    }
    HeadingTarget = std::clamp(HeadingTarget, -360.0f, 360.0f);
}

void Fish::ChangePitch(float amount, bool toward, PitchChange kind) {
    switch (kind) {
        case PitchChange::RandomTilt: {
            const float d = static_cast<float>(15 + RandomInt(15));
            PitchTarget = PitchTarget > 0 ? PitchTarget - d : PitchTarget + d;
            break;
        }
        case PitchChange::Mirror:
            PitchTarget = -PitchTarget;
            break;
        case PitchChange::Nudge:
            PitchTarget += toward ? 1.0f : -1.0f;
            break;
        case PitchChange::TiltBy:
            if (PitchTarget + amount > 90 || PitchTarget - amount < -90) return;
            PitchTarget += toward ? amount : -amount;
            break;
    }
    PitchTarget = std::clamp(PitchTarget, -45.0f, 45.0f);
}

void Fish::Resize(float amount, bool grow) {
    Size += grow ? amount : -amount;
    Size = std::clamp(Size, 8.0f, 12.0f);
}
