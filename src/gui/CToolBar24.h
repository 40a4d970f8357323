#pragma once

#include <vector>

#include <QIcon>
#include <QImage>
#include <QToolBar>

#include "ui/PixelImage32.h"

namespace quorfw {

// A toolbar whose button images come from one 24-bit strip of square images on magenta: the
// strip itself is the image under the mouse, a lighter copy the normal one and a gray copy
// the disabled one (see ToolbarImages); magenta is transparent in all three.
class CToolBar24 : public QToolBar {
    Q_OBJECT
public:
    explicit CToolBar24(QWidget* parent = nullptr);

    // Gives the toolbar's actions, in order, the images of the strip. False, with the icons
    // unchanged, when the strip holds no image or fewer images than there are actions.
    bool SetImages(const QImage& strip);
    bool SetImages(const QString& stripFile);

    // The icon built for button index; null before SetImages.
    [[nodiscard]] QIcon ButtonIcon(int index) const;

    // The strip as the filters take it (blue, green, red, fourth byte) and back.
    [[nodiscard]] static PixelImage32 ToPixelImage(const QImage& image);
    [[nodiscard]] static QImage ToQImage(const PixelImage32& image);
    // A pixmap of image with its magenta pixels transparent.
    [[nodiscard]] static QPixmap MaskedPixmap(const QImage& image);

private:
    std::vector<QIcon> icons_;
};

}  // namespace quorfw
