#include "fish/FishModel.h"

#include <cmath>

#include "fish/FishShape.h"

using namespace fishshape;

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kBodyColumns = 24;

struct V3 {
    float x, y, z;
};

V3 Sub(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Normalised(V3 v, V3 fallback) {
    const float l = std::sqrt(Dot(v, v));
    return l > 1e-9f ? V3{v.x / l, v.y / l, v.z / l} : fallback;
}
float Lerp(float a, float b, float f) {
    return a + (b - a) * f;
}
float SignedPow(float v, float p) {
    return std::copysign(std::pow(std::fabs(v), p), v);
}

// Columns crowd a little toward the head, where the outline curves fastest.
float ColumnX(float t) {
    return kSnoutX + (kBodyEndX - kSnoutX) * t * (0.6f + 0.4f * t);
}

// A point of the body surface at x, `angle` from +90 (dorsal) to -90
// (ventral). The exponents square the oval off a little so the flanks look full.
V3 BodySurface(float x, float angle, float inflate = 1.0f) {
    const float c = std::cos(angle), s = std::sin(angle);
    return {x, inflate * BodyHalfWidth(x) * SignedPow(c, 0.8f),
            BodyCentreZ(x) + inflate * BodyHalfDepth(x) * SignedPow(s, 0.9f)};
}

// Outward normal of the body surface, from its two tangents.
V3 BodyNormal(float x, float angle) {
    const float xs = std::fmax(x, kSnoutX + 0.004f);  // the tip itself has no tangent round it
    const float e = 0.002f, ea = 0.01f;
    const V3 tx = Sub(BodySurface(xs + e, angle), BodySurface(xs - e, angle));
    const V3 ta = Sub(BodySurface(xs, angle - ea), BodySurface(xs, angle + ea));
    V3 n = Normalised(Cross(tx, ta), {-1, 0, 0});
    const V3 p = BodySurface(xs, angle);
    const V3 out{0.0f, p.y, p.z - BodyCentreZ(xs)};
    if (Dot(n, out) < 0) n = {-n.x, -n.y, -n.z};
    // The very tip is where all rows meet: light it as facing forward.
    if (x < kSnoutX + 0.001f)
        n = Normalised({n.x * 0.5f - 1.0f, n.y * 0.5f, n.z * 0.5f}, {-1, 0, 0});
    return n;
}

template <class Table>
void Put(Table& t, int r, int c, V3 p, V3 n, float s, float tt) {
    const int i = r * Table::Points + c;
    t.Position[i][0] = p.x;
    t.Position[i][1] = p.y;
    t.Position[i][2] = p.z;
    t.Normal[i][0] = n.x;
    t.Normal[i][1] = n.y;
    t.Normal[i][2] = n.z;
    t.Tex[i][0] = s;
    t.Tex[i][1] = tt;
}

template <class Table>
V3 At(const Table& t, int r, int c) {
    const int i = r * Table::Points + c;
    return {t.Position[i][0], t.Position[i][1], t.Position[i][2]};
}

// Normals of a thin fin from its grid, turned toward `facing`.
template <class Table>
void FinNormals(Table& t, V3 facing) {
    for (int r = 0; r < Table::Rows; ++r) {
        for (int c = 0; c < Table::Points; ++c) {
            const int c0 = c > 0 ? c - 1 : c, c1 = c + 1 < Table::Points ? c + 1 : c;
            const int r0 = r > 0 ? r - 1 : r, r1 = r + 1 < Table::Rows ? r + 1 : r;
            const V3 along = Sub(At(t, r, c1), At(t, r, c0));
            const V3 across = Sub(At(t, r1, c), At(t, r0, c));
            V3 n = Normalised(Cross(along, across), facing);
            if (Dot(n, facing) < 0) n = {-n.x, -n.y, -n.z};
            const int i = r * Table::Points + c;
            t.Normal[i][0] = n.x;
            t.Normal[i][1] = n.y;
            t.Normal[i][2] = n.z;
        }
    }
}

void BuildBody(FishModel& m) {
    for (int r = 0; r < 6; ++r) {
        const float angle = (90.0f - 36.0f * static_cast<float>(r)) * kPi / 180.0f;
        for (int c = 0; c < kBodyColumns; ++c) {
            const float x = BodyColumnX(c);
            const V3 p = BodySurface(x, angle);
            Put(m.Body, r, c, p, BodyNormal(x, angle), SideViewS(p.x), SideViewT(p.z));
        }
    }
}

// The gill cover: a plate just proud of the skin whose rear edge bows back.
void BuildGill(FishModel& m) {
    for (int r = 0; r < 4; ++r) {
        const float angle = (55.0f - 35.0f * static_cast<float>(r)) * kPi / 180.0f;
        const float rearX = kGillX + 0.018f * std::cos(angle);
        for (int c = 0; c < 8; ++c) {
            const float x = Lerp(rearX, -0.405f, static_cast<float>(c) / 7.0f);
            const V3 p = BodySurface(x, angle, 1.04f);
            Put(m.Gill, r, c, p, BodyNormal(x, angle), SideViewS(p.x), SideViewT(p.z));
        }
    }
}

// The lower jaw: the underside of the head from the mouth line down.
void BuildJaw(FishModel& m) {
    for (int r = 0; r < 4; ++r) {
        const float angle = (-12.0f - 26.0f * static_cast<float>(r)) * kPi / 180.0f;
        for (int c = 0; c < 5; ++c) {
            const float x = Lerp(kSnoutX + 0.012f, -0.395f, static_cast<float>(c) / 4.0f);
            const V3 p = BodySurface(x, angle, 1.05f);
            Put(m.Jaw, r, c, p, BodyNormal(x, angle), SideViewS(p.x), SideViewT(p.z));
        }
    }
}

// Lips: three rings round the front of the snout, a little below its centre.
void BuildFlap(FishModel& m) {
    const float ringX[3] = {kSnoutX - 0.006f, kSnoutX + 0.003f, kSnoutX + 0.013f};
    const float ringR[3] = {0.004f, 0.009f, 0.012f};
    const float cz = BodyCentreZ(kSnoutX) - 0.004f;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 7; ++c) {
            const float angle = (80.0f - 160.0f * static_cast<float>(c) / 6.0f) * kPi / 180.0f;
            const V3 p{ringX[r], 0.8f * ringR[r] * std::cos(angle),
                       cz + ringR[r] * std::sin(angle)};
            const V3 n = Normalised({-0.7f, std::cos(angle), std::sin(angle)}, {-1, 0, 0});
            Put(m.Flap, r, c, p, n, SideViewS(p.x), SideViewT(p.z));
        }
    }
}

// A median fin along body columns first..first+n-1: its root sunk a little
// into the skin, its edge `height(v)` away and swept back.
template <class Table, class Height>
void BuildMedianFin(Table& t, int first, bool onBack, Height height) {
    constexpr int n = Table::Points;
    for (int c = 0; c < n; ++c) {
        const float v = static_cast<float>(c) / static_cast<float>(n - 1);
        const float x = BodyColumnX(first + c);
        const float edge = onBack ? BodyTopZ(x) : BodyBottomZ(x);
        const float dir = onBack ? 1.0f : -1.0f;
        const V3 root{x, 0.0f, edge - dir * 0.012f};
        const V3 tip{x + 0.035f + 0.02f * v, 0.0f, edge + dir * height(v)};
        Put(t, 0, c, root, {0, -1, 0}, SideViewS(root.x), SideViewT(root.z));
        Put(t, 1, c, tip, {0, -1, 0}, SideViewS(tip.x), SideViewT(tip.z));
    }
}

// Forked tail: row 0 along the peduncle, row 1 the trailing edge from the
// upper lobe's tip through the fork to the lower lobe's tip.
void BuildTail(FishModel& m) {
    const float rootX = kBodyEndX - 0.035f;
    const float cz = BodyCentreZ(kBodyEndX);
    const float rootTop = BodyTopZ(rootX) + 0.004f, rootBottom = BodyBottomZ(rootX) - 0.004f;
    for (int c = 0; c < 21; ++c) {
        const float v = static_cast<float>(c) / 20.0f;  // 0 top .. 1 bottom
        const float s = 2.0f * v - 1.0f;
        const V3 root{rootX, 0.0f, Lerp(rootTop, rootBottom, v)};
        const float lobe = s < 0 ? 0.175f : 0.155f;  // upper lobe a touch longer
        const V3 tip{0.405f + (kTailEndX - 0.405f) * std::pow(std::fabs(s), 1.4f), 0.0f,
                     cz - s * lobe * (0.35f + 0.65f * std::pow(std::fabs(s), 0.7f))};
        Put(m.Tail, 0, c, root, {0, -1, 0}, SideViewS(root.x), SideViewT(root.z));
        Put(m.Tail, 1, c, tip, {0, -1, 0}, SideViewS(tip.x), SideViewT(tip.z));
    }
}

// Pectoral fin: a short root behind the gill cover, fanning back and out.
void BuildPectoral(FishModel& m) {
    constexpr int n = 20;
    for (int c = 0; c < n; ++c) {
        const float chord = static_cast<float>(c) / (n - 1);
        const float rx = kGillX + 0.018f + 0.012f * chord;
        const float rz = BodyCentreZ(rx) - 0.012f - 0.03f * chord;
        const V3 root{rx, 0.85f * BodyHalfWidth(rx), rz};
        const float a = (8.0f - 50.0f * chord) * kPi / 180.0f;
        const float len = 0.085f + 0.045f * std::sin(kPi * (0.25f + 0.6f * chord));
        const V3 tip{rx + len * std::cos(a), root.y + 0.3f * len, rz + len * std::sin(a)};
        Put(m.PairedB, 0, c, root, {}, FinSwatchS(chord), FinSwatchT(0));
        Put(m.PairedB, 1, c, tip, {}, FinSwatchS(chord), FinSwatchT(1));
    }
    FinNormals(m.PairedB, {0, 1, 0});
}

// Pelvic fin: a root along the belly, a pointed blade hanging back and down.
void BuildPelvic(FishModel& m) {
    constexpr int n = 17;
    const float x0 = BodyColumnX(10) - 0.02f;
    for (int c = 0; c < n; ++c) {
        const float chord = static_cast<float>(c) / (n - 1);
        const float rx = x0 + 0.045f * chord;
        const float rz = BodyBottomZ(rx) + 0.012f;
        const V3 root{rx, 0.35f * BodyHalfWidth(rx), rz};
        const float span = 0.085f * (1.0f - 0.55f * chord);
        const V3 tip{rx + 0.05f + 0.02f * chord, root.y + 0.025f * (1.0f - 0.5f * chord),
                     rz - span};
        Put(m.PairedA, 0, c, root, {}, FinSwatchS(chord), FinSwatchT(0));
        Put(m.PairedA, 1, c, tip, {}, FinSwatchS(chord), FinSwatchT(1));
    }
    FinNormals(m.PairedA, {0, 1, 0});
}

FishModel BuildModel() {
    FishModel m{};
    BuildBody(m);
    BuildGill(m);
    BuildJaw(m);
    BuildMedianFin(m.LongFin, 11, true, [](float v) {
        return 0.02f +
               0.10f * std::pow(std::sin(kPi * (0.08f + 0.84f * v)), 0.8f) * (1.0f - 0.3f * v);
    });
    BuildPelvic(m);
    BuildPectoral(m);
    BuildMedianFin(m.ShortFin, 13, false, [](float v) {
        return 0.015f +
               0.075f * std::pow(std::sin(kPi * (0.1f + 0.8f * v)), 0.8f) * (1.0f - 0.3f * v);
    });
    BuildTail(m);
    BuildFlap(m);
    return m;
}

}  // namespace

float BodyColumnX(int column) {
    return ColumnX(static_cast<float>(column) / static_cast<float>(kBodyColumns - 1));
}

const FishModel& TheFishModel() {
    static const FishModel model = BuildModel();
    return model;
}
