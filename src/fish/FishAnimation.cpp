// Body animation: the per-frame deformation arrays and the drawing of the
// nine pieces through a sink.

#include <cmath>
#include <cstring>

#include "fish/Fish.h"
#include "fish/FishModel.h"
#include "fish/FishSink.h"
#include "platform/Random.h"

namespace {

constexpr float kFullTurn = 6.283185f;

struct Offset {
    float x = 0, y = 0, z = 0;
};

}  // namespace

void FishWave::Fill(float* out, int n, float size) {
    if (Tick++ > 1) {
        Tick = 0;
        Phase += Step;
    }
    // Wraps to exactly 0, not to the remainder: the wave restarts its cycle.
    if (Phase > kFullTurn) Phase = 0;
    for (int i = 0; i < n; ++i) {
        out[i] = std::sin(static_cast<float>(i) * Wavenumber + Phase) * size * Amplitude;
    }
}

void BuildRotation(float m[16], float radians, float ax, float ay, float az) {
    std::memset(m, 0, 16 * sizeof(float));
    const float l = std::sqrt(ax * ax + ay * ay + az * az);
    if (l == 0) {
        m[0] = m[5] = m[10] = m[15] = 1;
        return;
    }
    ax /= l;
    ay /= l;
    az /= l;
    const float co = std::cos(radians), si = std::sin(radians), t = 1 - co;
    m[0] = co + t * ax * ax;
    m[1] = t * ax * ay + si * az;
    m[2] = t * ax * az - si * ay;
    m[4] = t * ax * ay - si * az;
    m[5] = co + t * ay * ay;
    m[6] = t * ay * az + si * ax;
    m[8] = t * ax * az + si * ay;
    m[9] = t * ay * az - si * ax;
    m[10] = co + t * az * az;
    m[15] = 1;
}

void Fish::ComputeWaves() {
    std::memset(Jaw, 0, sizeof Jaw);
    std::memset(Gill, 0, sizeof Gill);
    std::memset(SegmentAngles, 0, sizeof SegmentAngles);
    std::memset(BodyWaveOffsets, 0, sizeof BodyWaveOffsets);

    // The jaw and gills show last frame's mouth state.
    if (!MouthClosed) {
        for (int i = 0; i < 5; ++i)
            Jaw[i] = JawFactor * Size * static_cast<float>(5 - i);
        for (int i = 0; i < 7; ++i)
            Gill[i] = GillFactor * Size * static_cast<float>(8 - i);
    }
    MouthClosed = !Excited;
    if (GulpTimer++ > 50) {
        MouthClosed = !MouthClosed;
        GulpTimer = RandomInt(25);
    }

    Turn();

    // Only the rear of the body swims: no sway up to segment 15, growing after.
    if (BodyWave.Tick++ > 1) {
        BodyWave.Tick = 0;
        BodyWave.Phase += BodyWave.Step;
    }
    if (BodyWave.Phase > kFullTurn) BodyWave.Phase = 0;
    for (int i = 15; i < kSegments; ++i) {
        BodyWaveOffsets[i] =
            std::sin(static_cast<float>(i) * BodyWave.Wavenumber + BodyWave.Phase) * Size *
            static_cast<float>(i - 15) * BodyWave.Amplitude;
    }
    LongFinWave.Fill(LongFinOffsets, kLongFinPoints, Size);
    PairedFinWaveA.Fill(PairedFinOffsetsA, kPairedAPoints, Size);
    PairedFinWaveB.Fill(PairedFinOffsetsB, kPairedBPoints, Size);
    PairedFinOffsetsB[0] = PairedFinOffsetsB[1] = 0;  // the leading edge stays put
    ShortFinWave.Fill(ShortFinOffsets, kShortFinPoints, Size);
    TailWave.Fill(TailOffsets, kTailPoints, Size);

    // The lips work a little, drifting with the climb; not scaled by size.
    LipOffset += PitchTarget > 0 ? LipStep : -LipStep;
    if (RandomInt(10) == 0) LipOffset += 2 * LipStep;
    if (RandomInt(10) == 1) LipOffset -= 2 * LipStep;
    if (LipOffset > LipLimit) LipOffset = LipLimit;
    if (LipOffset < -LipLimit) LipOffset = -LipLimit;
}

void Fish::EmitVertex(FishSink& sink, float x, float y, float z, float nx, float ny, float nz,
                      float s, float t) const {
    const float* m = Pose;
    sink.Vertex(nx, ny, nz, s, t, m[0] * x + m[4] * y + m[8] * z + m[12],
                m[1] * x + m[5] * y + m[9] * z + m[13], m[2] * x + m[6] * y + m[10] * z + m[14]);
}

void Fish::SetSegmentRotation(float angleDegrees) {
    BuildRotation(Pose, angleDegrees * kDegToRad, 0, 0, 1);
}

void Fish::UseSegment(int segment) {
    std::memcpy(Pose, SegmentPoses_[segment], sizeof Pose);
}

namespace {

// Draws one piece: scales its table by `size` into a working copy, then for
// each side (the second with y mirrored) emits quad strips pairing row k with
// row k + 1. `segment(col)` gives the body segment whose rotation a column
// takes; `offset(row, col, mirrored)` the displacement added after scaling.
template <class Table, class SegmentFn, class OffsetFn, class UseFn>
void DrawPiece(const Fish& fish, FishSink& sink, const Table& table, bool bothSides,
               SegmentFn segment, OffsetFn offset, UseFn use) {
    float work[Table::Count][3];
    for (int i = 0; i < Table::Count; ++i) {
        work[i][0] = table.Position[i][0] * fish.Size;
        work[i][1] = table.Position[i][1] * fish.Size;
        work[i][2] = table.Position[i][2] * fish.Size;
    }
    const int sides = bothSides ? 2 : 1;
    for (int side = 0; side < sides; ++side) {
        const bool mirrored = side == 1;
        for (int k = 0; k + 1 < Table::Rows; ++k) {
            sink.BeginStrip();
            for (int j = 0; j < Table::Points; ++j) {
                use(segment(j));
                for (int r = k; r <= k + 1; ++r) {
                    const int i = r * Table::Points + j;
                    const Offset d = offset(r, j, mirrored);
                    const float y = mirrored ? -(work[i][1] + d.y) : work[i][1] + d.y;
                    const float ny = mirrored ? -table.Normal[i][1] : table.Normal[i][1];
                    fish.EmitVertex(sink, work[i][0] + d.x, y, work[i][2] + d.z, table.Normal[i][0],
                                    ny, table.Normal[i][2], table.Tex[i][0], table.Tex[i][1]);
                }
            }
            sink.EndStrip();
        }
    }
}

}  // namespace

void Fish::DrawPieces(FishSink& sink) {
    const FishModel& model = TheFishModel();
    for (int i = 0; i < kSegments; ++i) {
        BuildRotation(SegmentPoses_[i], SegmentAngles[i] * kDegToRad, 0, 0, 1);
    }
    // Pieces with one rotation set it once; re-copying the same matrix per
    // column gives the same vertices.
    auto use = [this](int segment) { UseSegment(segment); };
    auto head = [](int) { return 0; };

    // Body: both sides sway the same way with the body wave.
    DrawPiece(
        *this, sink, model.Body, true, [](int j) { return j; },
        [this](int, int j, bool mirrored) {
            return Offset{0, mirrored ? -BodyWaveOffsets[j] : BodyWaveOffsets[j], 0};
        },
        use);
    DrawPiece(
        *this, sink, model.Gill, true, head,
        [this](int, int j, bool) {
            return Offset{0, 0, j <= 5 ? Gill[j] : 0.0f};
        },
        use);
    DrawPiece(
        *this, sink, model.Jaw, true, head,
        [this](int, int j, bool) {
            return Offset{0, 0, -Jaw[j <= 3 ? j : 3]};
        },
        use);
    DrawPiece(
        *this, sink, model.LongFin, false, [](int j) { return 11 + j; },
        [this](int r, int j, bool) {
            return Offset{0, BodyWaveOffsets[11 + j] + (r == 1 ? LongFinOffsets[j] : 0.0f), 0};
        },
        use);
    DrawPiece(
        *this, sink, model.PairedA, true, [](int) { return 10; },
        [this](int r, int j, bool) {
            const float w = r == 1 ? PairedFinOffsetsA[j] : 0.0f;
            return Offset{w, w, w};
        },
        use);
    DrawPiece(
        *this, sink, model.PairedB, true, [](int) { return 8; },
        [this](int, int j, bool) {
            return Offset{0, PairedFinOffsetsB[j], 0};
        },
        use);
    DrawPiece(
        *this, sink, model.ShortFin, false, [](int j) { return 13 + j; },
        [this](int r, int j, bool) {
            return Offset{0, BodyWaveOffsets[13 + j] + (r == 1 ? ShortFinOffsets[j] : 0.0f), 0};
        },
        use);
    DrawPiece(
        *this, sink, model.Tail, false, [](int) { return 21; },
        [this](int r, int j, bool) {
            return Offset{0, r == 1 ? TailOffsets[j] + BodyWaveOffsets[21] : BodyWaveOffsets[22],
                          0};
        },
        use);
    DrawPiece(
        *this, sink, model.Flap, true, head,
        [this](int, int, bool) {
            return Offset{2 * LipOffset, LipOffset, 0};
        },
        use);
}
