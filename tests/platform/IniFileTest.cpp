#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
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

TEST(IniDocument, EveryLineKeepsItsOwnEndingAndNoOtherByteChanges) {
    TempDir dir;
    // LF first, then CRLF, a lone CR with a key after it, CR CR LF, and a
    // last line without an ending.
    const std::string original =
        "; notes\n[A]\r\nx=1\ry=user\r\r\nz=2\r\n\r\n[B]\ny=2";
    WriteWholeFile(dir.File("a.ini"), original);
    IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(doc.Text(), original);
    EXPECT_EQ(doc.Get("A", "x"), "1");
    EXPECT_EQ(doc.Get("A", "y"), "user");  // after the lone CR, not part of x
    EXPECT_EQ(doc.Get("A", "z"), "2");
    doc.Set("A", "x", "5");
    doc.Set("A", "z", "6");
    doc.Set("B", "new", "n");  // after a last line without an ending
    doc.Set("C", "k", "3");
    ASSERT_TRUE(doc.Save(dir.File("a.ini")));
    EXPECT_EQ(ReadWholeFile(dir.File("a.ini")),
              "; notes\n[A]\r\nx=5\ry=user\r\r\nz=6\r\n\r\n[B]\ny=2\nnew=n\n\n[C]\nk=3\n");
    // Saved again unchanged, the file stays byte for byte the same.
    const std::string once = ReadWholeFile(dir.File("a.ini"));
    ASSERT_TRUE(IniDocument::Load(dir.File("a.ini")).Save(dir.File("a.ini")));
    EXPECT_EQ(ReadWholeFile(dir.File("a.ini")), once);
}

TEST(IniDocument, NewKeysEndLikeTheirNeighbours) {
    TempDir dir;
    WriteWholeFile(dir.File("a.ini"), "[A]\r\nx=1\r\n");
    IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    doc.Set("A", "new key", "n");
    doc.Set("C", "z", "3");
    EXPECT_EQ(doc.Text(), "[A]\r\nx=1\r\nnew key=n\r\n\r\n[C]\r\nz=3\r\n");
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

// Runs `body` in a child process and returns its exit status.
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

int Entries(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

mode_t Mode(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(IniDocument, AFileThatCannotBeReadIsNeverWritten) {
    TempDir dir;
    EXPECT_TRUE(IniDocument::Load(dir.File("nope.ini")).LoadError().empty());  // missing is fine
    // Reading a directory fails, for root too.
    ASSERT_EQ(mkdir(dir.File("d.ini").c_str(), 0700), 0);
    IniDocument doc = IniDocument::Load(dir.File("d.ini"));
    EXPECT_FALSE(doc.LoadError().empty());
    doc.Set("S", "k", "v");
    std::string why;
    EXPECT_FALSE(doc.Save(dir.File("other.ini"), &why));
    EXPECT_NE(why.find("could not be read"), std::string::npos) << why;
    EXPECT_FALSE(WriteProfileString(dir.File("d.ini"), "S", "k", "v"));
    EXPECT_EQ(Mode(dir.File("other.ini")), 0u);
}

TEST(IniDocument, AReadOnlyFileIsLeftAsItIs) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteWholeFile(path, "[S]\nk=old\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    IniDocument doc = IniDocument::Load(path);
    doc.Set("S", "k", "new");
    std::string why;
    EXPECT_FALSE(doc.Save(path, &why));
    EXPECT_EQ(why, IniDocument::kReadOnly);
    EXPECT_EQ(ReadWholeFile(path), "[S]\nk=old\n");
    EXPECT_EQ(Mode(path) & 07777, 0444u);
}

TEST(IniDocument, ASymlinkIsFollowedAndStaysALink) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("dotfiles").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(dir.File("config").c_str(), 0700), 0);
    const std::string real = dir.File("dotfiles/real.ini"), link = dir.File("config/a.ini");
    WriteWholeFile(real, "[S]\nk=old\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    // A relative link to a relative link.
    ASSERT_EQ(symlink("../dotfiles/real.ini", dir.File("config/middle.ini").c_str()), 0);
    ASSERT_EQ(symlink("middle.ini", link.c_str()), 0);
    IniDocument doc = IniDocument::Load(link);
    doc.Set("S", "k", "new");
    ASSERT_TRUE(doc.Save(link));
    EXPECT_TRUE(S_ISLNK(Mode(link)));
    EXPECT_TRUE(S_ISLNK(Mode(dir.File("config/middle.ini"))));
    EXPECT_EQ(ReadWholeFile(real), "[S]\nk=new\n");
    EXPECT_EQ(Mode(real) & 07777, 0640u);  // the mode it had
    EXPECT_EQ(Entries(dir.File("dotfiles")) + Entries(dir.File("config")), 3);  // no temp left
}

TEST(IniDocument, AWriteThatFailsLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteWholeFile(path, "[S]\nk=old\n");
    IniDocument doc = IniDocument::Load(path);
    doc.Set("S", "k", std::string(100000, 'n'));
    // A full disk: writes past 4 KiB fail (SIGXFSZ ignored, so they return EFBIG).
    const int status = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string why;
        if (doc.Save(path, &why)) return 1;
        return why.empty() ? 2 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadWholeFile(path), "[S]\nk=old\n");
    EXPECT_EQ(Entries(dir.Path()), 1);  // no temp left
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
