#pragma once

#include <GL/gl.h>

#include <vector>

#include "fish/FishSink.h"

// OpenGL from vertex arrays: the quad strips of a fish are gathered and drawn
// in one call when the matrix or texture is about to change (or the fish is
// done). The vertices, their order and the GL state left behind (the current
// normal and skin coordinate) are those of ImmediateGlFishSink.
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

    // Draws what was gathered (the matrix calls do this themselves).
    void Flush();

private:
    // Skin coordinate, normal, position: the GL_T2F_N3F_V3F layout.
    std::vector<GLfloat> vertices_;
    std::vector<GLint> firsts_;
    std::vector<GLsizei> counts_;
    GLint stripStart_ = 0;
};

// Immediate-mode OpenGL, a glBegin/glEnd pair per strip: the straightforward
// drawing, kept to check the arrays against.
class ImmediateGlFishSink final : public FishSink {
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
