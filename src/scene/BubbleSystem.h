#pragma once

#include <GL/gl.h>

#include "scene/ParticleSystem.h"

// One corner of a bubble's square: texture coordinate and position.
struct BubbleVertex {
    float s, t;
    float x, y, z;
};

// Receives the squares of one bubble pass, four corners each, in drawing order.
class BubbleQuadSink {
public:
    virtual ~BubbleQuadSink() = default;
    virtual void Begin() {}
    virtual void Quad(const BubbleVertex (&corners)[4]) = 0;
    virtual void End() {}
};

// The rising bubbles, drawn additively.
class BubbleSystem : public ParticleSystem {
public:
    // Records with their start values, then the bubble texture from the
    // built-in artwork (needs a current GL context).
    bool Init(int n) override;
    void Update() override;
    // Binds the texture, draws the first `count` bubbles (limited to the
    // records), then Update().
    void Draw(int count);

    // The GL-free parts, for tests and benchmarks.
    // Records with their start values; no texture.
    bool InitRecords(int n);
    // Draw() without GL: the squares go to `sink`, then Update().
    void DrawTo(int count, BubbleQuadSink& sink);

    // Start and recycle values of one record.
    static void StartValues(Particle& p);
    static void RecycleValues(Particle& p);

    GLuint Texture = 0;
};
