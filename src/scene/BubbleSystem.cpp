#include "scene/BubbleSystem.h"

#include "platform/Random.h"
#include "scene/Resources.h"
#include "scene/Textures.h"

namespace {

constexpr float kRiseAcceleration = 0.000833333f;
constexpr float kStartLife = 200.0f;
constexpr float kBottom = -25.0f;
constexpr float kTop = 130.0f;

// Immediate-mode quads, one primitive batch for the whole pass.
class GlQuadSink final : public BubbleQuadSink {
public:
    void Begin() override { glBegin(GL_QUADS); }
    void Quad(const BubbleVertex (&corners)[4]) override {
        for (const BubbleVertex& v : corners) {
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
    }
    void End() override { glEnd(); }
};

// The two draws of "random 9000 - random 9000", first one first.
int RandomSpread9000() {
    const int a = RandomInt(9000);
    const int b = RandomInt(9000);
    return a - b;
}

}  // namespace

void BubbleSystem::StartValues(Particle& p) {
    // Each statement is one draw (or two), so the order of draws is fixed.
    p.x = static_cast<float>(RandomInt(200) - 100);
    p.y = static_cast<float>(RandomInt(9) * 0.005 - 1.0);
    p.z = static_cast<float>(RandomInt(6) * 0.005);
    p.vx = static_cast<float>(RandomSpread9000() * 0.000007);
    p.vy = static_cast<float>(RandomInt(9000) * 0.000042 * 0.33333334);
    p.vz = static_cast<float>(RandomInt(9000) * 0.000001);
    p.ax = 0.0f;
    p.ay = kRiseAcceleration;
    p.az = 0.0f;
    p.life = kStartLife;
    p.halfSize = static_cast<float>((RandomInt(20) + 2) * 0.1);
    p.fade = static_cast<float>(RandomInt(50) * 0.05);
}

void BubbleSystem::RecycleValues(Particle& p) {
    // The half size is kept; the new velocities are wider than at start.
    p.x = static_cast<float>(RandomInt(200) - 100);
    p.y = static_cast<float>(RandomInt(9) * 0.005 - 1.0);
    p.z = static_cast<float>(RandomInt(9000) * 0.000001);
    p.vx = static_cast<float>(RandomSpread9000() * 0.000007);
    p.vy = static_cast<float>(RandomInt(9000) * 0.000042);
    p.vz = static_cast<float>(RandomInt(90000) * 0.000001);
    p.ax = 0.0f;
    p.ay = kRiseAcceleration;
    p.az = 0.0f;
    p.life = kStartLife;
    p.fade = static_cast<float>(RandomInt(50) * 0.05);
}

bool BubbleSystem::InitRecords(int n) {
    if (!ParticleSystem::Init(n)) return false;
    for (int i = 0; i < Capacity; ++i)
        StartValues(Particles[i]);
    return true;
}

bool BubbleSystem::Init(int n) {
    if (!InitRecords(n)) return false;
    CreateBitmapTexture(AsBmpBytes(LoadResourceBytes(166)), &Texture);
    return true;
}

void BubbleSystem::Update() {
    // Count is public; never walk past the records.
    const int n = ClampToCapacity(Count);
    for (int i = 0; i < n; ++i) {
        Particle& p = Particles[i];
        p.x += p.vx;
        p.y += p.vy;
        p.z += p.vz;
        p.vy += p.ay;
        p.life -= p.fade;
        if (p.y <= kBottom || p.y >= kTop || p.life <= 0.0f) RecycleValues(p);
    }
}

void BubbleSystem::DrawTo(int count, BubbleQuadSink& sink) {
    Count = ClampToCapacity(count);
    if (Count > 0) {
        sink.Begin();
        for (int i = 0; i < Count; ++i) {
            const Particle& p = Particles[i];
            // Fresh jitter every frame; the record itself does not move.
            const int a = RandomInt(20);
            const int b = RandomInt(20);
            const float cx = p.x + static_cast<float>(a * 0.01);
            const float cz = p.z + static_cast<float>(b * 0.01);
            const float s = p.halfSize;
            const BubbleVertex corners[4] = {
                {0.0f, 0.0f, cx - s, p.y - s, cz},
                {1.0f, 0.0f, cx - s, p.y + s, cz},
                {1.0f, 1.0f, cx + s, p.y + s, cz},
                {0.0f, 1.0f, cx + s, p.y - s, cz},
            };
            sink.Quad(corners);
        }
        sink.End();
    }
    Update();
}

void BubbleSystem::Draw(int count) {
    glBindTexture(GL_TEXTURE_2D, Texture);
    GlQuadSink sink;
    DrawTo(count, sink);
}
