#include "gui/CSplashScreenEx.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimerEvent>

namespace quorfw {

CSplashScreenEx::CSplashScreenEx(QWidget* parent, int displayTimeMs, unsigned style)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(parent),
      font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont)),
      displayTimeMs_(displayTimeMs),
      style_(style)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The picture covers the whole window, so there is nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

bool CSplashScreenEx::SetBitmap(const QString& file)
{
    return SetBitmap(QImage(file));
}

bool CSplashScreenEx::SetBitmap(const QImage& image)
{
    if (image.isNull())
        return false;
    bitmap_ = image;
    setFixedSize(image.size());
    PlaceWindow();
    return true;
}

void CSplashScreenEx::PlaceWindow()
{
    const QSize size = bitmap_.size();
    if (style_ & kCentreOnScreen) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect full = screen->geometry();
            move(full.x() + (full.width() - size.width()) / 2, full.y() + (full.height() - size.height()) / 2);
        }
    } else if ((style_ & kCentreOnParent) && owner_) {
        const QRect over = owner_->frameGeometry();
        move(over.x() + (over.width() - size.width()) / 2, over.y() + (over.height() - size.height()) / 2);
    }
}

void CSplashScreenEx::SetTextRect(const QRect& rect)
{
    textRect_ = rect;
    update();
}

void CSplashScreenEx::SetTextFont(const QString& face, int sizeTenthsPt)
{
    QFont font(face);
    font.setPointSizeF(sizeTenthsPt / 10.0);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font_ = font;
    update();
}

void CSplashScreenEx::SetTextColor(const QColor& colour)
{
    colour_ = colour;
    update();
}

void CSplashScreenEx::SetTextFormat(unsigned format)
{
    format_ = format;
    update();
}

void CSplashScreenEx::SetText(const QString& text)
{
    text_ = text;
    update();
}

Qt::Alignment CSplashScreenEx::TextAlignment() const
{
    Qt::Alignment alignment = (format_ & kTextCentre)  ? Qt::AlignHCenter
                              : (format_ & kTextRight) ? Qt::AlignRight
                                                       : Qt::AlignLeft;
    alignment |= (format_ & kTextVCentre) ? Qt::AlignVCenter : (format_ & kTextBottom) ? Qt::AlignBottom : Qt::AlignTop;
    return alignment;
}

bool CSplashScreenEx::FadeAvailable() const
{
    // Window opacity needs a compositing window system; without a screen there is nothing to fade.
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void CSplashScreenEx::Show()
{
    PlaceWindow();
    if ((style_ & kFadeIn) && FadeAvailable()) {
        setWindowOpacity(0.0);
        show();
        fade_ = new QPropertyAnimation(this, "windowOpacity", this);
        fade_->setDuration(kFadeMs);
        fade_->setStartValue(0.0);
        fade_->setEndValue(1.0);
        fade_->start();
    } else {
        show();
    }
    raise();
    // Key presses must reach the window to hide it.
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    if (displayTimeMs_ != 0)
        timer_.start(displayTimeMs_, this);
}

void CSplashScreenEx::Hide()
{
    if (hiding_)
        return;
    hiding_ = true;
    timer_.stop();
    if ((style_ & kFadeOut) && FadeAvailable() && isVisible()) {
        if (fade_)
            fade_->stop();
        fade_ = new QPropertyAnimation(this, "windowOpacity", this);
        fade_->setDuration(kFadeMs);
        fade_->setStartValue(windowOpacity());
        fade_->setEndValue(0.0);
        connect(fade_, &QPropertyAnimation::finished, this, &QWidget::close);
        fade_->start();
        return;
    }
    close();
}

void CSplashScreenEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), bitmap_);
    if (text_.isEmpty())
        return;
    painter.setFont(font_);
    painter.setPen(colour_);
    int flags = static_cast<int>(TextAlignment());
    if (format_ & kTextWordBreak)
        flags |= Qt::TextWordWrap;
    if (format_ & kTextSingleLine)
        flags |= Qt::TextSingleLine;
    QString shown = text_;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    painter.drawText(textRect_, flags, shown);
}

void CSplashScreenEx::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    Hide();
}

void CSplashScreenEx::mousePressEvent(QMouseEvent* event)
{
    if (style_ & kHideOnClick) {
        event->accept();
        Hide();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CSplashScreenEx::keyPressEvent(QKeyEvent* event)
{
    if (style_ & kHideOnClick) {
        event->accept();
        Hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace quorfw
