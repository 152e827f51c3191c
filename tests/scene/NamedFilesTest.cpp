// Every kind of file a user names is opened the same way: a FIFO, a folder, a
// device, a file swapped for a FIFO after it was listed, or one far too large
// is refused at once, never waited on or read without end; an ordinary file
// still loads, whatever bytes its name holds.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/IniFile.h"
#include "platform/UserFile.h"
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
    {"track", kTrackFileMaxBytes,
     [](const std::string& path) {
         std::string why;
         std::FILE* stream = OpenUserFileStream(path, kTrackFileMaxBytes, &why);
         if (!stream) return false;
         const bool read = std::fgetc(stream) != EOF;
         std::fclose(stream);
         return read;
     }},
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

TEST(NamedFiles, AnythingButAModestRegularFileIsRefusedAtOnce) {
    for (const Kind& kind : kKinds) {
        for (const Hostile& hostile : kHostile) {
            TempDir dir;
            const std::string path = dir.File("named");
            ASSERT_TRUE(hostile.make(path, kind)) << hostile.name;
            const int status = InChildWithin(20, [&] { return kind.read(path) ? 1 : 0; });
            EXPECT_EQ(status, 0) << kind.name << ", " << hostile.name
                                 << (status == kChildHung ? ": hung" : ": taken in");
        }
    }
}

TEST(NamedFiles, AnOrdinaryFileLoadsWhateverBytesItsNameHolds) {
    for (const Kind& kind : kKinds) {
        TempDir dir;
        // Not valid UTF-8, with a blank and a quote: stored names are bytes.
        for (const std::string name : {"plain", "caf\xe9 \xff\xfe 'x'"}) {
            const std::string path = dir.File(name);
            WriteWholeFile(path, Content(kind));
            EXPECT_TRUE(kind.read(path)) << kind.name << ", " << name;
        }
    }
}

TEST(NamedFiles, ASettingsFileThatIsRefusedSaysWhyAndIsNeverSavedOver) {
    TempDir dir;
    const std::string path = dir.File("KelvaronSet.ini");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const int status = InChildWithin(20, [&] {
        IniDocument doc = IniDocument::Load(path);
        doc.Set("S", "k", "v");
        std::string why;
        return doc.LoadError() == "it is not a regular file" && !doc.Save(path, &why) ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
