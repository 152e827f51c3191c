#pragma once

#include <QDialog>
#include <functional>

#include "dialogs/DialogSupport.h"
#include "dialogs/SlideshowRunner.h"

class FlatButton;
class LedCheckBox;
class QLineEdit;
class QTableWidget;

// "Custom Background": the user's backdrop pictures and the slideshow over
// them. Modeless; made when first opened, then only shown and hidden. The
// widgets mirror the runner's Slideshow, which holds the state and keeps
// going while the dialog is hidden or was never made.
class CustomBackgroundDialog : public TankDialog {
    Q_OBJECT
public:
    explicit CustomBackgroundDialog(SlideshowRunner& runner, QWidget* parent = nullptr);

    // Centres the dialog over `owner` (global coordinates) and shows it.
    void ShowCentredOn(const QRect& owner);

    // Asks for a picture and adds it. The chooser is replaceable (tests).
    void AddImageByDialog();
    std::function<QString()> ChooseFile;

    // The list's file filter.
    static QString FileFilter();

    QTableWidget* List() const { return list_; }

    // Saves the pictures and the show's settings (hiding does this too).
    void Save();

public slots:
    void reject() override;  // Escape: hide and save
    void accept() override;  // Enter: nothing

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void HideAndSave();
    // Mirrors the slideshow into the widgets.
    void Refresh();
    int FirstSelectedRow() const;

    SlideshowRunner& runner_;
    Slideshow& show_;
    LedCheckBox* ownImage_ = nullptr;
    LedCheckBox* modes_[3] = {};
    QTableWidget* list_ = nullptr;
    QLineEdit* interval_ = nullptr;
    FlatButton* add_ = nullptr;
    FlatButton* remove_ = nullptr;
    FlatButton* removeAll_ = nullptr;
};
