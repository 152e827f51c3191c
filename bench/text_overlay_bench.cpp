// Start-up cost of the outline font: building the 256 glyph display lists
// from the default bold font. Needs a display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <QGuiApplication>
#include <QRawFont>

#include <memory>

#include "BenchGl.h"
#include "scene/OutlineFont.h"
#include "scene/TextOverlay.h"

namespace {

using Gl = BenchGl;

// The first build pays for loading the font as well; this is what start-up sees.
void BM_BuildOutlineFontCold(benchmark::State& state) {
    Gl gl;
    if (!gl.ok) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) {
        BuildOutlineFont();
        glFinish();
    }
}
BENCHMARK(BM_BuildOutlineFontCold)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_BuildOutlineFont(benchmark::State& state) {
    Gl gl;
    if (!gl.ok) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) {
        BuildOutlineFont();
        state.PauseTiming();
        glDeleteLists(TextListBase, 256);
        glFinish();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildOutlineFont)->Unit(benchmark::kMillisecond)->Iterations(10);

// The glyph geometry alone (outlines and tessellation, no GL).
void BM_TessellateGlyphs(benchmark::State& state) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(64);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QRawFont raw = QRawFont::fromFont(font);
    GlyphTessellator tessellator;
    GlyphMesh mesh;
    size_t triangles = 0;
    for (auto _ : state) {
        for (char16_t c = 32; c < 255; ++c) {
            const QList<quint32> glyph = raw.glyphIndexesForString(QString(QChar(c)));
            if (glyph.isEmpty() || glyph[0] == 0) continue;
            tessellator.Tessellate(GlyphOutline(raw, glyph[0]), mesh);
            triangles += mesh.triangles.size() / 3;
        }
    }
    state.counters["triangles/build"] =
        benchmark::Counter(double(triangles) / double(state.iterations()));
}
BENCHMARK(BM_TessellateGlyphs)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
