#include "scene/Resources.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/ResourceKey.h"

// The scrambled files are compiled into the tm_assets library; a static
// library's resources must be registered by hand or the linker drops them.
static void RegisterBuiltinResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(rcad);
        return true;
    }();
    (void)registered;
}

int ExtractResource(int id, const std::string& folder, const std::string& stem) {
    RegisterBuiltinResources();
    QFile resource(QStringLiteral(":/rcad/%1").arg(id));
    if (!resource.open(QIODevice::ReadOnly)) return 0;
    const QByteArray bytes = resource.readAll();

    // Written beside the target and renamed over it, so a longer file left
    // there earlier never leaves its tail behind.
    QSaveFile out(QString::fromStdString(folder + stem + ".ad"));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(bytes);
        out.commit();
    }
    // If the write failed the unscramble reports it and ends the process.
    UnscrambleFile(folder, stem);
    return 1;
}

void UnscrambleFile(const std::string& folder, const std::string& stem) {
    const std::string inPath = folder + stem + ".ad";
    const std::string outPath = folder + stem + (stem == "Music" ? ".wav" : ".bmp");

    std::FILE* in = std::fopen(inPath.c_str(), "rb");
    if (!in) {
        std::fputs("cannot open infile\n", stdout);
        std::fflush(stdout);
        std::exit(EXIT_FAILURE);
    }
    std::FILE* out = std::fopen(outPath.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        std::fputs(" cannot open outfile\n", stdout);
        std::fflush(stdout);
        std::exit(EXIT_FAILURE);
    }
    unsigned char buffer[65536];
    std::size_t index = 0;
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        for (std::size_t k = 0; k < got; ++k, ++index)
            buffer[k] = resourcekey::Unscramble(buffer[k], index);
        std::fwrite(buffer, 1, got, out);
    }
    std::fclose(in);
    std::fclose(out);
}

void DeleteExtractedFile(const std::string& path) { std::remove(path.c_str()); }

std::string LoadResourceBytes(int id) {
    RegisterBuiltinResources();
    QFile resource(QStringLiteral(":/rcad/%1").arg(id));
    if (!resource.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = resource.readAll();
    std::string plain(static_cast<std::size_t>(bytes.size()), '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        plain[static_cast<std::size_t>(i)] = static_cast<char>(resourcekey::Unscramble(
            static_cast<std::uint8_t>(bytes[i]), static_cast<std::size_t>(i)));
    return plain;
}
