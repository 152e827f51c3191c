#include <gtest/gtest.h>

#include <QTest>

#include "dialogs/CustomBackgroundDialog.h"
#include "fish/SceneTypes.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"
#include "view/TankView.h"

namespace {

TEST(BackgroundCommand, ShowsTheHiddenDialogCentredAndTeardownSavesAndDeletesIt) {
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path()};
    EnsureTestApplication();
    RunOptions options;
    TankView view(options);
    view.setGeometry(100, 80, 800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.BackgroundDialog() != nullptr; }, 10000));
    CustomBackgroundDialog* dialog = view.BackgroundDialog();
    EXPECT_TRUE(dialog->isHidden());  // made at start, not shown
    EXPECT_EQ(view.Scene().UserBackgrounds, &dialog->Show());

    view.OnCommand(ID_CUSTOM_BACKGROUND);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_LE((dialog->frameGeometry().center() - QPoint(500, 380)).manhattanLength(), 4);

    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(IniDocument::Load(SettingsFilePath()).Get("Custom Images", "ImageSum"), "0");

    // Closing the program with the dialog open keeps what it shows.
    view.OnCommand(ID_CUSTOM_BACKGROUND);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    dialog->Show().SetOwnImage(true);
    view.Teardown();
    EXPECT_EQ(IniDocument::Load(SettingsFilePath()).Get("Custom Images", "OwnImage"), "1");
    EXPECT_EQ(view.BackgroundDialog(), nullptr);
    EXPECT_EQ(view.Scene().UserBackgrounds, nullptr);
}

}  // namespace
