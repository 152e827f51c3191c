#include "scene/Resources.h"

#include <QFile>
#include <QString>

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
