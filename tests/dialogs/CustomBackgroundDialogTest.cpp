#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "controls/FlatButton.h"
#include "controls/LedCheckBox.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "settings/dialogs/CustomBackgroundDialog.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

namespace {

class BackgroundDialog : public ::testing::Test {
protected:
    TempDir dir;
    unsigned uploads = 0;
    std::vector<std::string> messages;
    MessageBoxHandler previousBoxes = SetMessageBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    std::unique_ptr<CustomBackgroundDialog> dialog;

    BackgroundDialog() { EnsureTestApplication(); }
    ~BackgroundDialog() override {
        dialog.reset();
        SetMessageBoxHandler(previousBoxes);
    }
    std::string Ini() const { return dir.File("KelvaronSet.ini"); }
    std::string Picture(const char* name, QColor colour) {
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = dir.File(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }
    // Texture names in upload order: the GL side has tests of its own.
    void Open() {
        dialog = std::make_unique<CustomBackgroundDialog>(
            [this](const UserImagePixels&) { return ++uploads; }, [](unsigned) {}, Ini());
    }
    template <typename T>
    T* Find(const QString& text) {
        for (T* w : dialog->findChildren<T*>())
            if (w->text() == text) return w;
        ADD_FAILURE() << "no control " << text.toStdString();
        return nullptr;
    }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
};

TEST_F(BackgroundDialog, AddRemoveModesAndEscapeThroughTheWidgets) {
    Open();
    std::vector<std::string> chosen = {Picture("one.png", Qt::green),
                                       Picture("two.png", Qt::yellow)};
    dialog->ChooseFile = [&] {
        return QString::fromStdString(chosen.empty() ? "" : chosen.front());
    };
    dialog->ShowCentredOn(QRect(0, 0, 1200, 900));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    Click(Find<LedCheckBox>("Use your own image"));
    dialog->Show().StopSlideshow();  // as if stopped: the first picture chosen starts it again
    Click(Find<FlatButton>("Add Image"));
    dialog->Loader().WaitForAll();
    EXPECT_TRUE(dialog->Show().Playing);
    chosen.erase(chosen.begin());
    Click(Find<FlatButton>("Add Image"));
    dialog->Loader().WaitForAll();
    QTableWidget* list = dialog->List();
    ASSERT_EQ(list->rowCount(), 2);
    // A click on the second row shows it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    EXPECT_EQ(list->item(1, 1)->text(), "ON");
    EXPECT_EQ(dialog->Show().CurrentTexture, static_cast<int>(dialog->Show().Rows()[1].texture));
    Click(Find<FlatButton>("Remove Image"));  // the selected (second) row
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_TRUE(list->item(0, 0)->text().endsWith("one.png"));
    Click(Find<FlatButton>("Remove All"));
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(dialog->Show().CurrentTexture, 0);

    for (int i = 0; i < 2; ++i)
        Click(Find<LedCheckBox>("Random "));  // clicking the checked one keeps it
    EXPECT_TRUE(Find<LedCheckBox>("Random ")->isChecked());
    EXPECT_FALSE(Find<LedCheckBox>("Repeat One")->isChecked());
    QLineEdit* interval = dialog->findChild<QLineEdit*>();
    interval->clear();
    QTest::keyClicks(interval, "1x2");  // numbers only
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());  // Enter does nothing
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isHidden());
    const IniDocument doc = IniDocument::Load(Ini());
    EXPECT_EQ(doc.Get("Custom Images", "RandomImage"), "1");
    EXPECT_EQ(doc.Get("Custom Images", "RepeatImage"), "0");
    EXPECT_EQ(doc.Get("Custom Images", "ImageTime"), "12");
    EXPECT_TRUE(messages.empty());
}

}  // namespace
