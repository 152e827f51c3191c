#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

// A check box drawn as a round LED (or one of two icons) beside word-wrapped
// text. A click toggles the box first and then emits clicked(), so a slot
// connected to clicked() always reads the new state; a parent that wants radio
// behaviour sets it checked again there.
//
// Background: QPalette::Button, or while the pointer is over it a rounded
// QPalette::Light panel with a black outline. Text: QPalette::ButtonText.
class LedCheckBox : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kDefaultLedSize = 15;
    // The two switch icons shipped with the program.
    static constexpr int kIconSwitchOff = 183;
    static constexpr int kIconSwitchOn = 184;

    explicit LedCheckBox(QWidget* parent = nullptr);
    explicit LedCheckBox(const QString& text, QWidget* parent = nullptr);

    // Check-box message semantics: 1 or 2 check the box, any other value
    // unchecks it; GetCheck answers 1 or 0.
    void SetCheck(int state, bool redraw = true);
    int GetCheck() const { return isChecked() ? 1 : 0; }

    // LED fill when checked and when unchecked (the latter also rings the
    // LED). Defaults: (0, 255, 0) and (0, 127, 0).
    void SetColors(const QColor& on, const QColor& off);
    QColor OnColor() const { return on_; }
    QColor OffColor() const { return off_; }

    // Icons by resource id (":/tidemere/icons/<id>.svg"), drawn at their own
    // size instead of the LED; the LED size becomes the icon width. Only when
    // both load do they replace the LED. Returns whether both loaded.
    bool SetIcons(int checkedIconId, int uncheckedIconId);
    // The same with icons in hand, drawn at `size` (logical pixels).
    void SetIcons(const QIcon& checked, const QIcon& unchecked, QSize size);
    bool HasIcons() const { return !checkedIcon_.isNull() && !uncheckedIcon_.isNull(); }

    int LedSize() const { return ledSize_; }
    bool IsHovered() const { return hover_; }

    // Where the LED (or icon column) sits, in widget coordinates.
    QRect LedRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect InnerRect() const;

    bool hover_ = false;
    int ledSize_ = kDefaultLedSize;
    QColor on_{0, 255, 0};
    QColor off_{0, 127, 0};
    QIcon checkedIcon_, uncheckedIcon_;
    QSize iconSize_;
};
