#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <string>

#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace {

mode_t Mode(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

class IniDocumentTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("a.ini");

    // Writes `text` and loads it back.
    IniDocument Load(const std::string& text) {
        WriteWholeFile(path, text);
        return IniDocument::Load(path);
    }
};

TEST_F(IniDocumentTest, ReadsWithoutRegardToCaseAndBlanksAndTheFirstDuplicateWins) {
    const IniDocument doc = Load(
        "; a comment=with equals\n[Aquarium Settings]\n  Show Water = 1  \nQIPAONUM=\"42\"\n"
        "QipaoNum=2\n[other]\nshow water=7\n[aquarium settings]\nlater=4\n");
    EXPECT_EQ(doc.Get("aquarium settings", "SHOW WATER"), "1");
    EXPECT_EQ(doc.Get("Aquarium Settings", "qipaonum"), "42");  // quotes removed, first wins
    EXPECT_EQ(doc.Get("Aquarium Settings", "later"), "4");
    EXPECT_EQ(doc.Get("other", "Show Water"), "7");
}

TEST_F(IniDocumentTest, EveryLineKeepsItsOwnEndingAndNoOtherByteChanges) {
    // LF, CRLF, a lone CR with a key after it, CR CR LF, a last line without an ending.
    const std::string original = "; notes\n[A]\r\nx=1\ry=user\r\r\nz=2\r\n\r\n[B]\ny=2";
    IniDocument doc = Load(original);
    EXPECT_EQ(doc.Text(), original);
    EXPECT_EQ(doc.Get("A", "y"), "user");  // after the lone CR, not part of x
    doc.Set("A", "x", "5");
    doc.Set("A", "w", "4");  // ends like z=2 before it, not like the first line
    doc.Set("B", "new", "n");
    doc.Set("C", "k", "3");
    ASSERT_TRUE(doc.Save(path));
    EXPECT_EQ(ReadWholeFile(path),
              "; notes\n[A]\r\nx=5\ry=user\r\r\nz=2\r\nw=4\r\n\r\n[B]\ny=2\nnew=n\n\n[C]\nk=3\n");

    // New keys and sections end like their neighbours; values stay on their line.
    IniDocument crlf = Load("[A]\r\nx=1\r\n");
    crlf.Set("A", "new key", "/home/u/a\nb=[evil]\r");
    crlf.Set("C", "z", "3");
    EXPECT_EQ(crlf.Text(), "[A]\r\nx=1\r\nnew key=/home/u/ab=[evil]\r\n\r\n[C]\r\nz=3\r\n");
}

TEST_F(IniDocumentTest, AFileThatCannotBeReadIsNeverWritten) {
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "v"));
    EXPECT_EQ(Mode(path) & 0777, 0600u);  // private to the user
    // Reading a directory fails, for root too.
    ASSERT_EQ(mkdir(dir.File("d.ini").c_str(), 0700), 0);
    IniDocument doc = IniDocument::Load(dir.File("d.ini"));
    doc.Set("S", "k", "v");
    EXPECT_FALSE(doc.Save(dir.File("other.ini")));
}

TEST_F(IniDocumentTest, AReadOnlyFileIsLeftAsItIs) {
    IniDocument doc = Load("[S]\nk=old\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    doc.Set("S", "k", "new");
    std::string why;
    EXPECT_FALSE(doc.Save(path, &why));
    EXPECT_EQ(why, IniDocument::kReadOnly);
    EXPECT_EQ(ReadWholeFile(path), "[S]\nk=old\n");
    EXPECT_EQ(Mode(path) & 07777, 0444u);
}

TEST_F(IniDocumentTest, ASymlinkIsFollowedAndStaysALink) {
    // A relative link to a relative link; the file's mode is kept and no temp is left.
    std::filesystem::create_directories(dir.File("dotfiles"));
    const std::string real = dir.File("dotfiles/real.ini");
    WriteWholeFile(real, "[S]\nk=old\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink("dotfiles/real.ini", dir.File("middle.ini").c_str()), 0);
    ASSERT_EQ(symlink("middle.ini", path.c_str()), 0);
    IniDocument doc = IniDocument::Load(path);
    doc.Set("S", "k", "new");
    ASSERT_TRUE(doc.Save(path));
    EXPECT_EQ(ReadWholeFile(real), "[S]\nk=new\n");
    EXPECT_EQ(Mode(real) & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("dotfiles")), {}), 1);
}

TEST_F(IniDocumentTest, EveryOneLineValueReadsBackAsItWasSetAndPlainOnesStayUnquoted) {
    struct Case {
        std::string value, stored;  // stored: the line's text after '='
    };
    const Case cases[] = {
        {"/home/u/reef.jpg", "/home/u/reef.jpg"},
        {"/m/two words.mp3", "/m/two words.mp3"},
        {" /m/lead.mp3", "\" /m/lead.mp3\""},
        {"/m/trail.mp3\t", "\"/m/trail.mp3\t\""},
        {"\"quoted\"", "\"\"quoted\"\""},
        {"'single'", "\"'single'\""},
        {"\"half", "\"half"},
        {"'x\"", "'x\""},
        {"\"", "\""},
        {"''", "\"''\""},
        {"/pics/caf\xe9 \xff\xfe.png", "/pics/caf\xe9 \xff\xfe.png"},  // not UTF-8
        {"", ""},
    };
    IniDocument doc;
    for (size_t i = 0; i < std::size(cases); ++i)
        doc.Set("Custom Images", "ImageList" + std::to_string(i), cases[i].value);
    ASSERT_TRUE(doc.Save(path));
    const IniDocument again = IniDocument::Load(path);
    const std::string text = ReadWholeFile(path);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string key = "ImageList" + std::to_string(i);
        EXPECT_EQ(again.Get("Custom Images", key), cases[i].value) << key;
        EXPECT_NE(text.find(key + "=" + cases[i].stored + "\n"), std::string::npos) << key;
    }
}

TEST_F(IniDocumentTest, AShorterListLosesItsTailAndNothingElse) {
    IniDocument doc = Load(
        "[L]\nList0=a\nList1=b\nList2=c\nList10=k\nList02=z\nListX=x\nOther3=o\n"
        "[M]\nList5=m\n[l]\nlist7=late\nList1=dup\n");
    EXPECT_EQ(doc.RemoveListFrom("L", "List", 1), 5);  // 1, 2, 10, and 7 and 1 of the later block
    EXPECT_EQ(doc.Text(), "[L]\nList0=a\nList02=z\nListX=x\nOther3=o\n[M]\nList5=m\n[l]\n");
    EXPECT_EQ(doc.Get("L", "List1"), std::nullopt);
    doc.Set("L", "List1", "new");  // goes after the first block's last key, as before
    EXPECT_EQ(doc.Text(),
              "[L]\nList0=a\nList02=z\nListX=x\nOther3=o\nList1=new\n[M]\nList5=m\n[l]\n");
}

TEST(AtoiLike, BehavesLikeAtoiWithoutOverflow) {
    EXPECT_EQ(AtoiLike("32767.5"), 32767);
    EXPECT_EQ(AtoiLike("  -12abc"), -12);
    EXPECT_EQ(AtoiLike("+7"), 7);
    EXPECT_EQ(AtoiLike("abc"), 0);
    EXPECT_EQ(AtoiLike("99999999999999999999"), INT_MAX);
    EXPECT_EQ(AtoiLike("-99999999999999999999"), INT_MIN);
}

}  // namespace
