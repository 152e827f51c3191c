#include "fish/FoodFish.h"

FoodFish::FoodFish() = default;

void FoodFish::SetUp(GLuint skin) {
    Texture = skin;
    Reset();
}

void FoodFish::Reset() {
    Alive = 1.0f;
    WorldPos[0] = WorldPos[1] = WorldPos[2] = 0;
    // Its own frame: the release point is the origin, in front of this box.
    Inner.SetBounds(-50, 50, 11, -15, -80, -60);
}

void FoodFish::Spawn(float x, float y, float z) {
    SpawnPoint[0] = x;
    SpawnPoint[1] = y;
    SpawnPoint[2] = z;
    Reset();
}

void FoodFish::Draw(PreySink& sink) {
    sink.Translate(SpawnPoint[0] + Inner.X, SpawnPoint[1] + Inner.Y, SpawnPoint[2] + Inner.Z);
    if (static_cast<int>(Alive) != 0) {
        sink.PushMatrix();
        sink.Scale(0.2f);
        sink.BindTexture(Texture);
        Inner.Tick(sink);
        sink.PopMatrix();
        WorldPos[0] = SpawnPoint[0] + Inner.X;
        WorldPos[1] = SpawnPoint[1] + Inner.Y;
        WorldPos[2] = SpawnPoint[2] + Inner.Z;
    } else {
        Active = false;
    }
}

void FoodFish::Eat() {
    Alive = 0;
    Inner.X = Inner.Y = Inner.Z = 0;
}

int ReleaseFoodFish(FoodFish* pool, int count, float x, float y) {
    for (int i = 0; i < count; ++i) {
        if (pool[i].Active) continue;
        pool[i].Spawn(x, y - 2.0f, -70.0f);
        pool[i].Active = true;
        return i;
    }
    return -1;
}

void DrawFoodFishes(FoodFish* pool, int count, PreySink& sink) {
    for (int i = 0; i < count; ++i) {
        if (!pool[i].Active) continue;
        sink.PushMatrix();
        pool[i].Draw(sink);
        sink.PopMatrix();
    }
}
