#include "scene/OutlineFont.h"

#include <GL/gl.h>

#include <QPainterPath>
#include <QPolygonF>
#include <QRawFont>

#include <cmath>

void GlyphMesh::Clear() {
    triangles.clear();
    boundary.clear();
    advance = 0.0f;
}

namespace {

GlyphTessellator* Self(void* data) {
    return static_cast<GlyphTessellator*>(data);
}

void GLAPIENTRY OnBegin(GLenum, void*) {}
// Registering an edge-flag callback makes GLU emit plain triangles only.
void GLAPIENTRY OnEdgeFlag(GLboolean, void*) {}
void GLAPIENTRY OnVertex(void* vertex, void* data) {
    Self(data)->OnVertex(static_cast<const double*>(vertex));
}
void GLAPIENTRY OnEnd(void* data) {
    Self(data)->OnEnd();
}
void GLAPIENTRY OnCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data) {
    *out = Self(data)->OnCombine(coords);
}
void GLAPIENTRY OnError(GLenum, void* data) {
    Self(data)->OnError();
}

using Callback = _GLUfuncptr;

}  // namespace

GlyphTessellator::GlyphTessellator() {
    tess_ = gluNewTess();
    if (!tess_) return;
    gluTessCallback(tess_, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(&::OnBegin));
    gluTessCallback(tess_, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<Callback>(&::OnEdgeFlag));
    gluTessCallback(tess_, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(&::OnVertex));
    gluTessCallback(tess_, GLU_TESS_END_DATA, reinterpret_cast<Callback>(&::OnEnd));
    gluTessCallback(tess_, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(&::OnCombine));
    gluTessCallback(tess_, GLU_TESS_ERROR_DATA, reinterpret_cast<Callback>(&::OnError));
    gluTessProperty(tess_, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    // A fixed normal fixes the orientation of what comes out.
    gluTessNormal(tess_, 0.0, 0.0, 1.0);
}

GlyphTessellator::~GlyphTessellator() {
    if (tess_) gluDeleteTess(tess_);
}

void GlyphTessellator::OnVertex(const double* xyz) {
    if (boundaryOnly_) {
        mesh_->boundary.back().push_back({xyz[0], xyz[1]});
    } else {
        mesh_->triangles.push_back({xyz[0], xyz[1]});
    }
}

void GlyphTessellator::OnEnd() {
    if (boundaryOnly_) mesh_->boundary.emplace_back();  // room for the next loop
}

double* GlyphTessellator::OnCombine(const double xyz[3]) {
    combined_.push_back({xyz[0], xyz[1], xyz[2]});
    return combined_.back().data();
}

bool GlyphTessellator::RunPass(const std::vector<GlyphContour>& contours, bool boundaryOnly) {
    boundaryOnly_ = boundaryOnly;
    if (boundaryOnly) mesh_->boundary.emplace_back();
    gluTessProperty(tess_, GLU_TESS_BOUNDARY_ONLY, boundaryOnly ? GL_TRUE : GL_FALSE);
    gluTessBeginPolygon(tess_, this);
    std::size_t next = 0;
    for (const GlyphContour& contour : contours) {
        if (contour.size() < 3) continue;
        gluTessBeginContour(tess_);
        for (std::size_t i = 0; i < contour.size(); ++i) {
            // Both passes read the same stored copies.
            std::array<double, 3>& v = input_[next++];
            gluTessVertex(tess_, v.data(), v.data());
        }
        gluTessEndContour(tess_);
    }
    gluTessEndPolygon(tess_);
    if (boundaryOnly && !mesh_->boundary.empty() && mesh_->boundary.back().empty()) {
        mesh_->boundary.pop_back();
    }
    return !failed_;
}

bool GlyphTessellator::Tessellate(const std::vector<GlyphContour>& contours, GlyphMesh& mesh) {
    mesh.triangles.clear();
    mesh.boundary.clear();
    if (!tess_) return false;
    input_.clear();
    combined_.clear();
    for (const GlyphContour& contour : contours) {
        if (contour.size() < 3) continue;
        for (const GlyphPoint& p : contour)
            input_.push_back({p.x, p.y, 0.0});
    }
    if (input_.empty()) return true;
    mesh_ = &mesh;
    failed_ = false;
    const bool ok = RunPass(contours, false) && RunPass(contours, true);
    mesh_ = nullptr;
    if (!ok) {
        mesh.triangles.clear();
        mesh.boundary.clear();
    }
    return ok;
}

char32_t AnsiCodeToUnicode(unsigned char code) {
    // 0x80..0x9F differ from Latin-1; the five unassigned codes stay as they are.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (code >= 0x80 && code <= 0x9F) return kHigh[code - 0x80];
    return code;
}

std::vector<GlyphContour> GlyphOutline(const QRawFont& font, unsigned glyphIndex) {
    std::vector<GlyphContour> contours;
    const double scale = 1.0 / font.pixelSize();
    const QPainterPath path = font.pathForGlyph(glyphIndex);
    if (path.isEmpty()) return contours;
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    contours.reserve(polygons.size());
    for (const QPolygonF& polygon : polygons) {
        GlyphContour contour;
        contour.reserve(polygon.size());
        for (const QPointF& q : polygon) {
            const GlyphPoint p{q.x() * scale, -q.y() * scale};  // Qt's y runs down
            if (!contour.empty() && contour.back().x == p.x && contour.back().y == p.y) continue;
            contour.push_back(p);
        }
        // Subpaths come back closed; the loop is implied.
        while (contour.size() > 1 && contour.front().x == contour.back().x &&
               contour.front().y == contour.back().y) {
            contour.pop_back();
        }
        if (contour.size() >= 3) contours.push_back(std::move(contour));
    }
    return contours;
}

void EmitGlyphMesh(const GlyphMesh& mesh, float depth) {
    const std::vector<GlyphPoint>& tri = mesh.triangles;
    if (!tri.empty()) {
        glBegin(GL_TRIANGLES);
        glNormal3f(0.0f, 0.0f, 1.0f);
        for (const GlyphPoint& p : tri)
            glVertex3d(p.x, p.y, 0.0);
        // The back face looks the other way, so each triangle turns round.
        glNormal3f(0.0f, 0.0f, -1.0f);
        for (std::size_t i = 0; i + 2 < tri.size(); i += 3) {
            glVertex3d(tri[i + 2].x, tri[i + 2].y, -depth);
            glVertex3d(tri[i + 1].x, tri[i + 1].y, -depth);
            glVertex3d(tri[i].x, tri[i].y, -depth);
        }
        glEnd();
    }
    if (!mesh.boundary.empty()) {
        glBegin(GL_QUADS);
        for (const GlyphContour& loop : mesh.boundary) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const GlyphPoint& a = loop[i];
                const GlyphPoint& b = loop[(i + 1) % loop.size()];
                const double dx = b.x - a.x, dy = b.y - a.y;
                const double length = std::hypot(dx, dy);
                if (length == 0.0) continue;
                // The solid lies left of every boundary edge: outward is right.
                glNormal3d(dy / length, -dx / length, 0.0);
                glVertex3d(a.x, a.y, 0.0);
                glVertex3d(a.x, a.y, -depth);
                glVertex3d(b.x, b.y, -depth);
                glVertex3d(b.x, b.y, 0.0);
            }
        }
        glEnd();
    }
    glTranslatef(mesh.advance, 0.0f, 0.0f);
}
