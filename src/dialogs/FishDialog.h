#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <string>

#include "dialogs/DialogSupport.h"
#include "settings/FishCounts.h"

class FishStrip;
class FlatButton;
class HyperlinkStatic;
class QHBoxLayout;
class QLabel;

// The modal "Fish Settings" dialog: a strip of the five fish kinds with their
// counts, a click selects a kind (shown inverted in an ellipse), and Add,
// Delete, Random and Clear change the counts (buttons, A/D/R/C keys, a left
// double click adds, a right one deletes; Left/Right move the selection).
// Every 500 ms the counts are written to "Fish Number" and handed to the
// scene, so the tank follows while the dialog is open; however it closes
// (Enter, Escape, the close box) it saves once more.
class FishDialog : public TankDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 500;
    // Control ids of the dialog's buttons, as object names ("1007", ...).
    static constexpr int kIdAdd = 1007, kIdDelete = 1008, kIdRandom = 1009, kIdClear = 1010;
    static constexpr int kIdLink = 1037, kIdTotal = 1001;

    // Reads the counts from the settings file at `settingsPath` (default:
    // the program's settings file); hands them to `record`, the scene's.
    explicit FishDialog(SettingsRecord& record, QWidget* parent = nullptr,
                        std::string settingsPath = {});

    const FishCounts& Counts() const { return counts_; }
    QString TotalText() const;

    // Writes the counts and hands them to the scene.
    void SaveAndApply();

    // Places the dialog's frame centred over `area` (global logical coordinates).
    void CentreOver(const QRect& area);

    // The strip's size in logical pixels, and its drawing at `scale` device
    // pixels per logical one.
    QSize StripSize() const;
    void PaintStrip(QPainter& painter, qreal scale) const;

    void done(int result) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs the command a key names; false when the key is not ours.
    bool HandleKey(const QKeyEvent* event);
    void CountsChanged();
    FlatButton* AddButton(const QString& text, int id, QHBoxLayout* row);
    void StripPressed(QMouseEvent* event);
    friend class FishStrip;

    SettingsRecord& record_;
    std::string path_;
    FishCounts counts_;
    QImage strip_, strip2x_;
    QTimer tick_;
    QLabel* total_ = nullptr;
    HyperlinkStatic* link_ = nullptr;
    FishStrip* stripArea_ = nullptr;
};

// The thumbnail strip: the five kinds, their counts and the selected one.
class FishStrip : public QWidget {
    Q_OBJECT
public:
    explicit FishStrip(FishDialog* dialog);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    FishDialog* dialog_;
};
