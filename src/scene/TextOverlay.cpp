#include "scene/TextOverlay.h"

#include <QFont>
#include <QList>
#include <QRawFont>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/ProductInfo.h"
#include "scene/OutlineFont.h"

int HelpFrameCounter = 0;
GLuint TextListBase = 0;
GlyphMetric GlyphMetrics[256];

namespace {

// Outlines are taken at this size and scaled down to one unit per em: large
// enough that curve flattening stays well under a pixel on screen.
constexpr int kOutlinePixelSize = 64;
constexpr float kExtrusion = 0.2f;
constexpr int kBuiltCodes = 255;  // 0..254; 255 stays empty

GlyphMetric MetricOf(const GlyphMesh& mesh, const std::vector<GlyphContour>& contours) {
    GlyphMetric m;
    m.cellIncX = mesh.advance;
    bool any = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const GlyphContour& c : contours) {
        for (const GlyphPoint& p : c) {
            if (!any) {
                minX = maxX = p.x;
                minY = maxY = p.y;
                any = true;
            }
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    m.blackBoxX = static_cast<float>(maxX - minX);
    m.blackBoxY = static_cast<float>(maxY - minY);
    m.originX = static_cast<float>(minX);
    m.originY = static_cast<float>(maxY);
    return m;
}

struct OverlayLine {
    const char* text;
    float x, y, z;
};

// What the glyphs are built from, kept while the display lists exist so a
// glyph is built the first time text uses it.
struct FontSource {
    QRawFont raw;
    quint32 glyphs[kBuiltCodes] = {};
    QList<QPointF> advances;
    bool haveFont = false;
    bool built[256] = {};
    GlyphTessellator tessellator;
};
std::unique_ptr<FontSource> g_source;

void LoadFontSource(FontSource& source) {
    QFont font;  // the application's default family
    font.setBold(true);
    font.setPixelSize(kOutlinePixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    source.raw = QRawFont::fromFont(font);

    QChar chars[kBuiltCodes];
    for (int code = 0; code < kBuiltCodes; ++code) {
        chars[code] =
            QChar(static_cast<char16_t>(AnsiCodeToUnicode(static_cast<unsigned char>(code))));
    }
    int glyphCount = kBuiltCodes;
    if (source.raw.isValid() &&
        source.raw.glyphIndexesForChars(chars, kBuiltCodes, source.glyphs, &glyphCount) &&
        glyphCount == kBuiltCodes) {
        QList<quint32> indexes(source.glyphs, source.glyphs + kBuiltCodes);
        indexes.append(0);  // the missing-glyph box: its advance stands in
        source.advances = source.raw.advancesForGlyphIndexes(indexes);
    }
    source.haveFont = source.advances.size() == kBuiltCodes + 1;
}

void BuildGlyph(FontSource& source, int code) {
    source.built[code] = true;
    GlyphMesh mesh;
    std::vector<GlyphContour> contours;
    if (code < kBuiltCodes && source.haveFont) {
        const quint32 glyph = source.glyphs[code];
        // A character without a glyph only moves on.
        if (glyph != 0) contours = GlyphOutline(source.raw, glyph);
        const QPointF advance = source.advances[glyph != 0 ? code : kBuiltCodes];
        mesh.advance = static_cast<float>(advance.x() / kOutlinePixelSize);
        source.tessellator.Tessellate(contours, mesh);
    }
    GlyphMetrics[code] = MetricOf(mesh, contours);
    glNewList(TextListBase + code, GL_COMPILE);
    EmitGlyphMesh(mesh, kExtrusion);
    glEndList();
}

}  // namespace

void PrepareOutlineFont() {
    // Fresh lists in the current context, whatever an earlier one left.
    g_source.reset();
    TextListBase = glGenLists(256);
    if (TextListBase == 0) return;
    g_source = std::make_unique<FontSource>();
    LoadFontSource(*g_source);
}

void BuildOutlineFont() {
    PrepareOutlineFont();
    if (!g_source) return;
    for (int code = 0; code < 256; ++code)
        if (!g_source->built[code]) BuildGlyph(*g_source, code);
}

void BuildGlyphsFor(const char* text, int length) {
    if (!g_source || TextListBase == 0) return;
    for (int i = 0; i < length; ++i) {
        const auto code = static_cast<unsigned char>(text[i]);
        if (!g_source->built[code]) BuildGlyph(*g_source, code);
    }
}

void ReleaseOutlineFont() {
    if (TextListBase == 0) return;
    glDeleteLists(TextListBase, 256);
    TextListBase = 0;
    g_source.reset();
}

int FormatText3D(char (&buffer)[256], const char* format, va_list args) {
    buffer[0] = '\0';
    if (!format) return 0;
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) {
        buffer[0] = '\0';
        return 0;
    }
    // Longer text is cut at the buffer; an embedded zero ends it early.
    return static_cast<int>(std::strlen(buffer));
}

void DrawText3D(const char* format, ...) {
    if (!format || TextListBase == 0) return;
    char text[256];
    va_list args;
    va_start(args, format);
    const int length = FormatText3D(text, format, args);
    va_end(args);
    if (length <= 0) return;
    BuildGlyphsFor(text, length);
    glPushAttrib(GL_LIST_BIT);
    glListBase(TextListBase);
    glCallLists(length, GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

bool AdvanceHelpOverlay(bool& helpTextVisible) {
    if (helpTextVisible) ++HelpFrameCounter;
    if (HelpFrameCounter > kHelpOverlayFrames) {
        helpTextVisible = false;
        HelpFrameCounter = 0;
    }
    return helpTextVisible;
}

void DrawHelpOverlay(bool& helpTextVisible) {
    if (!AdvanceHelpOverlay(helpTextVisible)) return;
    const OverlayLine lines[4] = {
        {kProductTitle, -5.5f, 4.0f, -60.0f},
        {"[Right Click]: Toolbar popup", -4.0f, 1.0f, -60.0f},
        {"[ESC]: Exit", -4.0f, 0.0f, -60.0f},
        {kProductUrl, -4.0f, -2.0f, -60.0f},
    };
    // The glyphs carry no texture coordinates: with the texture and
    // coordinate the last pass left (a bubble's black corner) the text
    // would vanish, so it shows in the plain current colour instead.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    for (const OverlayLine& line : lines) {
        glPushMatrix();
        glTranslatef(line.x, line.y, line.z);
        DrawText3D("%s", line.text);
        glPopMatrix();
    }
    glPopAttrib();
}
