#pragma once

#include "fish/FishSink.h"

// Immediate-mode OpenGL: quad strips and the current model-view matrix.
class GlFishSink final : public FishSink {
public:
    void BeginStrip() override;
    void Vertex(float nx, float ny, float nz, float s, float t, float x, float y, float z) override;
    void EndStrip() override;
    void PushMatrix() override;
    void PopMatrix() override;
    void Rotate(float degrees, float ax, float ay, float az) override;
    void Translate(float x, float y, float z) override;
    void Scale(float factor) override;
    void BindTexture(unsigned texture) override;
};
