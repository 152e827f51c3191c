#include "scene/FishPass.h"

#include "scene/TankScene.h"

// Seam: the fish model and its behaviour arrive separately.
void PlaceFish(TankScene&) {}

void DrawFishPass(TankScene& scene) {
    const int total = scene.ActiveFishCount();
    for (int i = 0; i < total; ++i) {
        const Fish& f = scene.Fishes[i];
        scene.FishPositions[i] = FishPositionRecord{f.X, f.Y, f.Z, 0, false};
    }
}
