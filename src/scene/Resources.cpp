#include "scene/Resources.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QFile>
#include <QResource>
#include <QString>
#include <array>
#include <cstdint>

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

namespace {

// Key byte for each offset within one turn of the key.
constexpr std::array<std::uint8_t, resourcekey::kKey.size()> kTurn = [] {
    std::array<std::uint8_t, resourcekey::kKey.size()> turn{};
    for (std::size_t i = 0; i < turn.size(); ++i)
        turn[i] = resourcekey::KeyFor(i);
    return turn;
}();

void UnscrambleInto(const std::uint8_t* in, std::size_t size, char* out) {
    std::size_t i = 0;
    for (; i + kTurn.size() <= size; i += kTurn.size())
        for (std::size_t k = 0; k < kTurn.size(); ++k)
            out[i + k] = static_cast<char>(static_cast<std::uint8_t>(in[i + k] + kTurn[k]));
    for (std::size_t k = 0; i < size; ++i, ++k)
        out[i] = static_cast<char>(static_cast<std::uint8_t>(in[i] + kTurn[k]));
}

// Once unscrambled, the program's own copy of the resource is not looked at
// again: its pages leave our resident set (they stay in the page cache and
// come back on the next read). Only pages of the program's file image are
// dropped, never memory that something wrote.
void ReleaseImagePages(const void* data, std::size_t size) {
    Dl_info where{};
    if (dladdr(data, &where) == 0 || !where.dli_fbase) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) & ~(page - 1);
    const std::uintptr_t last = (begin + size) & ~(page - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace

std::string LoadResourceBytes(int id) {
    RegisterBuiltinResources();
    const QString name = QStringLiteral(":/rcad/%1").arg(id);
    QResource resource(name);
    if (!resource.isValid()) return {};
    const auto size = static_cast<std::size_t>(resource.size());
    std::string plain(size, '\0');
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
        // Straight from the program image: no second copy on the way.
        UnscrambleInto(resource.data(), size, plain.data());
        ReleaseImagePages(resource.data(), size);
        return plain;
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    plain.resize(static_cast<std::size_t>(bytes.size()));
    UnscrambleInto(reinterpret_cast<const std::uint8_t*>(bytes.constData()), plain.size(),
                   plain.data());
    return plain;
}
