#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "dialogs/CustomBackgroundDialog.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "scene/UserImage.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

QAbstractButton* Button(QDialog& dialog, const QString& text) {
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        if (b->text() == text) return b;
    ADD_FAILURE() << "no control " << text.toStdString();
    return nullptr;
}

void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

TEST(BackgroundDialog, AddRemoveModesAndEscapeThroughTheWidgets) {
    EnsureTestApplication();
    TempDir dir;
    std::vector<std::string> messages;
    const MessageBoxHandler previousBoxes = SetMessageBoxHandler(
        [&](const std::string& text, const std::string&) { messages.push_back(text); });
    GlTestContext gl{64, 64};
    ASSERT_TRUE(gl.Valid());
    SlideshowRunner runner(
        [&](const UserImagePixels& px) {
            gl.MakeCurrent();
            return CreateUserImageTexture(px, UserImageTextureFlags(false));
        },
        [&](unsigned t) {
            gl.MakeCurrent();
            const GLuint name = t;
            glDeleteTextures(1, &name);
        },
        dir.File("set.ini"));
    CustomBackgroundDialog dialog(runner);
    std::vector<std::string> chosen;
    for (const char* name : {"one.png", "two.png"}) {
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(Qt::green);
        chosen.push_back(dir.File(name));
        ASSERT_TRUE(image.save(QString::fromStdString(chosen.back())));
    }
    dialog.ChooseFile = [&] { return QString::fromStdString(chosen.front()); };
    dialog.ShowCentredOn(QRect(0, 0, 1200, 900));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    Click(Button(dialog, "Use your own image"));
    Click(Button(dialog, "Add Image"));
    chosen.erase(chosen.begin());
    Click(Button(dialog, "Add Image"));
    runner.Loader().WaitForAll();
    QTableWidget* list = dialog.List();
    ASSERT_EQ(list->rowCount(), 2);
    // A click on the second row shows it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    EXPECT_EQ(list->item(1, 1)->text(), "ON");
    EXPECT_EQ(runner.Show().CurrentTexture, static_cast<int>(runner.Show().Rows()[1].texture));
    const GLuint second = runner.Show().Rows()[1].texture;
    EXPECT_TRUE(glIsTexture(second));
    Click(Button(dialog, "Remove Image"));  // the selected (second) row
    EXPECT_FALSE(glIsTexture(second));
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_TRUE(list->item(0, 0)->text().endsWith("one.png"));
    Click(Button(dialog, "Remove All"));
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(runner.Show().CurrentTexture, 0);
    Click(Button(dialog, "Remove Image"));  // nothing selected: it says so
    auto* box = dialog.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Please select an item from the image list!");
    delete box;

    // Six long paths: the path column takes the spare width, no scroll bar.
    int adds = 0;
    dialog.ChooseFile = [&] {
        const QString name = QString::fromStdString(
            dir.File(std::string(90, 'p') + std::to_string(adds++) + ".png"));
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        image.save(name);
        return name;
    };
    Button(dialog, "Add Image")->setFocus();
    for (int i = 0; i < 6; ++i)  // Enter and Space press the focused button
        QTest::keyClick(dialog.focusWidget(), i % 2 ? Qt::Key_Space : Qt::Key_Return);
    runner.Loader().WaitForAll();
    ASSERT_EQ(list->rowCount(), 6);
    QApplication::processEvents();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
    EXPECT_EQ(list->item(5, 0)->toolTip(), list->item(5, 0)->text());
    Click(Button(dialog, "Remove All"));

    for (int i = 0; i < 2; ++i)
        Click(Button(dialog, "Random "));  // clicking the checked one keeps it
    EXPECT_TRUE(Button(dialog, "Random ")->isChecked());
    EXPECT_FALSE(Button(dialog, "Repeat One")->isChecked());
    QLineEdit* interval = dialog.findChild<QLineEdit*>();
    interval->clear();
    QTest::keyClicks(interval, "1x2");  // numbers only
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());  // Enter does nothing
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isHidden());
    const IniDocument doc = IniDocument::Load(dir.File("set.ini"));
    EXPECT_EQ(doc.Get("Custom Images", "OwnImage"), "1");
    EXPECT_EQ(doc.Get("Custom Images", "RandomImage"), "1");
    EXPECT_EQ(doc.Get("Custom Images", "ImageTime"), "12");
    EXPECT_TRUE(messages.empty());

    // A file that cannot be written: the user hears of it once, not at every
    // hide, and the next successful save ends the failure.
    ASSERT_EQ(chmod(dir.File("set.ini").c_str(), 0444), 0);
    for (int i = 0; i < 2; ++i) {  // the change stays unsaved, so both hides try
        dialog.ShowCentredOn(QRect(0, 0, 1200, 900));
        Click(Button(dialog, "Repeat One"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Cannot save the background pictures to ", 0), 0u) << messages[0];
    ASSERT_EQ(chmod(dir.File("set.ini").c_str(), 0644), 0);
    dialog.Save();
    EXPECT_EQ(IniDocument::Load(dir.File("set.ini")).Get("Custom Images", "RandomImage"), "0");
    SetMessageBoxHandler(previousBoxes);
}

}  // namespace
