#include "fish/GlFishSink.h"

#include <GL/gl.h>

void GlFishSink::BeginStrip() {
    glBegin(GL_QUAD_STRIP);
}

void GlFishSink::Vertex(float nx, float ny, float nz, float s, float t, float x, float y, float z) {
    glNormal3f(nx, ny, nz);
    glTexCoord2f(s, t);
    glVertex3f(x, y, z);
}

void GlFishSink::EndStrip() {
    glEnd();
}

void GlFishSink::PushMatrix() {
    glPushMatrix();
}

void GlFishSink::PopMatrix() {
    glPopMatrix();
}

void GlFishSink::Rotate(float degrees, float ax, float ay, float az) {
    glRotatef(degrees, ax, ay, az);
}

void GlFishSink::Translate(float x, float y, float z) {
    glTranslatef(x, y, z);
}

void GlFishSink::Scale(float factor) {
    glScalef(factor, factor, factor);
}

void GlFishSink::BindTexture(unsigned texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
}
