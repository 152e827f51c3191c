#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/IniFile.h"
#include "support/InChild.h"
#include "support/TempDir.h"

namespace {

int Entries(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

mode_t Mode(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(IniDocument, ReadsWithoutRegardToCaseAndBlanksAndTheFirstDuplicateWins) {
    TempDir dir;
    WriteWholeFile(dir.File("a.ini"),
                   "; a comment=with equals\n[Aquarium Settings]\n  Show Water = 1  \n"
                   "QIPAONUM=\"42\"\nempty=\nQipaoNum=2\n[other]\nshow water=7\n[aquarium settings]\nlater=4\n");
    IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(doc.Get("aquarium settings", "SHOW WATER"), "1");
    EXPECT_EQ(doc.Get("Aquarium Settings", "qipaonum"), "42");  // quotes removed, first wins
    EXPECT_EQ(doc.Get("Aquarium Settings", "empty"), "");
    EXPECT_EQ(doc.Get("Aquarium Settings", "later"), "4");
    EXPECT_EQ(doc.Get("other", "Show Water"), "7");
    EXPECT_FALSE(doc.Get("Aquarium Settings", "; a comment").has_value());
    EXPECT_FALSE(doc.Get("Missing", "Show Water").has_value());
}

TEST(IniDocument, EveryLineKeepsItsOwnEndingAndNoOtherByteChanges) {
    TempDir dir;
    // LF, CRLF, a lone CR with a key after it, CR CR LF, a last line without an ending.
    const std::string original = "; notes\n[A]\r\nx=1\ry=user\r\r\nz=2\r\n\r\n[B]\ny=2";
    WriteWholeFile(dir.File("a.ini"), original);
    IniDocument doc = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(doc.Text(), original);
    EXPECT_EQ(doc.Get("A", "y"), "user");  // after the lone CR, not part of x
    doc.Set("A", "x", "5");
    doc.Set("A", "z", "6");
    doc.Set("B", "new", "n");
    doc.Set("C", "k", "3");
    ASSERT_TRUE(doc.Save(dir.File("a.ini")));
    EXPECT_EQ(ReadWholeFile(dir.File("a.ini")),
              "; notes\n[A]\r\nx=5\ry=user\r\r\nz=6\r\n\r\n[B]\ny=2\nnew=n\n\n[C]\nk=3\n");

    // New keys and sections end like their neighbours.
    WriteWholeFile(dir.File("b.ini"), "[A]\r\nx=1\r\n");
    IniDocument crlf = IniDocument::Load(dir.File("b.ini"));
    crlf.Set("A", "new key", "n");
    crlf.Set("C", "z", "3");
    EXPECT_EQ(crlf.Text(), "[A]\r\nx=1\r\nnew key=n\r\n\r\n[C]\r\nz=3\r\n");
}

TEST(IniDocument, ValuesStayOnTheirLineWhateverTheyHold) {
    TempDir dir;
    IniDocument doc;
    doc.Set("S", "path", "/home/u/a\nb=[evil]\r");
    doc.Set("S", "long", std::string(5000, 'p'));
    ASSERT_TRUE(doc.Save(dir.File("a.ini")));
    const IniDocument back = IniDocument::Load(dir.File("a.ini"));
    EXPECT_EQ(back.Get("S", "path"), "/home/u/ab=[evil]");
    EXPECT_FALSE(back.Get("evil", "b").has_value());
    EXPECT_EQ(back.Get("S", "long"), std::string(5000, 'p'));
}

TEST(IniDocument, AFileThatCannotBeReadIsNeverWritten) {
    TempDir dir;
    EXPECT_TRUE(IniDocument::Load(dir.File("nope.ini")).LoadError().empty());  // missing is fine
    ASSERT_TRUE(WriteProfileString(dir.File("new.ini"), "S", "k", "v"));
    EXPECT_EQ(ReadProfileString(dir.File("new.ini"), "s", "K", "def"), "v");
    EXPECT_EQ(Mode(dir.File("new.ini")) & 0777, 0600u);  // private to the user
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
    EXPECT_EQ(Mode(real) & 07777, 0640u);
    EXPECT_EQ(Entries(dir.File("dotfiles")) + Entries(dir.File("config")), 3);  // no temp left
}

TEST(IniDocument, AWriteThatFailsLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteWholeFile(path, "[S]\nk=old\n");
    IniDocument doc = IniDocument::Load(path);
    doc.Set("S", "k", std::string(100000, 'n'));
    // A full disk: writes past 4 KiB fail (SIGXFSZ ignored, so they return EFBIG).
    EXPECT_EQ(InChild([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{4096, 4096};
                  setrlimit(RLIMIT_FSIZE, &limit);
                  std::string why;
                  return doc.Save(path, &why) ? 1 : why.empty() ? 2 : 0;
              }),
              0);
    EXPECT_EQ(ReadWholeFile(path), "[S]\nk=old\n");
    EXPECT_EQ(Entries(dir.Path()), 1);  // no temp left
}

TEST(AtoiLike, BehavesLikeAtoiWithoutOverflow) {
    for (auto [text, want] : {std::pair<const char*, int>{"32767.5", 32767}, {"  -12abc", -12}, {"+7", 7},
                              {"abc", 0}, {"99999999999999999999", 2147483647},
                              {"-99999999999999999999", -2147483647 - 1}})
        EXPECT_EQ(AtoiLike(text), want) << text;
}

}  // namespace
