#pragma once

#include <array>
#include <vector>

#include "fish/FishSink.h"
#include "fish/SceneTypes.h"

class TankScene;

// What a pick sees: the modelview at the time, the viewport, and a square of
// `region` pixels around the mouse (window coordinates, y down).
struct PickView {
    float modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int viewport[4] = {0, 0, 1, 1};
    int mouse[2] = {0, 0};
    int region = 1;
};

// The current modelview and viewport with the mouse square.
PickView CurrentPickView(const int mouse[2], int region);

// Would GL's selection mode, with the pick projection (the region around the
// mouse, 45 degrees, near 0.1, far 1000), record a hit for the quad drawn
// translated by `at`? Any part of it inside the pick volume is a hit.
bool QuadInPickRegion(const PickView& view, const Vec3f& at, const Vec3f (&quad)[4]);

// The same for a polygon of up to four corners already in eye coordinates.
bool EyePolygonInPickRegion(const PickView& view, const double (*eye)[4], int corners);

// Takes a fish's geometry the way the GL sink would draw it, translated to
// `at`, and notes whether any of its quads falls in the pick region. Picks
// work this way, not with GL's selection mode, because that mode leaks
// memory for every primitive on Mesa's software renderer.
class PickFishSink final : public FishSink {
public:
    PickFishSink(const PickView& view, const Vec3f& at);
    void BeginStrip() override { strip_.clear(); }
    void Vertex(float nx, float ny, float nz, float s, float t, float x, float y, float z) override;
    void EndStrip() override {}
    void PushMatrix() override { stack_.push_back(stack_.back()); }
    void PopMatrix() override;
    void Rotate(float degrees, float ax, float ay, float az) override;
    void Translate(float x, float y, float z) override;
    void Scale(float factor) override;

    bool Hit = false;

private:
    using Matrix = std::array<double, 16>;  // column-major, like GL
    void Multiply(const Matrix& by);

    PickView view_;
    std::vector<Matrix> stack_;
    std::vector<std::array<double, 4>> strip_;
};

// What the feed pick carries from frame to frame, for the whole process: the
// sweep directions of the pick bars and how much of a pending click is known.
struct FeedPickState {
    bool ColumnsRising = false;
    bool RowsRising = true;
    bool XResolved = false;
    bool YResolved = false;
    float FeedX = 0;
    float FeedY = 0;
};

FeedPickState& PickState();

// The feed pick: sweeps the pick bars and, while a feed click is pending,
// resolves it to a world point and releases a food fish there. The pick
// itself needs GL: a step that is not drawn (`drawn` false) only sweeps.
void FeedPass(TankScene& scene, bool drawn = true);

// The touch and zoom pick: the first fish under a pending click reacts.
void FishPickPass(TankScene& scene);
