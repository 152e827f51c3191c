// The prey skin comes from the built-in resources, which live with the scene.
#include "fish/FoodFish.h"
#include "scene/Resources.h"
#include "scene/Textures.h"

void FoodFish::SetUp() {
    CreateBitmapTexture(AsBmpBytes(LoadResourceBytes(10005)), &Texture);
    Reset();
}
