#pragma once

class TankScene;

// The feed pick: sweeps the pick bars and, while a feed click is pending,
// resolves it to a world point and releases a food fish there.
void FeedPass(TankScene& scene);

// The touch and zoom pick: the first fish under a pending click reacts.
void FishPickPass(TankScene& scene);
