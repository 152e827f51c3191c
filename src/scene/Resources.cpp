#include "scene/Resources.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QFile>
#include <QResource>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>

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

// The span of the program image that resources were read from since the
// last release.
std::mutex g_readLock;
std::uintptr_t g_readFrom = 0, g_readTo = 0;

void NoteRead(const void* data, std::size_t size) {
    Dl_info where{};
    // Only pages of the program's file image, never memory that something wrote.
    if (size == 0 || dladdr(data, &where) == 0 || !where.dli_fbase) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::lock_guard lock(g_readLock);
    g_readFrom = g_readFrom == 0 ? begin : std::min(g_readFrom, begin);
    g_readTo = std::max(g_readTo, begin + size);
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
        NoteRead(resource.data(), size);
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

void ReleaseResourcePages() {
    const std::lock_guard lock(g_readLock);
    if (g_readTo <= g_readFrom) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (g_readFrom + page - 1) & ~(page - 1);
    const std::uintptr_t last = g_readTo & ~(page - 1);
    // One call for all: each one costs a flush of every thread's page tables.
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    g_readFrom = g_readTo = 0;
}
