#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

// A text label that is a web link: underlined text in the link colour (the
// visited colour once opened, the hover colour while the pointer is over it),
// a hand cursor and the address as its tooltip. A click (or Space/Enter while
// it has the keyboard focus) opens the address; a failure beeps and shows
// "Unable to open hyperlink:" with the cause in a warning box.
class HyperlinkStatic : public QLabel {
    Q_OBJECT
public:
    // Result codes of an open, in the shell's numbering: above 32 is success.
    static constexpr int kOpened = 33;
    static constexpr int kNoAssociation = 31;
    static constexpr int kOpenFailed = 1;

    // Opens an address; returns one of the codes above.
    using Opener = std::function<int(const QUrl&)>;

    explicit HyperlinkStatic(QWidget* parent = nullptr);
    HyperlinkStatic(const QString& text, const QString& url, QWidget* parent = nullptr);

    // The address; when it is empty the text is taken, and an empty text shows
    // the address.
    void SetUrl(const QString& url);
    QString Url() const { return url_; }

    void SetColors(const QColor& link, const QColor& visited, const QColor& hover);
    QColor LinkColor() const { return linkColor_; }
    QColor VisitedColor() const { return visitedColor_; }
    QColor HoverColor() const { return hoverColor_; }
    // The colour the text shows in now.
    QColor CurrentColor() const;

    void SetUnderline(bool underline);
    // Whether FitToText() resizes the label (default true).
    void SetAdjustToFit(bool adjust) { adjustToFit_ = adjust; }
    // Shrinks or grows the label to its text, keeping it where its alignment
    // says: centred or right-aligned text keeps its centre or right edge,
    // vertically centred text its middle.
    void FitToText();

    bool IsVisited() const { return visited_; }
    bool IsOver() const { return over_; }

    // Opens the address now, as a click does. Returns whether it opened.
    bool Open();

    // Replaces how addresses are opened (tests); an empty opener restores the
    // desktop's own.
    static void SetOpener(Opener opener);
    // The text shown after "Unable to open hyperlink:\n\n" for a result.
    static QString ErrorText(int result);

signals:
    void Opened(bool success);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Refresh();

    QString url_;
    QColor linkColor_{0, 0, 238};
    QColor visitedColor_{85, 26, 139};
    QColor hoverColor_;
    bool over_ = false;
    bool visited_ = false;
    bool underline_ = true;
    bool adjustToFit_ = true;
};
