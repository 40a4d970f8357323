#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class QPropertyAnimation;

namespace quorfw {

// A borderless top-most window that shows a picture with a text on it, for a given time or,
// with display time 0, until it is clicked or a key is pressed (with kHideOnClick). It
// deletes itself once closed.
class CSplashScreenEx : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned kFadeIn = 0x01;
    static constexpr unsigned kFadeOut = 0x02;
    static constexpr unsigned kShadow = 0x04;
    static constexpr unsigned kCentreOnScreen = 0x08;
    static constexpr unsigned kCentreOnParent = 0x10;
    static constexpr unsigned kHideOnClick = 0x20;

    // Text format bits: horizontally centred, right, vertically centred, bottom, word-wrapped,
    // single line.
    static constexpr unsigned kTextCentre = 0x01;
    static constexpr unsigned kTextRight = 0x02;
    static constexpr unsigned kTextVCentre = 0x04;
    static constexpr unsigned kTextBottom = 0x08;
    static constexpr unsigned kTextWordBreak = 0x10;
    static constexpr unsigned kTextSingleLine = 0x20;

    static constexpr int kFadeMs = 500;

    // parent may be null; the window is then owned by nobody.
    CSplashScreenEx(QWidget* parent, int displayTimeMs, unsigned style);

    // The window takes the picture's size and, by the style, its place. False for no picture.
    bool SetBitmap(const QImage& image);
    bool SetBitmap(const QString& file);
    void SetTextRect(const QRect& rect);
    // Bold, neither italic nor underlined; size in tenths of a point.
    void SetTextFont(const QString& face, int sizeTenthsPt);
    void SetTextColor(const QColor& colour);
    void SetTextFormat(unsigned format);
    void SetText(const QString& text);

    // Shows the window (fading in with kFadeIn) and, unless the display time is 0, starts
    // the timer that hides it.
    void Show();
    // Hides it (fading out with kFadeOut) and closes it for good.
    void Hide();

    [[nodiscard]] bool HideTimerActive() const { return timer_.isActive(); }
    [[nodiscard]] int DisplayTimeMs() const { return displayTimeMs_; }
    [[nodiscard]] unsigned Style() const { return style_; }
    [[nodiscard]] QString Text() const { return text_; }
    [[nodiscard]] QRect TextRect() const { return textRect_; }
    [[nodiscard]] const QFont& TextFont() const { return font_; }
    [[nodiscard]] Qt::Alignment TextAlignment() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] bool FadeAvailable() const;
    void PlaceWindow();

    QPointer<QWidget> owner_;
    QImage bitmap_;
    QString text_;
    QRect textRect_;
    QFont font_;
    QColor colour_{0, 0, 0};
    unsigned format_ = kTextCentre | kTextVCentre | kTextWordBreak;
    int displayTimeMs_;
    unsigned style_;
    QBasicTimer timer_;
    QPropertyAnimation* fade_ = nullptr;
    bool hiding_ = false;
};

}  // namespace quorfw
