#include "gui/CToolBar24.h"

#include <QAction>
#include <QBitmap>
#include <QPixmap>

#include "ui/C32BitImageProcessor.h"
#include "ui/ToolbarImages.h"

namespace quorfw {

CToolBar24::CToolBar24(QWidget* parent) : QToolBar(parent) {}

PixelImage32 CToolBar24::ToPixelImage(const QImage& image)
{
    PixelImage32 out;
    if (image.isNull())
        return out;
    // RGB32 keeps each pixel as 0xffRRGGBB, read here byte by byte as blue, green, red.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    out.size = {rgb.width(), rgb.height()};
    out.bytes.resize(out.size.PixelCount() * PixelImage32::kBytesPerPixel);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            out.Set(x, y, Rgb{static_cast<std::uint8_t>(qRed(line[x])), static_cast<std::uint8_t>(qGreen(line[x])),
                              static_cast<std::uint8_t>(qBlue(line[x]))});
    }
    return out;
}

QImage CToolBar24::ToQImage(const PixelImage32& image)
{
    if (!image.Valid())
        return {};
    QImage out(image.size.width, image.size.height, QImage::Format_RGB32);
    for (int y = 0; y < image.size.height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.size.width; ++x) {
            const Rgb c = image.At(x, y);
            line[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return out;
}

QPixmap CToolBar24::MaskedPixmap(const QImage& image)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    const QColor mask(kToolbarMaskColour.red, kToolbarMaskColour.green, kToolbarMaskColour.blue);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(mask.rgb(), Qt::MaskInColor)));
    return pixmap;
}

bool CToolBar24::SetImages(const QString& stripFile)
{
    return SetImages(QImage(stripFile));
}

bool CToolBar24::SetImages(const QImage& strip)
{
    ToolbarImages images;
    if (!BuildToolbarImages(ToPixelImage(strip), images))
        return false;
    const int side = strip.height();
    const int count = ToolbarButtonCount(images.hot.size);
    const QList<QAction*> buttons = actions();
    if (count < buttons.size())
        return false;

    const QImage hot = ToQImage(images.hot);
    const QImage normal = ToQImage(images.normal);
    const QImage disabled = ToQImage(images.disabled);
    std::vector<QIcon> icons;
    for (int i = 0; i < count; ++i) {
        const QRect square(i * side, 0, side, side);
        QIcon icon;
        icon.addPixmap(MaskedPixmap(normal.copy(square)), QIcon::Normal);
        icon.addPixmap(MaskedPixmap(hot.copy(square)), QIcon::Active);
        icon.addPixmap(MaskedPixmap(disabled.copy(square)), QIcon::Disabled);
        icons.push_back(icon);
    }
    setIconSize(QSize(side, side));
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setIcon(icons[static_cast<std::size_t>(i)]);
    icons_ = std::move(icons);
    return true;
}

QIcon CToolBar24::ButtonIcon(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= icons_.size())
        return {};
    return icons_[static_cast<std::size_t>(index)];
}

}  // namespace quorfw
