#include "scene/FishPass.h"

#include <GL/gl.h>

#include "fish/GlFishSink.h"
#include "fish/Reactions.h"
#include "platform/Random.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"

void PlaceFish(TankScene& scene) {
    for (Fish& fish : scene.Fishes) {
        fish.X = static_cast<float>(RandomInt(100) - 50);
        fish.Y = static_cast<float>(RandomInt(30) - 15);
        fish.Z = static_cast<float>(RandomInt(20) - 80);
        fish.SetBounds(-50, 50, scene.Bounds.yMax - 10, scene.Bounds.yMin + 6, -80, -60);
    }
}

void DrawFishPass(TankScene& scene) {
    static GlFishSink sink;
    const int total = scene.ActiveFishCount();
    int kind = 0;
    int kindEnd = Settings.FishCounts[0];
    for (int i = 0; i < total; ++i) {
        // Kinds own consecutive index ranges in the order of their counts.
        while (i >= kindEnd && kind < TankScene::kFishCount - 1) {
            ++kind;
            kindEnd += Settings.FishCounts[kind];
        }
        Fish& fish = scene.Fishes[i];
        glPushMatrix();
        glTranslatef(fish.X, fish.Y, fish.Z);
        glBindTexture(GL_TEXTURE_2D, scene.FishTextures[kind]);
        fish.Tick(sink);
        glPopMatrix();

        RespondToFood(fish, scene.Food, TankScene::kFoodFishCount,
                      scene.InteractionMode == ID_FEED_FISH);
        EatNearbyFood(fish, scene.Food, TankScene::kFoodFishCount);
        ResolveContact(scene.Fishes, TankScene::kFishCount, i);

        scene.FishPositions[i] = FishPositionRecord{fish.X, fish.Y, fish.Z, 0, false};
    }
}

void Crowding(TankScene& scene) {
    CrowdApart(scene.Fishes, scene.FishPositions, scene.ActiveFishCount());
}

void DrawFoodFishPass(TankScene& scene) {
    static GlPreySink sink;
    int activeBefore = 0, activeAfter = 0;
    for (const FoodFish& f : scene.Food) activeBefore += f.Active;
    DrawFoodFishes(scene.Food, TankScene::kFoodFishCount, sink);
    for (const FoodFish& f : scene.Food) activeAfter += f.Active;
    scene.PreyEaten += activeBefore - activeAfter;  // slots freed this frame were eaten
}
