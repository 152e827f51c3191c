// The fish dialog on a real display: input, and when counts reach the file and scene.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <string>

#include "controls/FlatButton.h"
#include "platform/IniFile.h"
#include "platform/Random.h"
#include "scene/Resources.h"
#include "settings/SettingsRecord.h"
#include "dialogs/FishDialog.h"
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

    FishDialogTest() {
        EnsureTestApplication();
        Settings = SettingsRecord{};
    }

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
    static void SelectKind(FishDialog& d, int kind) {
        QTest::mouseClick(&d, Qt::LeftButton, {}, QPoint(100 * kind + 50, 45));
    }
};

TEST_F(FishDialogTest, EscapeInTheSameTickDropsOnlyTheLastChangeAndKeepsOtherBytes) {
    WriteFish("Fish0=0\r\nFish1=1\r\nFish2=0\r\nFish3=0\r\nFish4=0\r\n");
    FishDialog d(nullptr, path);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    SelectKind(d, 1);
    QTest::keyClick(&d, Qt::Key_A);
    // The tick writes the change and hands it to the scene.
    QTRY_COMPARE_WITH_TIMEOUT(Stored(1), 2, 3000);
    EXPECT_EQ(Settings.FishCounts[1], 2);

    QTest::keyClick(&d, Qt::Key_A);  // 3, then Escape before the next tick
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    QTest::qWait(FishDialog::kTickMs + 200);  // the timer stopped with the dialog
    EXPECT_EQ(Settings.FishCounts[1], 2);
    EXPECT_EQ(ReadWholeFile(path),
              kOtherSections +
                  "[Fish Number]\r\nFish0=0\r\nFish1=2\r\nFish2=0\r\nFish3=0\r\nFish4=0\r\n" +
                  kTail);
}

TEST_F(FishDialogTest, EnterAndTheCloseBoxSaveAtOnce) {
    WriteFish("Fish0=1\r\n");  // the other keys are missing: they read as 0
    for (bool enter : {true, false}) {
        FishDialog d(nullptr, path);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        SelectKind(d, 3);
        QTest::keyClick(&d, enter ? Qt::Key_A : Qt::Key_D);
        if (enter)
            QTest::keyClick(&d, Qt::Key_Return);
        else
            d.close();
        EXPECT_EQ(Stored(3), enter ? 1 : 0);
        EXPECT_EQ(Settings.FishCounts[3], enter ? 1 : 0);
    }
    EXPECT_EQ(Stored(0), 1);
    EXPECT_EQ(ReadWholeFile(path).substr(0, kOtherSections.size()), kOtherSections);
}

TEST_F(FishDialogTest, ButtonsKeysAndDoubleClicksRunTheCommands) {
    WriteFish("Fish0=0\r\nFish1=0\r\nFish2=9\r\nFish3=0\r\nFish4=0\r\n");
    FishDialog d(nullptr, path);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    SelectKind(d, 2);
    QTest::mouseClick(Button(d, FishDialog::kIdDelete), Qt::LeftButton);
    QTest::keyClick(&d, Qt::Key_D, Qt::ShiftModifier);
    QTest::mouseDClick(&d, Qt::RightButton, {}, QPoint(250, 45));
    EXPECT_EQ(Total(d)->text(), "Total: 6   (Max:5)");
    QTest::keyClick(&d, Qt::Key_C);
    SelectKind(d, 0);
    QTest::mouseClick(Button(d, FishDialog::kIdAdd), Qt::LeftButton);
    QTest::mouseDClick(&d, Qt::LeftButton, {}, QPoint(50, 45));
    EXPECT_EQ(Total(d)->text(), "Total: 2   (Max:5)");
    // Our keys win even while a button has the focus.
    FlatButton* focused = Button(d, FishDialog::kIdClear);
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key_A);
    EXPECT_EQ(d.Counts().Count(0), 3);
    QTest::keyClick(focused, Qt::Key_Right);
    EXPECT_EQ(d.Counts().Selection(), 1);

    ScriptedRandom random({1, 0, 3, 1, 1});
    ScopedRandomSource use(random);
    QTest::mouseClick(Button(d, FishDialog::kIdRandom), Qt::LeftButton);
    EXPECT_EQ(d.Counts().Counts(), (std::array{1, 0, 1, 1, 1}));
    QTest::keyClick(&d, Qt::Key_A);  // nothing selected: no change
    EXPECT_EQ(Total(d)->text(), "Total: 4   (Max:5)");
    QTest::keyClick(&d, Qt::Key_Right);  // the strip by keyboard, wrapping
    EXPECT_EQ(d.Counts().Selection(), 0);
    QTest::keyClick(&d, Qt::Key_Left);
    EXPECT_EQ(d.Counts().Selection(), 4);
    QTest::mouseClick(&d, Qt::LeftButton, {}, QPoint(150, 460));  // below the grid clears
    EXPECT_EQ(d.Counts().Selection(), -1);
}

TEST_F(FishDialogTest, AtTwiceThePixelsTheStripIsDrawnFromItsSharperPicture) {
    WriteFish("");
    FishDialog d(nullptr, path);
    QImage shown(d.size() * 2, QImage::Format_RGB32);
    shown.setDevicePixelRatio(2);
    d.render(&shown);
    const std::string bytes = LoadResourceBytes(130);
    const QImage sharp = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                          static_cast<int>(bytes.size()), "BMP")
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(sharp.size(), QSize(996, 170));
    // Below the counts: every device pixel is the picture's own.
    int differ = 0;
    for (int y = 60; y < sharp.height(); ++y)
        for (int x = 0; x < sharp.width(); ++x)
            differ += shown.pixel(x, y) != sharp.pixel(x, y);
    EXPECT_EQ(differ, 0);
}

}  // namespace
