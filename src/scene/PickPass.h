#pragma once

class TankScene;

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
