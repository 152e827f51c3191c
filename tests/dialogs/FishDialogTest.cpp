// The fish dialog on a real display: input, and when counts reach the file and scene.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <string>

#include "controls/FlatButton.h"
#include "dialogs/FishDialog.h"
#include "platform/IniFile.h"
#include "platform/Random.h"
#include "scene/Resources.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

const std::string kOtherSections =
    "; kept as written\r\n[Aquarium Settings]\r\nShow Water = 1\r\n\r\n";
const std::string kTail = "[Custom Images]\r\nImage0=/home/me/reef.png\r\n";

class FishDialogTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("KelvaronSet.ini");

    SettingsRecord record;

    FishDialogTest() { EnsureTestApplication(); }

    void WriteFish(const std::string& fish) {
        WriteWholeFile(path, kOtherSections + "[Fish Number]\r\n" + fish + kTail);
    }
    int Stored(int kind) const {
        return AtoiLike(
            IniDocument::Load(path).Get("Fish Number", "Fish" + std::to_string(kind)).value_or(""));
    }
    static QLabel* Total(FishDialog& d) {
        return d.findChild<QLabel*>(QString::number(FishDialog::kIdTotal));
    }
    static FlatButton* Button(FishDialog& d, int id) {
        return d.findChild<FlatButton*>(QString::number(id));
    }
    static QWidget* Strip(FishDialog& d) { return d.findChild<QWidget*>("strip"); }
    static void SelectKind(FishDialog& d, int kind) {
        QTest::mouseClick(Strip(d), Qt::LeftButton, {}, QPoint(100 * kind + 50, 45));
    }
};

// Escape and the close box both keep what the tank shows, at once, and
// every other byte of the file stays as it was; Enter presses the focused
// button (Add, first in line) and leaves the dialog open.
TEST_F(FishDialogTest, EveryWayOutSavesWhatIsShownAndKeepsOtherBytes) {
    WriteFish("Fish0=0\r\nFish1=1\r\nFish2=0\r\nFish3=0\r\nFish4=0\r\n");
    int expected = 1;
    for (int way = 0; way < 2; ++way) {
        FishDialog d(record, nullptr, path);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        SelectKind(d, 1);
        QTest::keyClick(&d, Qt::Key_A);
        ++expected;
        if (way == 0) {  // the tick writes it while open
            EXPECT_TRUE(QTest::qWaitFor([&] { return Stored(1) == expected; }, 3000));
            QTest::keyClick(&d, Qt::Key_A);
            ++expected;
        }
        if (way == 0) QTest::keyClick(&d, Qt::Key_Escape);
        if (way == 1) {
            QTest::keyClick(d.focusWidget(), Qt::Key_Return);
            ++expected;
            EXPECT_TRUE(d.isVisible());
            d.close();
        }
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(Stored(1), expected) << "way " << way;
        EXPECT_EQ(record.FishCounts[1], expected);
    }
    EXPECT_EQ(ReadWholeFile(path),
              kOtherSections +
                  "[Fish Number]\r\nFish0=0\r\nFish1=5\r\nFish2=0\r\nFish3=0\r\nFish4=0\r\n" +
                  kTail);
}

TEST_F(FishDialogTest, ButtonsKeysAndDoubleClicksRunTheCommands) {
    WriteFish("Fish0=0\r\nFish1=0\r\nFish2=9\r\nFish3=0\r\nFish4=0\r\n");
    FishDialog d(record, nullptr, path);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    SelectKind(d, 2);
    QTest::mouseClick(Button(d, FishDialog::kIdDelete), Qt::LeftButton);
    QTest::keyClick(&d, Qt::Key_D, Qt::ShiftModifier);
    QTest::mouseDClick(Strip(d), Qt::RightButton, {}, QPoint(250, 45));
    EXPECT_EQ(Total(d)->text(), "Total: 6   (Max:5)");
    QTest::keyClick(&d, Qt::Key_C);
    SelectKind(d, 0);
    QTest::mouseClick(Button(d, FishDialog::kIdAdd), Qt::LeftButton);
    QTest::mouseDClick(Strip(d), Qt::LeftButton, {}, QPoint(50, 45));
    EXPECT_EQ(Total(d)->text(), "Total: 2   (Max:5)");
    // Our keys win even while a button has the focus (Enter and Space press
    // it: the end-to-end run).
    FlatButton* focused = Button(d, FishDialog::kIdClear);
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key_D);
    EXPECT_EQ(d.Counts().Count(0), 1);
    QTest::keyClick(focused, Qt::Key_Right);
    EXPECT_EQ(d.Counts().Selection(), 1);
    QTest::keyClick(&d, Qt::Key_Left);  // the strip by keyboard, wrapping
    QTest::keyClick(&d, Qt::Key_Left);
    EXPECT_EQ(d.Counts().Selection(), 4);
    QTest::mouseClick(&d, Qt::LeftButton, {},
                      QPoint(d.width() / 2, d.height() - 3));  // off the strip clears
    EXPECT_EQ(d.Counts().Selection(), -1);
    ScriptedRandom random({1, 0, 3, 1, 1});
    ScopedRandomSource use(random);
    QTest::mouseClick(Button(d, FishDialog::kIdRandom), Qt::LeftButton);
    EXPECT_EQ(d.Counts().Counts(), (std::array{1, 0, 1, 1, 1}));
}

// At twice the pixels the strip is its sharper picture and the disc stays on it.
TEST_F(FishDialogTest, TheStripIsSharpAtTwiceThePixels) {
    WriteFish("");
    FishDialog d(record, nullptr, path);
    QWidget* strip = Strip(d);
    QImage shown(strip->size() * 2, QImage::Format_RGB32);
    shown.setDevicePixelRatio(2);
    strip->render(&shown);
    const std::string bytes = LoadResourceBytes(130);
    const QImage sharp = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                          static_cast<int>(bytes.size()), "BMP")
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(sharp.size(), QSize(996, 170));
    ASSERT_EQ(shown.size(), sharp.size());
    // Below the counts: every device pixel is the picture's own.
    int differ = 0;
    for (int y = 60; y < sharp.height(); ++y)
        for (int x = 0; x < sharp.width(); ++x)
            differ += shown.pixel(x, y) != sharp.pixel(x, y);
    EXPECT_EQ(differ, 0);
    // The selected kind's disc ends on the strip: its lowest inverted row is
    // the strip's last, not cut off mid-way (nor drawn beyond it).
    SelectKind(d, 2);
    QImage disc(strip->size() * 2, QImage::Format_RGB32);
    disc.setDevicePixelRatio(2);
    strip->render(&disc);
    int lowest = -1;
    for (int y = 0; y < disc.height(); ++y)
        if (disc.pixel(2 * 252, y) != sharp.pixel(2 * 252, y)) lowest = y;
    EXPECT_GE(lowest, disc.height() - 8);
    int rowAtBottom = 0;
    for (int x = 0; x < disc.width(); ++x)
        rowAtBottom += disc.pixel(x, disc.height() - 1) != sharp.pixel(x, disc.height() - 1);
    EXPECT_LT(rowAtBottom, 2 * 60) << "the disc is cut off at the strip's edge";
}

}  // namespace
