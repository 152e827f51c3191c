#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "dialogs/DialogSupport.h"

#include "scene/UserImage.h"
#include "settings/Slideshow.h"

class FlatButton;
class LedCheckBox;
class QLineEdit;
class QTableWidget;

// "Custom Background": the user's backdrop pictures and the slideshow over
// them. Modeless; made once, hidden, and only shown and hidden afterwards.
// Its 200 ms timer runs the slideshow whether it is shown or not. The
// widgets mirror the Slideshow, which holds the state.
class CustomBackgroundDialog : public TankDialog {
    Q_OBJECT
public:
    using Release = std::function<void(unsigned texture)>;

    // `upload` builds a texture with the view's context current; `release`
    // deletes one. `maxSide` bounds the pictures' sides. `setUpLoader` runs
    // before the listed pictures are asked for.
    CustomBackgroundDialog(UserImageLoader::Uploader upload, Release release,
                           const std::string& settingsPath, int maxSide = kUserImageMaxSide,
                           const std::function<void(UserImageLoader&)>& setUpLoader = {},
                           QWidget* parent = nullptr);
    ~CustomBackgroundDialog() override;

    Slideshow& Show() { return show_; }
    const Slideshow& Show() const { return show_; }
    UserImageLoader& Loader() { return *loader_; }

    // Centres the dialog over `owner` (global coordinates) and shows it,
    // kept above `ownerWindow` when given.
    void ShowCentredOn(const QRect& owner, QWindow* ownerWindow = nullptr);

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

    Slideshow show_;
    std::unique_ptr<UserImageLoader> loader_;
    std::string settingsPath_;
    QTimer timer_;
    LedCheckBox* ownImage_ = nullptr;
    LedCheckBox* modes_[3] = {};
    QTableWidget* list_ = nullptr;
    QLineEdit* interval_ = nullptr;
    FlatButton* add_ = nullptr;
    FlatButton* remove_ = nullptr;
    FlatButton* removeAll_ = nullptr;
};
