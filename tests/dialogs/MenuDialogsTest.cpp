// The tank's modeless dialogs: nothing of them exists until the menu opens
// them, yet the slideshow and the music they show run from the start.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "audio/AudioTestSupport.h"
#include "controls/LedCheckBox.h"
#include "dialogs/CustomBackgroundDialog.h"
#include "dialogs/MusicDialog.h"
#include "fish/SceneTypes.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"
#include "view/TankView.h"

namespace {

int Dialogs() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<QDialog*>(w) != nullptr;
    return count;
}

TEST(MenuDialogs, RunWithoutWidgetsUntilOpenedThenMirrorAndSaveOnEveryWayOut) {
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path()};
    UseDummyAudio();
    EnsureTestApplication();
    std::string images;
    for (int i = 0; i < 2; ++i) {
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(i ? Qt::green : Qt::red);
        const std::string path = dir.File("p" + std::to_string(i) + ".png");
        picture.save(QString::fromStdString(path));
        images += "ImageList" + std::to_string(i) + "=" + path + "\n";
    }
    WriteSilentWav(dir.File("a.wav"), 300);
    WriteSilentWav(dir.File("b.wav"), 20000);
    WriteWholeFile(SettingsFilePath(),
                   "[Custom Images]\nOwnImage=1\nCycImage=1\nImageTime=1\nImageSum=2\n" + images +
                       "[Custom Settings]\nOwnMusic=1\nCycMusic=1\nMusicSum=2\nMusicList0=" +
                       dir.File("a.wav") + "\nMusicList1=" + dir.File("b.wav") + "\n");

    RunOptions options;
    TankView view(options);
    view.setGeometry(100, 80, 800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Slideshow() != nullptr; }, 10000));
    // The music follows just after the first frame.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Music() != nullptr; }, 2000));
    const Slideshow& show = view.Slideshow()->Show();
    const std::string started = ReadWholeFile(SettingsFilePath());
    EXPECT_EQ(view.Scene().UserBackgrounds, &show);

    // The slideshow and the music move on, with no dialog made.
    ASSERT_TRUE(QTest::qWaitFor([&] { return show.CurrentTexture != 0; }, 5000));
    const int first = show.CurrentTexture;
    EXPECT_TRUE(QTest::qWaitFor([&] { return show.CurrentTexture != first; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view.Music()->Player().FileName() == dir.File("b.wav"); }, 3000));
    EXPECT_EQ(view.Music()->Playlist().State(), MusicPlaylist::PlayState::Playing);
    EXPECT_EQ(Dialogs(), 0);
    EXPECT_EQ(view.BackgroundDialog(), nullptr);
    EXPECT_EQ(view.MusicDialogIfBuilt(), nullptr);
    // Leaving before any dialog was opened writes nothing.
    view.SaveOpenDialogs();
    EXPECT_EQ(ReadWholeFile(SettingsFilePath()), started);
    EXPECT_FALSE(QFile::exists(
        QString::fromStdString(dir.File("Local AppWizard-Generated Applications/VelmarScr.conf"))));

    // Opened, the dialog shows what ran meanwhile, centred on the tank;
    // Escape hides and saves it.
    view.OnCommand(ID_CUSTOM_BACKGROUND);
    CustomBackgroundDialog* background = view.BackgroundDialog();
    ASSERT_NE(background, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(background));
    EXPECT_LE((background->frameGeometry().center() - QPoint(500, 380)).manhattanLength(), 4);
    EXPECT_EQ(background->List()->rowCount(), 2);
    view.Slideshow()->Show().SetOwnImage(false);
    QTest::keyClick(background, Qt::Key_Escape);
    EXPECT_TRUE(background->isHidden());
    const IniDocument saved = IniDocument::Load(SettingsFilePath());
    EXPECT_EQ(saved.Get("Custom Images", "OwnImage"), "0");
    EXPECT_EQ(saved.Get("Custom Settings", "OwnMusic"), "1");  // the music was not opened

    // Made once; both open when the program closes: both are saved.
    view.OnCommand(ID_CUSTOM_BACKGROUND);
    EXPECT_EQ(view.BackgroundDialog(), background);
    view.OnCommand(ID_CUSTOM_MUSIC);
    MusicDialog* music = view.MusicDialogIfBuilt();
    ASSERT_NE(music, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(music));
    EXPECT_FALSE(music->PlayButton()->isEnabled());
    // The playing row is green, the other tan; a row clicked while playing
    // starts at once.
    const QImage rows = music->List()->viewport()->grab().toImage();
    const int rowHeight = music->List()->rowHeight(0);
    const auto colour = [&](int row) {
        return rows.pixelColor(QPoint(250, rowHeight * row + rowHeight / 2) *
                               rows.devicePixelRatio());
    };
    EXPECT_EQ(colour(0), MusicDialog::RowBackground());
    EXPECT_EQ(colour(1), MusicDialog::PlayingRowBackground());
    const QRect row0 = music->List()->visualRect(music->List()->model()->index(0, 0));
    QTest::mouseClick(music->List()->viewport(), Qt::LeftButton, {}, row0.center());
    EXPECT_EQ(view.Music()->Player().FileName(), dir.File("a.wav"));
    QTest::mouseClick(music->OwnMusicBox(), Qt::LeftButton);  // On/Off: the music stops
    EXPECT_EQ(view.Music()->Playlist().State(), MusicPlaylist::PlayState::Stopped);
    // The next tick lets the built-in sound play again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.Music()->Playlist().SilenceRequested(); }));
    view.Slideshow()->Show().SetOwnImage(true);
    view.Teardown();
    const IniDocument last = IniDocument::Load(SettingsFilePath());
    EXPECT_EQ(last.Get("Custom Images", "OwnImage"), "1");
    EXPECT_EQ(last.Get("Custom Settings", "OwnMusic"), "0");
    EXPECT_EQ(view.BackgroundDialog(), nullptr);
    EXPECT_EQ(view.Scene().UserBackgrounds, nullptr);
}

}  // namespace
