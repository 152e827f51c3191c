#define GL_GLEXT_PROTOTYPES 1
#include "fish/GlFishSink.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace {
constexpr int kFloatsPerVertex = 8;
}

void GlFishSink::BeginStrip() {
    stripStart_ = static_cast<GLint>(vertices_.size() / kFloatsPerVertex);
}

void GlFishSink::Vertex(float nx, float ny, float nz, float s, float t, float x, float y, float z) {
    vertices_.insert(vertices_.end(), {s, t, nx, ny, nz, x, y, z});
}

void GlFishSink::EndStrip() {
    const GLint end = static_cast<GLint>(vertices_.size() / kFloatsPerVertex);
    if (end == stripStart_) return;
    firsts_.push_back(stripStart_);
    counts_.push_back(end - stripStart_);
}

void GlFishSink::Flush() {
    if (vertices_.empty()) return;
    if (!counts_.empty()) {
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, vertices_.data());
        glMultiDrawArrays(GL_QUAD_STRIP, firsts_.data(), counts_.data(),
                          static_cast<GLsizei>(counts_.size()));
        glPopClientAttrib();
    }
    // Immediate mode leaves the last vertex's normal and skin coordinate
    // current, and later passes draw with them (the backdrop is lit with
    // that normal); after arrays they are undefined, so set them.
    const GLfloat* last = &vertices_[vertices_.size() - kFloatsPerVertex];
    glTexCoord2f(last[0], last[1]);
    glNormal3f(last[2], last[3], last[4]);
    vertices_.clear();
    firsts_.clear();
    counts_.clear();
}

void GlFishSink::PushMatrix() {
    Flush();
    glPushMatrix();
}

void GlFishSink::PopMatrix() {
    Flush();
    glPopMatrix();
}

void GlFishSink::Rotate(float degrees, float ax, float ay, float az) {
    Flush();
    glRotatef(degrees, ax, ay, az);
}

void GlFishSink::Translate(float x, float y, float z) {
    Flush();
    glTranslatef(x, y, z);
}

void GlFishSink::Scale(float factor) {
    Flush();
    glScalef(factor, factor, factor);
}

void GlFishSink::BindTexture(unsigned texture) {
    Flush();
    glBindTexture(GL_TEXTURE_2D, texture);
}

void ImmediateGlFishSink::BeginStrip() {
    glBegin(GL_QUAD_STRIP);
}

void ImmediateGlFishSink::Vertex(float nx, float ny, float nz, float s, float t, float x, float y,
                                 float z) {
    glNormal3f(nx, ny, nz);
    glTexCoord2f(s, t);
    glVertex3f(x, y, z);
}

void ImmediateGlFishSink::EndStrip() {
    glEnd();
}

void ImmediateGlFishSink::PushMatrix() {
    glPushMatrix();
}

void ImmediateGlFishSink::PopMatrix() {
    glPopMatrix();
}

void ImmediateGlFishSink::Rotate(float degrees, float ax, float ay, float az) {
    glRotatef(degrees, ax, ay, az);
}

void ImmediateGlFishSink::Translate(float x, float y, float z) {
    glTranslatef(x, y, z);
}

void ImmediateGlFishSink::Scale(float factor) {
    glScalef(factor, factor, factor);
}

void ImmediateGlFishSink::BindTexture(unsigned texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
}
