#pragma once

// Where a fish sends its geometry. The GL sink issues immediate-mode calls;
// tests and benchmarks count or record without a GL context.
class FishSink {
public:
    virtual ~FishSink() = default;
    virtual void BeginStrip() = 0;  // one quad strip
    virtual void Vertex(float nx, float ny, float nz, float s, float t, float x, float y,
                        float z) = 0;
    virtual void EndStrip() = 0;
    virtual void PushMatrix() = 0;
    virtual void PopMatrix() = 0;
    virtual void Rotate(float degrees, float ax, float ay, float az) = 0;
    // Placing, scaling and skinning a prey; a plain fish never asks.
    virtual void Translate(float, float, float) {}
    virtual void Scale(float) {}
    virtual void BindTexture(unsigned /*texture*/) {}
    // False for a sink that keeps nothing: the fish then skips building its
    // vertices (they change no state) and only swims.
    virtual bool WantsGeometry() const { return true; }
};

// A step nobody sees: the fish swims, nothing is emitted.
class NullFishSink final : public FishSink {
public:
    void BeginStrip() override {}
    void Vertex(float, float, float, float, float, float, float, float) override {}
    void EndStrip() override {}
    void PushMatrix() override {}
    void PopMatrix() override {}
    void Rotate(float, float, float, float) override {}
    bool WantsGeometry() const override { return false; }
};

// Counts what a fish issues; nothing else.
class CountingFishSink final : public FishSink {
public:
    void BeginStrip() override { ++Strips; }
    void Vertex(float, float, float, float, float, float, float, float) override { ++Vertices; }
    void EndStrip() override {}
    void PushMatrix() override { ++Depth; }
    void PopMatrix() override { --Depth; }
    void Rotate(float, float, float, float) override { ++Rotations; }

    long Strips = 0;
    long Vertices = 0;
    long Rotations = 0;
    int Depth = 0;
};
