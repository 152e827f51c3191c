#pragma once

#include "scene/SceneTypes.h"

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
// resolves it to a world point and releases a food fish there.
void FeedPass(TankScene& scene);

// The touch and zoom pick: the first fish under a pending click reacts.
void FishPickPass(TankScene& scene);
