// The prey skin comes from the built-in resources, which live with the scene.
#include <cstdio>
#include <string>

#include "fish/FoodFish.h"
#include "platform/Folders.h"
#include "scene/Resources.h"
#include "scene/Textures.h"

void FoodFish::SetUp() {
    const std::string folder = WindowsFolder();
    char stem[16];
    std::snprintf(stem, sizeof stem, "fish%d", 5);
    const ExtractedResource file(10005, folder, stem);
    CreateBitmapTexture(file.Path(), &Texture);
    Reset();
}
