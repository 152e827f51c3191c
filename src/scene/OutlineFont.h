#pragma once

#include <GL/glu.h>

#include <array>
#include <deque>
#include <vector>

class QRawFont;

// Extruded outline glyphs: the geometry of one character as front-face
// triangles and boundary loops, in em units with y up.

struct GlyphPoint {
    double x, y;
};
using GlyphContour = std::vector<GlyphPoint>;

struct GlyphMesh {
    // Front-face triangles, three points each, counter-clockwise seen from +z.
    std::vector<GlyphPoint> triangles;
    // Cleaned outline loops with the solid on their left (outer loops run
    // counter-clockwise, holes clockwise); the side walls follow them.
    std::vector<GlyphContour> boundary;
    // Horizontal advance to the next character's origin.
    float advance = 0.0f;

    void Clear();
};

// Fills glyph outlines with the GLU tessellator (nonzero winding, so
// overlapping contours merge). One instance is reused for every glyph.
class GlyphTessellator {
public:
    GlyphTessellator();
    ~GlyphTessellator();
    GlyphTessellator(const GlyphTessellator&) = delete;
    GlyphTessellator& operator=(const GlyphTessellator&) = delete;

    // Replaces mesh.triangles and mesh.boundary; false if the tessellator failed.
    bool Tessellate(const std::vector<GlyphContour>& contours, GlyphMesh& mesh);

    // Called back by GLU while a polygon is being tessellated.
    void OnVertex(const double* xyz);
    void OnEnd();
    double* OnCombine(const double xyz[3]);
    void OnError() { failed_ = true; }

private:
    bool RunPass(const std::vector<GlyphContour>& contours, bool boundaryOnly);

    GLUtesselator* tess_ = nullptr;
    // Vertices handed to GLU must stay put until the polygon ends.
    std::vector<std::array<double, 3>> input_;
    std::deque<std::array<double, 3>> combined_;
    GlyphMesh* mesh_ = nullptr;
    bool boundaryOnly_ = false;
    bool failed_ = false;
};

// The character shown for an 8-bit code: Windows code page 1252, as ANSI
// outline fonts map them.
char32_t AnsiCodeToUnicode(unsigned char code);

// The outline of one glyph as closed polygons, scaled from the raw font's
// pixel size to one unit per em, y up.
std::vector<GlyphContour> GlyphOutline(const QRawFont& font, unsigned glyphIndex);

// Replays a mesh as GL commands (for a display list being compiled): front
// face at z 0, back face at z -depth, side walls with outward normals, then
// a translation by the advance.
void EmitGlyphMesh(const GlyphMesh& mesh, float depth);
