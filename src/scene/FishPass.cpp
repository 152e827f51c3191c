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
        const TankBounds& b = scene.Bounds;
        fish.SetBounds(-b.fishXMax, b.fishXMax, b.yMax - 10, b.yMin + 6, -80, -60);
    }
}

namespace {

FishSink& DrawingSink(const TankScene& scene) {
    static GlFishSink arrays;
    static ImmediateGlFishSink immediate;
    if (scene.DrawFishFromArrays) return arrays;
    return immediate;
}

}  // namespace

void DrawFishPass(TankScene& scene, bool draw) {
    FishSink& sink = DrawingSink(scene);
    static NullFishSink unseen;
    const int total = scene.ActiveFishCount();
    int kind = 0;
    int kindEnd = scene.Settings.FishCounts[0];
    for (int i = 0; i < total; ++i) {
        // Kinds own consecutive index ranges in the order of their counts.
        while (i >= kindEnd && kind < TankScene::kFishCount - 1) {
            ++kind;
            kindEnd += scene.Settings.FishCounts[kind];
        }
        Fish& fish = scene.Fishes[i];
        if (draw) {
            glPushMatrix();
            glTranslatef(fish.X, fish.Y, fish.Z);
            glBindTexture(GL_TEXTURE_2D, scene.FishTextures[kind]);
            fish.Tick(sink);
            glPopMatrix();
        } else {
            fish.Tick(unseen);
        }

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

void DrawFoodFishPass(TankScene& scene, bool draw) {
    static NullFishSink unseen;
    int activeBefore = 0, activeAfter = 0;
    for (const FoodFish& f : scene.Food) activeBefore += f.Active;
    DrawFoodFishes(scene.Food, TankScene::kFoodFishCount, draw ? DrawingSink(scene) : unseen);
    for (const FoodFish& f : scene.Food) activeAfter += f.Active;
    scene.PreyEaten += activeBefore - activeAfter;  // slots freed this frame were eaten
}
