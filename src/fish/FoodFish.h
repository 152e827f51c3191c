#pragma once

#include <GL/gl.h>

#include "fish/Fish.h"

// Placeholder until feeding lands: a prey fish that is never released.
class FoodFish {
public:
    virtual ~FoodFish() = default;
    void SetUp() {}
    bool Active = false;
};
