#pragma once

#include <GL/gl.h>

#include "scene/ParticleSystem.h"

// The rising bubbles, drawn additively.
class BubbleSystem : public ParticleSystem {
public:
    bool Init(int n) override;
    void Update() override;
    // Draws the first `count` bubbles (limited to the records), then Update().
    void Draw(int count);

    GLuint Texture = 0;
};
