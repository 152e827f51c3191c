// The Custom Music dialog on a real display, the real player on SDL's silent driver.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QtTest/QTest>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "audio/AudioTestSupport.h"
#include "controls/CustomDrawSlider.h"
#include "controls/LedCheckBox.h"
#include "dialogs/MusicDialog.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "support/GlTestContext.h"

namespace {

class MusicDialogTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path()};

    void SetUp() override {
        UseDummyAudio();
        EnsureTestApplication();
    }
    std::string Track(const std::string& name, int ms = 3000) {
        WriteSilentWav(dir.File(name), ms);
        return dir.File(name);
    }
    void WriteSettings(const std::string& text) { WriteWholeFile(SettingsFilePath(), text); }
    std::string Saved(const std::string& key) {
        return IniDocument::Load(SettingsFilePath())
            .Get("Custom Settings", key)
            .value_or("<missing>");
    }
};

TEST_F(MusicDialogTest, KeyboardMouseAndEscapeWhichHidesAndSaves) {
    QSettings("Local AppWizard-Generated Applications", "VelmarScr")
        .setValue("Settings/Volume", 400);
    MusicRunner music;
    MusicDialog dialog(music);
    QSettings("Local AppWizard-Generated Applications", "VelmarScr").remove("Settings/Volume");
    EXPECT_EQ(dialog.VolumeSlider()->value(), 400);
    EXPECT_EQ(dialog.Player().Volume(), 400);
    dialog.Playlist().AddRow("/music/one.mp3");
    dialog.Playlist().AddRow("/music/two.mp3");
    dialog.ShowCentredOn(QRect(100, 100, 800, 600));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int i = 0; i < 2; ++i)  // clicking the checked box keeps it checked
        QTest::mouseClick(dialog.ModeBox(MusicPlaylist::Random), Qt::LeftButton);
    EXPECT_EQ(dialog.ModeBox(MusicPlaylist::Random)->GetCheck(), 1);
    dialog.VolumeSlider()->setFocus();
    QTest::keyClick(dialog.VolumeSlider(), Qt::Key_PageUp);
    EXPECT_EQ(dialog.Player().Volume(), dialog.VolumeSlider()->value());
    EXPECT_NE(dialog.Player().Volume(), 400);

    // Enter presses the focused button, and elsewhere does nothing; Tab
    // leaves the list.
    dialog.List()->setFocus();
    QTest::keyClick(dialog.List(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.List(), Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), dialog.AddButton());  // whichever window X made active
    dialog.RemoveButton()->setFocus();
    QTest::keyClick(dialog.RemoveButton(), Qt::Key_Return);  // nothing selected
    auto* box = dialog.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Please select an item from the music list!");
    box->close();
    EXPECT_EQ(Saved("MusicSum"), "<missing>");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Saved("MusicSum"), "2");
    EXPECT_EQ(Saved("MusicList0"), "/music/one.mp3");
    EXPECT_EQ(Saved("RandomMusic"), "1");
    EXPECT_EQ(Saved("OwnMusic"), "0");
    // The volume comes back where the user left it.
    EXPECT_EQ(QSettings("Local AppWizard-Generated Applications", "VelmarScr")
                  .value("Settings/Volume")
                  .toInt(),
              dialog.VolumeSlider()->value());

    // A file that cannot be written: said once, not at every hide, and the
    // next save that works ends the failure.
    std::vector<std::string> messages;
    const MessageBoxHandler previousBoxes = SetMessageBoxHandler(
        [&](const std::string& text, const std::string&) { messages.push_back(text); });
    ASSERT_EQ(chmod(SettingsFilePath().c_str(), 0444), 0);
    for (int i = 0; i < 2; ++i) {
        dialog.ShowCentredOn(QRect(100, 100, 800, 600));
        dialog.Playlist().AddRow("/music/more" + std::to_string(i) + ".mp3");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Cannot save the music list to ", 0), 0u) << messages[0];
    ASSERT_EQ(chmod(SettingsFilePath().c_str(), 0644), 0);
    dialog.ShowCentredOn(QRect(100, 100, 800, 600));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(Saved("MusicSum"), "4");
    SetMessageBoxHandler(previousBoxes);
}

// A track that cannot play is selected by a click like any other, so it can
// be removed; Play on it says why and starts nothing else.
TEST_F(MusicDialogTest, AnUnplayableRowCanBeSelectedAndPlaySaysWhy) {
    WriteWholeFile(dir.File("broken.mp3"), std::string(4000, 'x'));
    WriteSettings("[Custom Settings]\nMusicSum=2\nMusicList0=" + Track("a.wav") +
                  "\nMusicList1=" + dir.File("broken.mp3") + "\n");
    MusicRunner music;
    MusicDialog dialog(music);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRect row1 = dialog.List()->visualRect(dialog.List()->model()->index(1, 0));
    QTest::mouseClick(dialog.List()->viewport(), Qt::LeftButton, {}, row1.center());
    ASSERT_EQ(dialog.List()->selectedItems().size(), 1);
    EXPECT_EQ(dialog.List()->selectedItems().first()->row(), 1);
    QTest::mouseClick(dialog.PlayButton(), Qt::LeftButton);
    auto* box = dialog.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr) << "Play said nothing";
    EXPECT_TRUE(box->text().contains("broken.mp3")) << box->text().toStdString();
    delete box;
    EXPECT_NE(dialog.Playlist().State(), MusicPlaylist::PlayState::Playing);
    QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.findChild<QMessageBox*>(), nullptr);
    ASSERT_EQ(dialog.List()->rowCount(), 1);
    EXPECT_EQ(dialog.Playlist().Rows()[0], dir.File("a.wav"));
}

}  // namespace
