// Settings files and pictures a user names: a FIFO, a folder, a device, a
// file swapped for a FIFO after it was listed, or one far too large is
// refused at once, never waited on or read without end; an ordinary file
// still loads, whatever bytes its name holds. (Tracks: audio/PlayerTest.)

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <functional>
#include <string>

#include "platform/IniFile.h"
#include "scene/UserImage.h"
#include "support/TempDir.h"
#include "support/TimedChild.h"

namespace {

std::string TinyPng() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

struct Kind {
    const char* name;
    std::int64_t limit;
    // Returns whether the file at the path was taken in.
    std::function<bool(const std::string&)> read;
};

const Kind kKinds[] = {
    {"settings file", kSettingsFileMaxBytes,
     [](const std::string& path) {
         const IniDocument doc = IniDocument::Load(path);
         return doc.LoadError().empty() && doc.Get("S", "k") == "v";
     }},
    {"picture", kUserImageMaxFileBytes,
     [](const std::string& path) { return DecodeUserImage(path).Valid(); }},
};

std::string Content(const Kind& kind) {
    return std::string(kind.name) == "picture" ? TinyPng() : std::string("[S]\nk=v\n");
}

struct Hostile {
    const char* name;
    // Makes `path` hostile for a file of `kind`; false if it could not.
    std::function<bool(const std::string& path, const Kind& kind)> make;
};

const Hostile kHostile[] = {
    {"FIFO", [](const std::string& p, const Kind&) { return mkfifo(p.c_str(), 0600) == 0; }},
    {"folder", [](const std::string& p, const Kind&) { return mkdir(p.c_str(), 0700) == 0; }},
    {"symlink to /dev/zero",
     [](const std::string& p, const Kind&) { return symlink("/dev/zero", p.c_str()) == 0; }},
    {"file swapped for a FIFO after listing",
     [](const std::string& p, const Kind& kind) {
         WriteWholeFile(p, Content(kind));
         struct stat listed;
         const std::string fifo = p + ".fifo";
         return stat(p.c_str(), &listed) == 0 && S_ISREG(listed.st_mode) &&
                mkfifo(fifo.c_str(), 0600) == 0 && rename(fifo.c_str(), p.c_str()) == 0;
     }},
    {"file past its size limit",
     [](const std::string& p, const Kind& kind) {
         WriteWholeFile(p, Content(kind));  // sparse: no disk taken
         return truncate(p.c_str(), kind.limit + 1) == 0;
     }},
};

TEST(NamedFiles, AnOrdinaryFileLoadsWhateverItsNameAndAnythingElseIsRefusedAtOnce) {
    for (const Kind& kind : kKinds) {
        TempDir dir;
        // Not valid UTF-8, with a blank and a quote: stored names are bytes.
        for (const std::string name : {"plain", "caf\xe9 \xff\xfe 'x'"}) {
            WriteWholeFile(dir.File(name), Content(kind));
            EXPECT_TRUE(kind.read(dir.File(name))) << kind.name << ", " << name;
        }
        for (const Hostile& hostile : kHostile) {
            const std::string path = dir.File(std::to_string(&hostile - kHostile));
            ASSERT_TRUE(hostile.make(path, kind)) << hostile.name;
            const int status = InChildWithin(20, [&] { return kind.read(path) ? 1 : 0; });
            EXPECT_EQ(status, 0) << kind.name << ", " << hostile.name
                                 << (status == kChildHung ? ": hung" : ": taken in");
        }
    }
}

}  // namespace
