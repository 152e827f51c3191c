#pragma once

#include <GL/gl.h>

#include "fish/Fish.h"
#include "fish/FishSink.h"
#include "fish/GlFishSink.h"

// Prey draw through the same sinks as the large fish.
using PreySink = FishSink;
using GlPreySink = GlFishSink;

// One small prey fish of the feeding pool: a whole `Fish` swimming in its own
// frame around the point where it was released, drawn at a fifth of the size.
class FoodFish {
public:
    // The inner fish draws its random start values here.
    FoodFish();
    virtual ~FoodFish() = default;

    // Takes the prey skin (shared by the whole pool), then `Reset`.
    void SetUp(GLuint skin);
    void Reset();
    // Releases the prey at the given world point.
    void Spawn(float x, float y, float z);
    // Draws and advances a live prey; finding it eaten frees the slot instead.
    void Draw(PreySink& sink);
    void Eat();

    float Alive = 0;
    GLuint Texture = 0;
    float WorldPos[3] = {0, 0, 0};
    float SpawnPoint[3] = {0, 0, -70};
    Fish Inner;
    bool Active = false;
};

// Releases a prey at the clicked point (x, y) into the first free slot of the
// pool: it starts 2 lower, at depth -70. Returns the slot, or -1 when every
// slot is in use and the click is dropped.
int ReleaseFoodFish(FoodFish* pool, int count, float x, float y);

// Draws every slot in use, in pool order, each under its own matrix.
void DrawFoodFishes(FoodFish* pool, int count, PreySink& sink);
