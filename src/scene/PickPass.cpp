#include "scene/PickPass.h"

#include "scene/TankScene.h"

// Seam: picking arrives with feeding.
void FeedPass(TankScene&) {}
void FishPickPass(TankScene&) {}
