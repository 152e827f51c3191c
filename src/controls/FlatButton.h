#pragma once

#include <QPushButton>

// A flat push button: no border at rest, a raised one-pixel border while the
// pointer is over it and a sunken one while it is pressed, the label centred
// with its '&' mnemonic underlined and no focus rectangle.
//
// Colours follow the palette: face QPalette::Button, label QPalette::ButtonText,
// border light QPalette::Light and border dark QPalette::Dark.
//
// A press that is dragged off the button keeps the sunken look until the mouse
// button is released; releasing outside does not click, and drops the hover.
// Clicks are QPushButton's clicked() signal. Unlike QPushButton in a dialog it
// is not auto-default, so Enter reaches the dialog's own default action.
class FlatButton : public QPushButton {
    Q_OBJECT
public:
    explicit FlatButton(QWidget* parent = nullptr);
    explicit FlatButton(const QString& text, QWidget* parent = nullptr);

    bool IsHovered() const { return hover_; }
    // True while the button shows its sunken look.
    bool IsPressedLook() const { return held_ || isDown(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetHover(bool hover);

    bool hover_ = false;
    bool held_ = false;  // the left button went down on us and is not yet released
};
