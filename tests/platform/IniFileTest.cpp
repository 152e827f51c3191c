#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace {

TEST(IniDocument, ReadsSectionsAndKeysWithoutRegardToCaseAndBlanks) {
    TempDir dir;
    WriteWholeFile(dir.File("a.ini"),
                   "; a comment=with equals\n"
                   "[Aquarium Settings]\n"
                   "  Show Water = 1  \n"
                   "QIPAONUM=\"42\"\n"
                   "empty=\n"
                   "[other]\n"
                   "show water=7\n");
    const IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(doc.Get("aquarium settings", "SHOW WATER"), "1");
    EXPECT_EQ(doc.Get("Aquarium Settings", "qipaonum"), "42");  // quotes removed
    EXPECT_EQ(doc.Get("Aquarium Settings", "empty"), "");
    EXPECT_EQ(doc.Get("other", "Show Water"), "7");
    EXPECT_FALSE(doc.Get("Aquarium Settings", "; a comment").has_value());
    EXPECT_FALSE(doc.Get("Missing", "Show Water").has_value());
}

TEST(IniDocument, FirstOfDuplicateKeysAndSectionsWins) {
    TempDir dir;
    WriteWholeFile(dir.File("a.ini"), "[S]\nk=1\nk=2\n[s]\nk=3\nonlylater=4\n");
    IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(doc.Get("S", "k"), "1");
    EXPECT_EQ(doc.Get("S", "onlylater"), "4");
    doc.Set("S", "K", "9");
    EXPECT_EQ(doc.Text(), "[S]\nK=9\nk=2\n[s]\nk=3\nonlylater=4\n");
}

TEST(IniDocument, UpdateKeepsEveryOtherLineAndTheLineEnds) {
    TempDir dir;
    const std::string original = "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n";
    WriteWholeFile(dir.File("a.ini"), original);
    IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(doc.Get("A", "x"), "1");  // no stray carriage return in the value
    doc.Set("A", "x", "5");
    doc.Set("A", "new key", "n");
    doc.Set("C", "z", "3");
    ASSERT_TRUE(doc.Save(dir.File("a.ini")));
    EXPECT_EQ(ReadWholeFile(dir.File("a.ini")),
              "; keep me\r\n[A]\r\nx=5\r\nnew key=n\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nz=3\r\n");
}

TEST(IniDocument, ValuesStayOnTheirLineWhateverTheyHold) {
    TempDir dir;
    IniDocument doc;
    doc.Set("S", "path", "/home/u/a\nb=[evil]\r");
    const std::string longValue(5000, 'p');
    doc.Set("S", "long", longValue);
    ASSERT_TRUE(doc.Save(dir.File("a.ini")));
    const IniDocument back = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(back.Get("S", "path"), "/home/u/ab=[evil]");
    EXPECT_FALSE(back.Get("evil", "b").has_value());
    EXPECT_EQ(back.Get("S", "long"), longValue);  // long paths are not cut
}

TEST(IniDocument, MissingDirectoryOrUnwritableFilesFailQuietly) {
    TempDir dir;
    EXPECT_TRUE(IniDocument::Load(dir.File("nope.ini")).Text().empty());
    // A directory where the file should be reads as empty and cannot be replaced.
    ASSERT_EQ(mkdir(dir.File("d.ini").c_str(), 0700), 0);
    IniDocument doc = IniDocument::Load(dir.File("d.ini"));
    EXPECT_TRUE(doc.Text().empty());
    doc.Set("S", "k", "v");
    EXPECT_FALSE(doc.Save(dir.File("d.ini")));
    // An unwritable folder leaves the old file alone and no temp file behind.
    WriteWholeFile(dir.File("sub.ini"), "[S]\nk=old\n");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0500), 0);
    if (geteuid() != 0) {  // root writes anywhere
        EXPECT_FALSE(doc.Save(dir.File("sub.ini")));
        EXPECT_EQ(ReadWholeFile(dir.File("sub.ini")), "[S]\nk=old\n");
    }
    chmod(dir.Path().c_str(), 0700);
}

// A writer killed at a random moment leaves the old file or the new one.
TEST(IniDocument, InterruptedSaveNeverLeavesATornFile) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    auto content = [&](char c) {
        std::string text = "[S]\n";
        for (int i = 0; i < 20000; ++i) text += "key" + std::to_string(i) + "=" + std::string(40, c) + "\n";
        WriteWholeFile(dir.File("src.ini"), text);
        return IniDocument::Load(dir.File("src.ini"));
    };
    const IniDocument a = content('a'), b = content('b');
    ASSERT_TRUE(a.Save(path));
    const std::string textA = a.Text(), textB = b.Text();
    for (int round = 0; round < 8; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                b.Save(path);
                a.Save(path);
            }
        }
        usleep(3000 + round * 7000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = ReadWholeFile(path);
        EXPECT_TRUE(now == textA || now == textB) << "torn file of " << now.size() << " bytes";
    }
}

TEST(AtoiLike, BehavesLikeAtoiWithoutOverflow) {
    EXPECT_EQ(AtoiLike("32767.5"), 32767);
    EXPECT_EQ(AtoiLike("  -12abc"), -12);
    EXPECT_EQ(AtoiLike("+7"), 7);
    EXPECT_EQ(AtoiLike("abc"), 0);
    EXPECT_EQ(AtoiLike(""), 0);
    EXPECT_EQ(AtoiLike("99999999999999999999"), 2147483647);
    EXPECT_EQ(AtoiLike("-99999999999999999999"), -2147483647 - 1);
}

TEST(ProfileHelpers, ReadFallsBackAndWriteCreatesTheFile) {
    TempDir dir;
    const std::string path = dir.File("p.ini");
    EXPECT_EQ(ReadProfileString(path, "S", "k", "def"), "def");
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "v"));
    EXPECT_EQ(ReadProfileString(path, "s", "K", "def"), "v");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // private to the user
}

}  // namespace
